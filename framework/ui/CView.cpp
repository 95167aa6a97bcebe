#include "framework/ui/CView.h"

#include <algorithm>

#include "framework/ui/CDocument.h"
#include "framework/ui/CFrameWnd.h"
#include "framework/ui/CPrintInfo.h"
#include "framework/ui/CSplitterWnd.h"
#include "framework/ui/KPrinting.h"

IMPLEMENT_DYNAMIC(CView, CWnd)

CView::CView()
{
    MapCommandExRange(ID_NEXT_PANE, ID_PREV_PANE, &CView::OnNextPaneCmd);
    MapUpdateRange(ID_NEXT_PANE, ID_PREV_PANE, &CView::OnUpdateNextPaneMenu);
    MapCommandEx(ID_WINDOW_SPLIT, &CView::OnSplitCmd);
    MapUpdate(ID_WINDOW_SPLIT, &CView::OnUpdateSplitCmd);
}

CSplitterWnd* CView::GetParentSplitter() const
{
    return dynamic_cast<CSplitterWnd*>(GetParent());
}

BOOL CView::OnNextPaneCmd(UINT nID)
{
    CSplitterWnd* sp = GetParentSplitter();
    if (!sp) return FALSE;
    sp->ActivateNext(nID == ID_PREV_PANE);
    return TRUE;
}

void CView::OnUpdateNextPaneMenu(CCmdUI* pCmdUI)
{
    CSplitterWnd* sp = GetParentSplitter();
    pCmdUI->Enable(sp && sp->CanActivateNext(pCmdUI->m_nID == ID_PREV_PANE));
}

BOOL CView::OnSplitCmd(UINT)
{
    CSplitterWnd* sp = GetParentSplitter();
    return sp && sp->DoKeyboardSplit();
}

void CView::OnUpdateSplitCmd(CCmdUI* pCmdUI)
{
    CSplitterWnd* sp = GetParentSplitter();
    pCmdUI->Enable(sp && !sp->IsTracking() && (sp->GetRowCount() > 1 || sp->GetColumnCount() > 1));
}

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

void CView::OnPrepareDC(CDC*, CPrintInfo* pInfo)
{
    if (pInfo && pInfo->GetMaxPage() == 0xFFFF && pInfo->m_nCurPage != 1) pInfo->m_bContinuePrinting = FALSE;
}

BOOL CView::OnPreparePrinting(CPrintInfo* pInfo)
{
    return DoPreparePrinting(pInfo);
}

BOOL CView::DoPreparePrinting(CPrintInfo* pInfo)
{
    PrintDialogRequest r = KPrinterSetup();
    r.nMinPage = pInfo->GetMinPage();
    r.nMaxPage = pInfo->GetMaxPage();
    r.nFromPage = r.nMinPage;
    r.nToPage = r.nMaxPage;
    // A print into a named file goes without asking, as a direct print does.
    if (!pInfo->m_bDirect && !pInfo->m_bPreview && KGetPrintToFile().IsEmpty()) {
        if (!UserInteraction().PrintDialog(r)) return FALSE;
        // Pages outside the document are not asked for.
        r.nFromPage = std::max(r.nFromPage, pInfo->GetMinPage());
        r.nToPage = std::min(r.nToPage, pInfo->GetMaxPage());
        if (r.nFromPage > r.nToPage) return FALSE;
    }
    r.bSetup = false;
    pInfo->m_nFromPage = r.nFromPage;
    pInfo->m_nToPage = r.nToPage;
    pInfo->m_printer = r;
    return TRUE;
}

void CView::OnBeginPrinting(CDC*, CPrintInfo*) {}

void CView::OnPrint(CDC* pDC, CPrintInfo*)
{
    OnDraw(pDC);
}

void CView::OnEndPrinting(CDC*, CPrintInfo*) {}

void CView::OnFilePrint()
{
    printJob(false, false);
}

void CView::OnFilePrintDirect()
{
    printJob(true, false);
}

void CView::OnFilePrintPreview()
{
    printJob(false, true);
}

void CView::printJob(bool bDirect, bool bPreview)
{
    CPrintInfo info;
    info.m_bDirect = bDirect;
    info.m_bPreview = bPreview;
    if (!OnPreparePrinting(&info)) return;
    if (bPreview) KPreviewViewPages(this, info);
    else KPrintViewPages(this, info);
}

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

CCmdTarget* CView::GetRouteNext() const
{
    return m_pDocument;
}

