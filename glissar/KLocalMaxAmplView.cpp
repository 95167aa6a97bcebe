#include "glissar/KLocalMaxAmplView.h"

#include <algorithm>

#include "glissar/GlissarIds.h"
#include "glissar/doc/GlissarDoc.h"
#include "kavrel/views/DialogAdjustSpectraVisualLevels.h"

IMPLEMENT_DYNCREATE(CKLocalMaxAmplView, CKWaveFilmView)

bool TraceMarkOf(unsigned char status, bool bShowTraces, COLORREF& colour, bool& bStroke)
{
    bStroke = true;
    switch (status) {
    case CGlissarDoc::TRACE_LOCAL_MAX: colour = KTraceMarkColours::LocalMax; return true;
    case CGlissarDoc::TRACE_LOCAL_MAX | CGlissarDoc::TRACE_VISIBLE: colour = KTraceMarkColours::Visible; return true;
    case CGlissarDoc::TRACE_LOCAL_MAX | CGlissarDoc::TRACE_IN_SYNTHESIS:
        colour = KTraceMarkColours::InSynthesis;
        return true;
    case CGlissarDoc::TRACE_LOCAL_MAX | CGlissarDoc::TRACE_VISIBLE | CGlissarDoc::TRACE_IN_SYNTHESIS:
        colour = KTraceMarkColours::VisibleInSynthesis;
        return true;
    case 0:
        bStroke = false;
        colour = KTraceMarkColours::Nothing;
        return !bShowTraces;
    default:
        // Pending requests are not drawn: the stroke shows where the tool went.
        return false;
    }
}

CKLocalMaxAmplView::CKLocalMaxAmplView() = default;

CGlissarDoc* CKLocalMaxAmplView::GetGlissarDoc() const
{
    return dynamic_cast<CGlissarDoc*>(GetDocument());
}

int CKLocalMaxAmplView::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (CKWaveFilmView::OnCreate(lpCreateStruct) == -1)
        return -1;
    for (int i = 0; i < nGlissarCursors; ++i)
        hToolCursors[i] = LoadCursorResource(IDC_GLISSAR_CURSOR_FIRST + UINT(i));
    return 0;
}

void CKLocalMaxAmplView::OnInitialUpdate()
{
    CKWaveFilmView::OnInitialUpdate();
    if (CGlissarDoc* doc = GetGlissarDoc()) {
        const KRelativeVisibility chosen = KLoadRelativeVisibility();
        if (!(chosen == doc->relativeVisibility)) {
            doc->relativeVisibility = chosen;
            doc->MarkVisibleTraces();
        }
    }
}

KRelativeVisibility* CKLocalMaxAmplView::RelativeVisibility()
{
    CGlissarDoc* doc = GetGlissarDoc();
    return doc ? &doc->relativeVisibility : nullptr;
}

HCURSOR CKLocalMaxAmplView::GetToolCursor() const
{
    const CGlissarDoc* doc = GetGlissarDoc();
    if (!doc || doc->nToolsSize < 0 || doc->nToolsSize > 5)
        return nullptr;
    return hToolCursors[GlissarCursorIndex(doc->bAddTraces, doc->bFollowMaxima, doc->nToolsSize)];
}

BOOL CKLocalMaxAmplView::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    const CGlissarDoc* doc = GetGlissarDoc();
    if (doc && doc->bEditTraces && nHitTest == HTCLIENT) {
        if (HCURSOR h = GetToolCursor()) {
            SetCursor(h);
            return TRUE;
        }
    }
    return CKWaveFilmView::OnSetCursor(pWnd, nHitTest, message);
}

void CKLocalMaxAmplView::OnDraw(CDC* pDC)
{
    sCursorText.Empty();
    CKWaveFilmView::OnDraw(pDC);
    DrawTraceMarks(pDC);
}

void CKLocalMaxAmplView::DrawTraceMarks(CDC* pDC)
{
    const CGlissarDoc* doc = GetGlissarDoc();
    if (!doc || !doc->bEditTraces || !pWaveFilm || !pWaveFilm->IsInternalStatusOK())
        return;
    const int B = pWaveFilm->GetNFFT() / 2;
    const long C = pWaveFilm->GetNCadres();
    if (doc->LocalMaxAmplPosition.nSize < (long long)B * C)
        return;
    if (doc->bShowOnlyTraces) {
        CBrush black(RGB(0, 0, 0));
        const CRect field(0, 0, int(C), B);
        pDC->FillRect(&field, &black);
    }
    if (!doc->bShowTraces && !doc->bShowOnlyTraces)
        return;
    CRect rc;
    GetClientRect(&rc);
    const long x0 = GetScrollPosition().x;
    const long x1 = std::min<long>(x0 + rc.Width(), C);
    for (long x = x0; x < x1; ++x) {
        const unsigned char* status = doc->GetTraceStatus(x);
        for (int k = 0; k < B; ++k) {
            COLORREF colour;
            bool bStroke;
            if (!TraceMarkOf(status[k], doc->bShowTraces, colour, bStroke))
                continue;
            const int row = B - 1 - k;
            pDC->SetPixel(int(x), row, colour);
            if (bStroke) {
                pDC->SetPixel(int(x), row - 1, colour);
                pDC->SetPixel(int(x), row + 1, colour);
            }
        }
    }
    // The column after the last one drawn, when it starts a pair, stands
    // blue: the pairs are analysed together.
    if (x1 % 2 == 1) {
        CBrush blue(KTraceMarkColours::Nothing);
        const CRect column(int(x1), 0, int(x1) + 1, B);
        pDC->FillRect(&column, &blue);
    }
    // The black field covered the caret: it is drawn again, white.
    if (doc->bShowOnlyTraces && bCaretShown) {
        CPen white(PS_SOLID, 1, RGB(255, 255, 255));
        KDrawXorLine(pDC, &white, int(nCaretColumn), 0, int(nCaretColumn), B);
    }
}

