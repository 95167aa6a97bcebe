#include "framework/ui/CDocument.h"

#include <algorithm>

#include "framework/ui/CView.h"

CDocument::CDocument() = default;

CDocument::~CDocument()
{
    for (CView* v : m_views) v->m_pDocument = nullptr;
}

void CDocument::AddView(CView* pView)
{
    if (!pView || pView->m_pDocument == this) return;
    if (pView->m_pDocument) pView->m_pDocument->RemoveView(pView);
    m_views.push_back(pView);
    pView->m_pDocument = this;
}

void CDocument::RemoveView(CView* pView)
{
    auto it = std::find(m_views.begin(), m_views.end(), pView);
    if (it == m_views.end()) return;
    m_views.erase(it);
    pView->m_pDocument = nullptr;
}

void CDocument::UpdateAllViews(CView* pSender, LPARAM lHint, CObject* pHint)
{
    // A copy: a view may leave the document while it updates.
    const std::vector<CView*> views = m_views;
    for (CView* v : views) {
        if (v != pSender && std::find(m_views.begin(), m_views.end(), v) != m_views.end())
            v->OnUpdate(pSender, lHint, pHint);
    }
}
