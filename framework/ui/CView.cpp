#include "framework/ui/CView.h"

#include "framework/ui/CDocument.h"
#include "framework/ui/CFrameWnd.h"

IMPLEMENT_DYNAMIC(CView, CWnd)

CView::CView() = default;

CView::~CView()
{
    if (CFrameWnd* f = GetParentFrame()) f->ForgetView(this);
    if (m_pDocument) m_pDocument->RemoveView(this);
}

CFrameWnd* CView::GetParentFrame() const
{
    return CFrameWnd::GetParentFrameOf(this);
}

void CView::OnInitialUpdate()
{
    OnUpdate(nullptr, 0, nullptr);
}

void CView::OnUpdate(CView*, LPARAM, CObject*)
{
    Invalidate(TRUE);
}

void CView::OnPrepareDC(CDC*, CPrintInfo*) {}

void CView::OnActivateView(BOOL, CView*, CView*) {}

void CView::OnPaint()
{
    CPaintDC dc(this);
    OnPrepareDC(&dc);
    OnDraw(&dc);
}

void CView::OnMouseActivate()
{
    CFrameWnd* f = GetParentFrame();
    if (f && f->GetActiveView() != this) f->SetActiveView(this);
}

bool CView::OnCmdMsg(UINT nID, UINT nCode)
{
    if (CWnd::OnCmdMsg(nID, nCode)) return true;
    return m_pDocument && m_pDocument->OnCmdMsg(nID, nCode);
}

bool CView::OnUpdateCmdUI(CCmdUI* pCmdUI)
{
    if (CWnd::OnUpdateCmdUI(pCmdUI)) return true;
    return m_pDocument && m_pDocument->OnUpdateCmdUI(pCmdUI);
}

bool CView::IsCommandHandled(UINT nID)
{
    return HasCommandHandler(nID) || (m_pDocument && m_pDocument->HasRoutedHandler(nID));
}
