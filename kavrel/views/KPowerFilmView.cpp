#include "kavrel/views/KPowerFilmView.h"

#include <algorithm>
#include <vector>

#include "kavrel/core/KWaveFilmHelpers.h"

IMPLEMENT_DYNCREATE(CKPowerFilmView, CObject)

CKPowerFilmView::CKPowerFilmView() : CKFilmView(IDR_POWER_FILM_VIEW_MENU)
{
    GridPen.CreatePen(PS_SOLID, 1, kGridColour);
    CurvePen.CreatePen(PS_SOLID, 1, kCurveColour);
    CurveOnLightPen.CreatePen(PS_SOLID, 1, kCurveOnLightColour);

    MapCommand(ID_PLAY_VIEW, &CKPowerFilmView::OnPlayView);
    for (UINT id = ID_POWER_RANGE_10; id <= ID_POWER_RANGE_110; ++id) {
        MapCommandWithId(id, &CKPowerFilmView::OnPowerRange);
        MapUpdate(id, &CKPowerFilmView::OnUpdatePowerRange);
    }
}

// ---- window life ------------------------------------------------------------

int CKPowerFilmView::OnCreate(LPCREATESTRUCT)
{
    return State.ToolTip.Create(this) ? 0 : -1;
}

void CKPowerFilmView::OnInitialUpdate()
{
    SetNewScrollSizes();
    State.StartBlinking();
    if (pWaveFilm)
        nCaretColumn = pWaveFilm->GetKCaretCadre();
    PutKCaret();
    State.ToolTip.Activate(TRUE);
    State.ToolTip.AddTool(this, "");
    // The tip comes up sooner than the system's default.
    State.ToolTip.SetDelayTime(TTDT_AUTOMATIC, 200);
}

void CKPowerFilmView::SetNewScrollSizes()
{
    if (!pWaveFilm)
        return;
    CRect rc;
    GetClientRect(&rc);
    SetScrollSizes(MM_TEXT, CSize(int(pWaveFilm->GetNCadres()), 1), CSize(rc.Width(), rc.Height()),
                   CSize(64, rc.Height() / 8));
}

void CKPowerFilmView::OnSize(UINT nType, int cx, int cy)
{
    CScrollView::OnSize(nType, cx, cy);
    SetNewScrollSizes();
    Invalidate(TRUE);
}

// ---- painting -----------------------------------------------------------------

BOOL CKPowerFilmView::OnEraseBkgnd(CDC* pDC)
{
    CRect rc;
    GetClientRect(&rc);
    if (!pWaveFilm) {
        pDC->FillSolidRect(&rc, kBackground);
        return 1;
    }
    pDC->FillSolidRect(&rc, pWaveFilm->lightBackground ? kLightBackground : kBackground);
    // One line every 10 dB from the top.
    CPen* oldPen = pDC->SelectObject(&GridPen);
    const int n = int(Range / 10);
    for (int i = 0; i < n; ++i) {
        const int y = int(i * rc.Height() / Range * 10);
        pDC->MoveTo(0, y);
        pDC->LineTo(rc.Width(), y);
    }
    pDC->SelectObject(oldPen);
    return 1;
}

void CKPowerFilmView::OnDraw(CDC* pDC)
{
    if (!pWaveFilm || !pWaveFilm->PowerFileIsReady())
        return;
    CRect rc;
    GetClientRect(&rc);
    const double k = rc.Height() / double(Range); // pixels per dB
    const long x0 = GetScrollPosition().x;
    const long W = rc.right;
    long first = 0, n = 0;
    if (x0 <= 0) {
        first = 0;
        n = W + x0 + 1;
    } else {
        first = x0 - 1;
        n = W + 2;
    }
    if (n > 0) {
        const float* v = pWaveFilm->PowerPositBufferOnCadre(first, n);
        if (v) {
            std::vector<POINT> points(static_cast<size_t>(n));
            for (long i = 0; i < n; ++i) {
                points[size_t(i)].x = LONG(first + i);
                points[size_t(i)].y = LONG((TopLevel - v[i]) * k);
            }
            CPen* oldPen = pDC->SelectObject(pWaveFilm->lightBackground ? &CurveOnLightPen : &CurvePen);
            pDC->Polyline(points.data(), int(n));
            pDC->SelectObject(oldPen);
        }
    }
    const long a = State.nOldSelectedCadre0, b = State.nOldSelectedCadre1;
    if (b > a)
        pDC->PatBlt(int(a), 0, int(b - a), rc.Height(), DSTINVERT);
    if (bCaretShown) {
        KDrawXorLine(pDC, &CaretPen, int(nCaretColumn), 0, int(nCaretColumn), rc.Height());
    }
}

void CKPowerFilmView::PutKCaret()
{
    BlinkCaretLine();
}

// ---- mouse, caret, cursor text ---------------------------------------------------

void CKPowerFilmView::OnMouseMove(UINT nFlags, CPoint point)
{
    if (!pWaveFilm || !pWaveFilm->PowerFileIsReady())
        return;
    MoveCaretWithMouse(nFlags, point);
    BuildCursorText(State.CadreFromClientX(point.x));
    State.ShowCursorText(sCursorText);
}

void CKPowerFilmView::BuildCursorText(long cadre)
{
    sCursorText.Empty();
    const int flags = pWaveFilm->tooltipFlags;
    if (flags == 0)
        return;
    // Both power bits show the absolute power: a relative one has no meaning here.
    if (flags & CKWaveFilm::TooltipPowerBits) {
        CString part;
        part.Format("%.1f дБ", double(pWaveFilm->GetPowerInCadre(cadre)));
        sCursorText += part;
    }
    if (flags & CKWaveFilm::TooltipTimeBits) {
        const double t = pWaveFilm->GetTimeInSecondsFromCadre(cadre);
        const double v = (flags & CKWaveFilm::TooltipTimeAbsolute) ? t : t - pWaveFilm->GetKCaretTime();
        CString part;
        part.Format("%.3f c", v);
        if (!sCursorText.IsEmpty())
            sCursorText += " ";
        sCursorText += part;
    }
}

// ---- hints ----------------------------------------------------------------------

void CKPowerFilmView::OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint)
{
    switch (lHint) {
    case HintPaperColour:
        if (!pSender)
            Invalidate(TRUE);
        break;
    case HintNewFilm:
        if (!TakeFilmFromHint(pHint))
            return;
        SetNewScrollSizes();
        State.RememberSelection();
        Invalidate(TRUE);
        break;
    case HintSelection:
        State.RepaintSelectedFragment();
        break;
    case HintCaret:
        if (!pWaveFilm)
            return;
        if (bCaretShown) {
            PutKCaret();
            nCaretColumn = pWaveFilm->GetKCaretCadre();
            PutKCaret();
        } else {
            nCaretColumn = pWaveFilm->GetKCaretCadre();
        }
        break;
    default:
        break;
    }
}

// ---- commands ---------------------------------------------------------------------

void CKPowerFilmView::OnPowerRange(UINT nID)
{
    Range = 10.0f * float(nID - ID_POWER_RANGE_10 + 1);
    Invalidate(TRUE);
}

void CKPowerFilmView::OnUpdatePowerRange(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(Range == 10.0f * float(pCmdUI->m_nID - ID_POWER_RANGE_10 + 1) ? 1 : 0);
}