void CKLocalMaxAmplView::OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint)
{
    CKWaveFilmView::OnUpdate(pSender, lHint, pHint);
    if (pSender && pSender != this)
        return;
    switch (lHint) {
    case HintDisplayLevels:
        if (CGlissarDoc* doc = GetGlissarDoc())
            doc->MarkVisibleTraces();
        Invalidate(FALSE);
        break;
    case HintCaret:
        break;
    case HintCadreRectangle:
        if (const auto* h = dynamic_cast<CGlissarTraceRectHint*>(pHint)) {
            const CPoint pos = GetScrollPosition();
            CRect r = h->rect;
            r.OffsetRect(-pos.x, -pos.y);
            r.top -= 1;
            r.bottom += 1;
            InvalidateRect(&r, FALSE);
        }
        break;
    default:
        Invalidate(FALSE);
        break;
    }
}

LRESULT CKLocalMaxAmplView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_RECALCULATE_PICTURE)
        if (CGlissarDoc* doc = GetGlissarDoc())
            doc->RecalculateTraceVisibility();
    return CKWaveFilmView::WindowProc(message, wParam, lParam);
}

void CKLocalMaxAmplView::ToolPoint(CPoint point, long& cadre, int& bin) const
{
    const CPoint pos = GetScrollPosition();
    const int B = pWaveFilm ? pWaveFilm->GetNFFT() / 2 : 0;
    cadre = point.x + pos.x;
    bin = B - 1 - (point.y + pos.y);
}

// With quick editing the rebuilt signal waits for the button's release, but
// the marked maxima lose their strokes at once: the region stays dirty for
// the resynthesis and is only repainted here.
void CKLocalMaxAmplView::InvalidatePendingMarks()
{
    const CGlissarDoc* doc = GetGlissarDoc();
    if (!doc || doc->IsDirtyRegionEmpty() || !pWaveFilm)
        return;
    const int B = pWaveFilm->GetNFFT() / 2;
    const CPoint pos = GetScrollPosition();
    CRect r(doc->nDirtyFirstCadre - pos.x, B - doc->nDirtyLastBin - 1 - pos.y, doc->nDirtyLastCadre - pos.x,
            B - doc->nDirtyFirstBin + 1 - pos.y);
    InvalidateRect(&r, FALSE);
}

CGlissarDoc* CKLocalMaxAmplView::EditingDoc() const
{
    CGlissarDoc* doc = GetGlissarDoc();
    return doc && doc->bEditTraces && pWaveFilm ? doc : nullptr;
}

void CKLocalMaxAmplView::ToolStep(CGlissarDoc* doc, CPoint point, void (CGlissarDoc::*step)(long cadre, int bin))
{
    long cadre;
    int bin;
    ToolPoint(point, cadre, bin);
    (doc->*step)(cadre, bin);
    InvalidatePendingMarks();
}

// The document keeps the tool's rules (editing mode, quick editing); the
// view gives it the cadre and bin under the mouse and holds the capture.
void CKLocalMaxAmplView::OnLButtonDown(UINT nFlags, CPoint point)
{
    CGlissarDoc* doc = EditingDoc();
    if (!doc) {
        CKWaveFilmView::OnLButtonDown(nFlags, point);
        return;
    }
    ToolStep(doc, point, &CGlissarDoc::ToolButtonDown);
    SetCapture();
}

void CKLocalMaxAmplView::OnMouseMove(UINT nFlags, CPoint point)
{
    CGlissarDoc* doc = EditingDoc();
    if (!doc)
        CKWaveFilmView::OnMouseMove(nFlags, point);
    else if (GetCapture() == this)
        ToolStep(doc, point, &CGlissarDoc::ToolMouseMove);
}

void CKLocalMaxAmplView::OnLButtonUp(UINT nFlags, CPoint point)
{
    CGlissarDoc* doc = EditingDoc();
    if (!doc) {
        CKWaveFilmView::OnLButtonUp(nFlags, point);
        return;
    }
    if (GetCapture() == this)
        ReleaseCapture();
    doc->ToolButtonUp();
}
