#include "kavrel/views/KFilmViewState.h"

#include <algorithm>

#include "framework/ui/CDC.h"
#include "framework/ui/CDocument.h"
#include "kavrel/views/KContextMenu.h"

BOOL CKFilmViewState::CreateWindow(CWnd* pParentWnd, const RECT& rect, UINT nID)
{
    const DWORD style = (pParentWnd ? WS_CHILD : WS_OVERLAPPEDWINDOW) | WS_VISIBLE;
    return View.CWnd::Create(nullptr, "", style, rect, pParentWnd, nID);
}

void CKFilmViewState::StartBlinking()
{
    nTimerID = View.SetTimer(nBlinkTimer, nBlinkMilliseconds);
}

void CKFilmViewState::ReleaseWindow()
{
    if (nTimerID) {
        View.KillTimer(nTimerID);
        nTimerID = 0;
    }
    if (View.GetCapture() == &View)
        View.ReleaseCapture();
    ToolTip.DelTool(&View);
}

void CKFilmViewState::SendHint(CView* pSender, LPARAM lHint, CObject* pHint)
{
    if (CDocument* pDoc = View.GetDocument())
        pDoc->UpdateAllViews(pSender, lHint, pHint);
    else if (pSender != &View)
        View.OnUpdate(pSender, lHint, pHint);
}

void CKFilmViewState::SendCaretHint()
{
    filmHint.pWaveFilm = pWaveFilm;
    SendHint(nullptr, HintCaret, &filmHint);
}

void CKFilmViewState::RememberSelection()
{
    if (!pWaveFilm)
        return;
    nOldSelectedCadre0 = pWaveFilm->GetSelectedFragmentAbsCadre0();
    nOldSelectedCadre1 = pWaveFilm->GetSelectedFragmentAbsCadre1();
}

void CKFilmViewState::RepaintSelectedFragment()
{
    if (!pWaveFilm)
        return;
    const long p = nOldSelectedCadre0, q = nOldSelectedCadre1;
    RememberSelection();
    const long r = nOldSelectedCadre0, s = nOldSelectedCadre1;
    if (!View.GetSurface())
        return;
    CRect rc;
    View.GetClientRect(&rc);
    const long scrollX = View.GetScrollPosition().x;
    CClientDC dc(&View);
    auto invert = [&](long a, long b) {
        if (a > b)
            std::swap(a, b);
        if (b > a)
            dc.PatBlt(int(a - scrollX), 0, int(b - a), rc.Height(), DSTINVERT);
    };
    // Overlapping selections differ at both ends; apart, they differ wholly.
    if (p < s && r < q) {
        invert(p, r);
        invert(q, s);
    } else {
        invert(p, q);
        invert(r, s);
    }
}

void CKFilmViewState::OnLButtonDown(UINT nFlags, CPoint point, const CaretMover& moveCaret)
{
    if (!pWaveFilm)
        return;
    moveCaret(point);
    const long cadre = CadreFromClientX(point.x);
    if (nFlags == MK_LBUTTON) {
        View.SetCapture();
        pWaveFilm->SetSelectedFragmentAbsCadres(cadre, cadre);
    } else if (nFlags == (MK_LBUTTON | MK_SHIFT)) {
        View.SetCapture();
        pWaveFilm->SetSelectedFragmentAbsCadre(cadre);
    } else {
        return;
    }
    RepaintSelectedFragment();
    SendHint(&View, HintSelection);
}

void CKFilmViewState::OnLButtonUp(CPoint point, const CaretMover& moveCaret)
{
    if (View.GetCapture() != &View)
        return;
    View.ReleaseCapture();
    if (pWaveFilm)
        moveCaret(point);
}

void CKFilmViewState::OnMouseMove(UINT nFlags, CPoint point, const CaretMover& moveCaret)
{
    const bool ctrlOnly = nFlags == MK_CONTROL;
    if (pWaveFilm->MoveCaretOnlyWithCtrl ? ctrlOnly : !ctrlOnly)
        moveCaret(point);
    if (View.GetCapture() != &View)
        return;
    moveCaret(point);
    if (nFlags == MK_LBUTTON || nFlags == (MK_LBUTTON | MK_SHIFT)) {
        pWaveFilm->SetSelectedFragmentAbsCadre(CadreFromClientX(point.x));
        RepaintSelectedFragment();
        SendHint(&View, HintSelection);
    }
}

void CKFilmViewState::ShowCursorText(const CString& text)
{
    ToolTip.UpdateTipText(text.GetString(), &View);
}

void CKFilmViewState::PlayVisibleCadres()
{
    if (!pWaveFilm)
        return;
    CRect rc;
    View.GetClientRect(&rc);
    const long x = View.GetScrollPosition().x;
    pWaveFilm->PlayKWaveFilmFromCadreToCadre(x, x + rc.Width());
}

void CKFilmViewState::ShowContextMenu(UINT nMenuID, CPoint point)
{
    KTrackContextMenu(&View, nMenuID, point, View.GetParentOwner());
}

void KDrawXorLine(CDC* pDC, CPen* pPen, int x0, int y0, int x1, int y1)
{
    CPen* oldPen = pDC->SelectObject(pPen);
    const int oldRop = pDC->SetROP2(R2_XORPEN);
    pDC->MoveTo(x0, y0);
    pDC->LineTo(x1, y1);
    pDC->SetROP2(oldRop);
    pDC->SelectObject(oldPen);
}
