#include "vornel/VornelView.h"

#include "framework/ui/AfxIds.h"
#include "framework/ui/CDC.h"
#include "framework/ui/CPrintInfo.h"
#include "framework/ui/KWndWidget.h"
#include "vornel/doc/VornelDoc.h"

IMPLEMENT_DYNCREATE(CVornelView, CScrollView)

CVornelView::CVornelView()
{
    MapCommand(ID_FILE_PRINT, &CView::OnFilePrint);
    MapCommand(ID_FILE_PRINT_DIRECT, &CView::OnFilePrintDirect);
    MapCommand(ID_FILE_PRINT_PREVIEW, &CView::OnFilePrintPreview);
}

CVornelDoc* CVornelView::GetVornelDoc() const
{
    return dynamic_cast<CVornelDoc*>(GetDocument());
}

bool CVornelView::IsScrollBarShown(bool bHorz) const
{
    const KWndWidget* w = GetWndWidget();
    return w && w->IsBarShown(bHorz);
}

void CVornelView::CalculateGeometry(int, int, CSize& total, CSize& page, CSize& line)
{
    total = CSize(100, 100);
    page = CSize(0, 0);
    line = CSize(0, 0);
}

void CVornelView::SettleGeometry()
{
    // A scroll bar that appears takes room from the client, which may then
    // want other sizes; two rounds settle it.
    if (bSettling)
        return;
    bSettling = true;
    for (int round = 0; round < 3; ++round) {
        CRect rc;
        GetClientRect(&rc);
        CSize total, page, line;
        CalculateGeometry(rc.Width(), rc.Height(), total, page, line);
        SetScrollSizes(MM_TEXT, total, page, line);
        CRect after;
        GetClientRect(&after);
        if (after.Width() == rc.Width() && after.Height() == rc.Height())
            break;
    }
    bSettling = false;
}

void CVornelView::OnInitialUpdate()
{
    OnUpdate(nullptr, 0, nullptr);
}

void CVornelView::OnUpdate(CView*, LPARAM, CObject*)
{
    SettleGeometry();
    Invalidate(TRUE);
}

void CVornelView::OnSize(UINT nType, int cx, int cy)
{
    CScrollView::OnSize(nType, cx, cy);
    SettleGeometry();
    Invalidate(TRUE);
}

void CVornelView::OnDraw(CDC*) {}

BOOL CVornelView::OnPreparePrinting(CPrintInfo* pInfo)
{
    return DoPreparePrinting(pInfo);
}
