#include "kavrel/views/KFilmView.h"

#include "framework/ui/CDC.h"

CKFilmView::CKFilmView(UINT nMenuID) : nMenuID(nMenuID)
{
    CaretPen.CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
}

CKFilmView::~CKFilmView()
{
    if (State.nTimerID)
        KillTimer(State.nTimerID);
}

BOOL CKFilmView::Create(CWnd* pParentWnd, const RECT& rect, UINT nID)
{
    return State.CreateWindow(pParentWnd, rect, nID);
}

BOOL CKFilmView::DestroyWindow()
{
    State.ReleaseWindow();
    ForgetControls();
    return CScrollView::DestroyWindow();
}

BOOL CKFilmView::OnMouseWheel(UINT, short, CPoint)
{
    return 1;
}

void CKFilmView::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar)
{
    if (bCaretShown)
        PutKCaret();
    CScrollView::OnHScroll(nSBCode, nPos, pScrollBar);
}

CKFilmViewState::CaretMover CKFilmView::caretMover()
{
    return [this](CPoint p) { SetCaretFromClientPoint(p); };
}

void CKFilmView::SetCaretFromClientPoint(CPoint point)
{
    if (!pWaveFilm)
        return;
    pWaveFilm->SetKCaretCadre(State.CadreFromClientX(point.x));
    State.SendCaretHint();
}

void CKFilmView::OnLButtonDown(UINT nFlags, CPoint point)
{
    State.OnLButtonDown(nFlags, point, caretMover());
}

void CKFilmView::OnLButtonUp(UINT, CPoint point)
{
    State.OnLButtonUp(point, caretMover());
}

void CKFilmView::MoveCaretWithMouse(UINT nFlags, CPoint point)
{
    State.OnMouseMove(nFlags, point, caretMover());
}

void CKFilmView::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == CKFilmViewState::nBlinkTimer)
        PutKCaret();
    CScrollView::OnTimer(nIDEvent);
}

void CKFilmView::OnContextMenu(CWnd*, CPoint point)
{
    State.ShowContextMenu(nMenuID, point);
}

void CKFilmView::OnPlayView()
{
    State.PlayVisibleCadres();
}

bool CKFilmView::TakeFilmFromHint(CObject* pHint)
{
    if (auto* h = dynamic_cast<CKWaveFilmHint*>(pHint))
        pWaveFilm = h->pWaveFilm;
    return pWaveFilm != nullptr;
}

void CKFilmView::BlinkCaretLine(const std::function<void(CDC&)>& leaveOut)
{
    bCaretShown = !bCaretShown;
    if (!GetSurface())
        return;
    CRect rc;
    GetClientRect(&rc);
    const int x = int(nCaretColumn - GetScrollPosition().x);
    CClientDC dc(this);
    if (leaveOut)
        leaveOut(dc);
    KDrawXorLine(&dc, &CaretPen, x, 0, x, rc.bottom);
}
