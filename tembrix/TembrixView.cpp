#include "tembrix/TembrixView.h"

#include <algorithm>

#include "framework/base/UserServices.h"
#include "framework/ui/AfxIds.h"
#include "framework/ui/CMenu.h"
#include "kavrel/views/DialogPhoneObjectProperties.h"
#include "tembrix/KCompanionPrograms.h"
#include "tembrix/TembrixDoc.h"
#include "tembrix/TembrixFormulas.h"
#include "tembrix/TembrixIds.h"

IMPLEMENT_DYNCREATE(CTembrixView, CScrollView)

CTembrixView::CTembrixView()
{
    RulerPen.CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
    RulerPaperPen.CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    CaretPen.CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
    MapCommand(ID_RULER_IN_SECONDS, &CTembrixView::OnRulerInSeconds);
    MapUpdate(ID_RULER_IN_SECONDS, &CTembrixView::OnUpdateRulerInSeconds);
    MapCommand(ID_FILE_PRINT, &CView::OnFilePrint);
    MapCommand(ID_FILE_PRINT_DIRECT, &CView::OnFilePrintDirect);
    MapCommand(ID_FILE_PRINT_PREVIEW, &CView::OnFilePrintPreview);
}

CTembrixView::~CTembrixView()
{
    for (CKPhoneObjectWnd* w : PhoneObjectWndList)
        delete w;
    PhoneObjectWndList.clear();
}

CTembrixDoc* CTembrixView::GetDocument() const
{
    return dynamic_cast<CTembrixDoc*>(m_pDocument);
}

int CTembrixView::OnCreate(LPCREATESTRUCT)
{
    return 0;
}

BOOL CTembrixView::DestroyWindow()
{
    State.ReleaseWindow();
    nTimerID = 0;
    for (CKPhoneObjectWnd* w : PhoneObjectWndList)
        w->DestroyWindow();
    return CScrollView::DestroyWindow();
}

// ---- geometry ------------------------------------------------------------------------

CRect CTembrixView::PhoneObjectRect(const CKPhoneObject* po) const
{
    const long left = pWaveFilm ? pWaveFilm->GetCadreNumberFromSample(po->nFirstSample) : 0;
    const long right = pWaveFilm ? pWaveFilm->GetCadreNumberFromSample(po->nLastSample) : 0;
    const int top = PhoneObjectTop(po->nLevel);
    return CRect(int(left), top, int(right), top + kObjectHeight);
}

void CTembrixView::SetNewScrollSizes()
{
    CRect rc;
    GetClientRect(&rc);
    const CTembrixDoc* doc = GetDocument();
    nTotalWidth = pWaveFilm ? int(pWaveFilm->GetNCadres()) : nTotalWidth;
    nTotalHeight = doc ? StripHeight(doc->nMaxLevel) : nTotalHeight;
    nPageWidth = rc.Width();
    nPageHeight = rc.Height();
    nLineWidth = 64;
    nLineHeight = rc.Height() / 8;
    SetScrollSizes(MM_TEXT, CSize(nTotalWidth, nTotalHeight), CSize(nPageWidth, nPageHeight),
                   CSize(nLineWidth, nLineHeight));
}

void CTembrixView::MoveObjectWindows()
{
    const CPoint pos = GetScrollPosition();
    for (CKPhoneObjectWnd* w : PhoneObjectWndList) {
        if (!w->GetWidget() || !w->pPhoneObject)
            continue;
        CRect r = PhoneObjectRect(w->pPhoneObject);
        r.OffsetRect(-pos.x, -pos.y);
        w->MoveWindow(&r, FALSE);
    }
}

bool CTembrixView::CreatePhoneObjectWnd(CKPhoneObject* po)
{
    auto* w = new (std::nothrow) CKPhoneObjectWnd(po);
    if (!w) {
        AfxMessageBox("Не удалось создать объект окна для фонообъекта.");
        return false;
    }
    CRect r = PhoneObjectRect(po);
    const CPoint pos = GetScrollPosition();
    r.OffsetRect(-pos.x, -pos.y);
    if (!w->Create(nullptr, po->sName, DWORD(WS_CHILD) | DWORD(WS_VISIBLE), r, this, UINT(po->nIndex))) {
        AfxMessageBox("Не удалось создать дочернее окно для фонообъекта.");
        delete w;
        return false;
    }
    PhoneObjectWndList.push_back(w);
    w->ShowWindow(SW_SHOW);
    w->UpdateWindow();
    SetNewScrollSizes();
    return true;
}

void CTembrixView::RemovePhoneObjectWnd(CKPhoneObjectWnd* pWnd)
{
    auto it = std::find(PhoneObjectWndList.begin(), PhoneObjectWndList.end(), pWnd);
    if (it == PhoneObjectWndList.end())
        return;
    PhoneObjectWndList.erase(it);
    pWnd->DestroyWindow();
    delete pWnd;
}

// ---- updates ----------------------------------------------------------------------------

void CTembrixView::OnInitialUpdate()
{
    SetNewScrollSizes();
    if (CTembrixDoc* doc = GetDocument()) {
        if (!pWaveFilm)
            pWaveFilm = &doc->WaveFilm;
        for (const CKPhoneObject* po : doc->PhoneObjects())
            CreatePhoneObjectWnd(const_cast<CKPhoneObject*>(po));
    }
    State.StartBlinking();
    nTimerID = State.nTimerID;
    if (pWaveFilm)
        nCaretCadre = pWaveFilm->GetKCaretCadre();
    PutKCaret();
}

void CTembrixView::OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint)
{
    switch (lHint) {
    case HintNewFilm:
        if (auto* h = dynamic_cast<CKWaveFilmHint*>(pHint))
            pWaveFilm = h->pWaveFilm;
        if (!pWaveFilm)
            return;
        SetNewScrollSizes();
        MoveObjectWindows();
        State.RememberSelection();
        nBandFirstCadre = State.nOldSelectedCadre0;
        nBandLastCadre = State.nOldSelectedCadre1;
        Invalidate(TRUE);
        break;
    case HintSelection:
        State.RepaintSelectedFragment();
        nBandFirstCadre = State.nOldSelectedCadre0;
        nBandLastCadre = State.nOldSelectedCadre1;
        break;
    case HintPhoneObject:
        if (auto* po = dynamic_cast<CKPhoneObject*>(pHint))
            CreatePhoneObjectWnd(po);
        break;
    case HintCaret:
        if (!pWaveFilm)
            return;
        if (bCaretDrawn)
            PutKCaret();
        nCaretCadre = pWaveFilm->GetKCaretCadre();
        PutKCaret();
        break;
    case HintPaperColour:
        if (!pSender)
            Invalidate(TRUE);
        break;
    default:
        break;
    }
}

// ---- drawing -------------------------------------------------------------------------------

BOOL CTembrixView::OnEraseBkgnd(CDC* pDC)
{
    CRect rc;
    GetClientRect(&rc);
    const bool paper = pWaveFilm && pWaveFilm->IsInternalStatusOK() && pWaveFilm->lightBackground;
    pDC->FillSolidRect(&rc, paper ? kPaperBackground : kBackground);
    return TRUE;
}

int CTembrixView::RulerStep(CDC* pDC) const
{
    const int w = pDC->GetTextExtent(bClockLabels ? "00:00:00" : "00000").cx;
    const int s = int(pWaveFilm->GetTimeInSecondsFromCadre(w + 10));
    return RulerTickStep(s, bClockLabels);
}

void CTembrixView::OnDraw(CDC* pDC)
{
    if (!pWaveFilm || !pWaveFilm->IsInternalStatusOK())
        return;
    MoveObjectWindows();
    const bool paper = pWaveFilm->lightBackground != 0;
    CPen* oldPen = pDC->SelectObject(paper ? &RulerPaperPen : &RulerPen);
    pDC->SetTextColor(paper ? RGB(0, 0, 0) : RGB(255, 255, 255));
    pDC->SetBkMode(TRANSPARENT);

    CRect rc;
    GetClientRect(&rc);
    const CPoint pos = GetScrollPosition();
    const int step = RulerStep(pDC);
    const int k0 = int(pWaveFilm->GetTimeInSecondsFromCadre(pos.x) / step);
    const int k1 = int(pWaveFilm->GetTimeInSecondsFromCadre(pos.x + rc.Width()) / step);
    for (int k = k0; k <= k1; ++k) {
        const int t = k * step;
        const int x = int(pWaveFilm->GetCadreNumberFromTimeInSeconds(t));
        pDC->MoveTo(x, 0);
        pDC->LineTo(x, 6);
        pDC->TextOut(x + 2, 0, RulerLabel(t, bClockLabels));
    }
    pDC->SelectObject(oldPen);

    for (const CKPhoneObjectWnd* w : PhoneObjectWndList)
        if (w->pPhoneObject)
            pDC->ExcludeClipRect(PhoneObjectRect(w->pPhoneObject));
    if (nBandLastCadre > nBandFirstCadre)
        pDC->PatBlt(int(nBandFirstCadre), pos.y, int(nBandLastCadre - nBandFirstCadre), rc.Height(), DSTINVERT);
    if (bCaretDrawn) {
        KDrawXorLine(pDC, &CaretPen, int(nCaretCadre), pos.y, int(nCaretCadre), pos.y + rc.Height());
    }
}

void CTembrixView::PutKCaret()
{
    bCaretDrawn = !bCaretDrawn;
    if (!GetSurface())
        return;
    CRect rc;
    GetClientRect(&rc);
    const int x = int(nCaretCadre - GetScrollPosition().x);
    CClientDC dc(this);
    const CPoint pos = GetScrollPosition();
    for (const CKPhoneObjectWnd* w : PhoneObjectWndList) {
        if (!w->pPhoneObject)
            continue;
        CRect r = PhoneObjectRect(w->pPhoneObject);
        r.OffsetRect(-pos.x, -pos.y);
        dc.ExcludeClipRect(&r);
    }
    KDrawXorLine(&dc, &CaretPen, x, 0, x, rc.bottom);
}

void CTembrixView::OnSize(UINT nType, int cx, int cy)
{
    CScrollView::OnSize(nType, cx, cy);
    SetNewScrollSizes();
    Invalidate(TRUE);
}

// ---- scrolling and the mouse --------------------------------------------------------------

void CTembrixView::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar)
{
    // The line would be left behind where the strip scrolls away from it.
    if (bCaretDrawn)
        PutKCaret();
    CScrollView::OnHScroll(nSBCode, nPos, pScrollBar);
    MoveObjectWindows();
}

void CTembrixView::OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar)
{
    CScrollView::OnVScroll(nSBCode, nPos, pScrollBar);
    MoveObjectWindows();
}

BOOL CTembrixView::OnMouseWheel(UINT, short, CPoint)
{
    return TRUE;
}

void CTembrixView::SetCaretFromClientPoint(CPoint point)
{
    if (!pWaveFilm)
        return;
    pWaveFilm->SetKCaretCadre(State.CadreFromClientX(point.x));
    State.SendCaretHint();
}

void CTembrixView::OnLButtonDown(UINT nFlags, CPoint point)
{
    State.OnLButtonDown(nFlags, point, [this](CPoint p) { SetCaretFromClientPoint(p); });
    nBandFirstCadre = State.nOldSelectedCadre0;
    nBandLastCadre = State.nOldSelectedCadre1;
}

void CTembrixView::OnLButtonUp(UINT, CPoint point)
{
    State.OnLButtonUp(point, [this](CPoint p) { SetCaretFromClientPoint(p); });
}

void CTembrixView::OnMouseMove(UINT nFlags, CPoint point)
{
    if (!pWaveFilm)
        return;
    State.OnMouseMove(nFlags, point, [this](CPoint p) { SetCaretFromClientPoint(p); });
    nBandFirstCadre = State.nOldSelectedCadre0;
    nBandLastCadre = State.nOldSelectedCadre1;
}

void CTembrixView::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == CKFilmViewState::nBlinkTimer)
        PutKCaret();
}

void CTembrixView::OnContextMenu(CWnd*, CPoint point)
{
    State.ShowContextMenu(IDR_TEMBRIX_VIEW_MENU, point);
}

void CTembrixView::OnRulerInSeconds()
{
    bClockLabels = !bClockLabels;
    Invalidate(TRUE);
}

void CTembrixView::OnUpdateRulerInSeconds(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(!bClockLabels);
}

LRESULT CTembrixView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PHONE_OBJECT_CHANGED) {
        if (CTembrixDoc* doc = GetDocument())
            doc->SetModifiedFlag();
        return 0;
    }
    if (message == WM_REMOVE_PHONE_OBJECT_WND) {
        RemovePhoneObjectWnd(reinterpret_cast<CKPhoneObjectWnd*>(wParam));
        return 0;
    }
    return CScrollView::WindowProc(message, wParam, lParam);
}

// ---- the sound-object window -----------------------------------------------------------

COLORREF CKPhoneObjectWnd::FillOfType(int nType)
{
    switch (nType) {
    case 1: return RGB(0, 0, 255);
    case 2: return RGB(0, 255, 0);
    case 3: return RGB(255, 0, 0);
    case 4: return RGB(0, 255, 255);
    default: return RGB(191, 191, 191);
    }
}

COLORREF CKPhoneObjectWnd::TextOfType(int nType)
{
    return nType == 1 || nType == 3 ? RGB(255, 255, 0) : RGB(0, 0, 0);
}

BOOL CKPhoneObjectWnd::OnEraseBkgnd(CDC* pDC)
{
    if (!pPhoneObject)
        return TRUE;
    CRect rc;
    GetClientRect(&rc);
    pDC->FillSolidRect(&rc, FillOfType(pPhoneObject->nType));
    pDC->SetBkMode(TRANSPARENT);
    pDC->SetTextColor(TextOfType(pPhoneObject->nType));
    pDC->TextOut(4, 2, PhoneObjectCaption(pPhoneObject->sName, pPhoneObject->sComment));
    // A bump edge: raised outside, sunken inside.
    const COLORREF light = RGB(255, 255, 255), shadow = RGB(128, 128, 128);
    auto frame = [&](CRect r, COLORREF topLeft, COLORREF bottomRight) {
        if (r.Width() <= 0 || r.Height() <= 0)
            return;
        pDC->FillSolidRect(r.left, r.top, r.Width(), 1, topLeft);
        pDC->FillSolidRect(r.left, r.top, 1, r.Height(), topLeft);
        pDC->FillSolidRect(r.left, r.bottom - 1, r.Width(), 1, bottomRight);
        pDC->FillSolidRect(r.right - 1, r.top, 1, r.Height(), bottomRight);
    };
    frame(rc, light, shadow);
    rc.DeflateRect(1, 1);
    frame(rc, shadow, light);
    return TRUE;
}

void CKPhoneObjectWnd::OnLButtonDown(UINT, CPoint)
{
    if (!pPhoneObject)
        return;
    auto* view = dynamic_cast<CTembrixView*>(GetParent());
    if (!view || !view->pWaveFilm)
        return;
    CKWaveFilm* film = view->pWaveFilm;
    film->SetSelectedFragmentAbsCadres(film->GetCadreNumberFromSample(pPhoneObject->nFirstSample),
                                       film->GetCadreNumberFromSample(pPhoneObject->nLastSample));
    if (CDocument* doc = view->GetDocument())
        doc->UpdateAllViews(nullptr, HintSelection);
}

void CKPhoneObjectWnd::OnLButtonDblClk(UINT, CPoint)
{
    if (!pPhoneObject)
        return;
    switch (pPhoneObject->nType) {
    case 0: OnPhoneObjectProperties(); return;
    case 2: AfxMessageBox("Не запрограммировано."); return;
    default: break;
    }
    const CString program = CompanionProgramOfType(pPhoneObject->nType);
    if (program.IsEmpty())
        return;
    StartCompanionProgram(program, CompanionCommandLine(program, pPhoneObject->sPhoneObjectDocFilePathName),
                          &nProcessId);
}

void CKPhoneObjectWnd::OnContextMenu(CWnd*, CPoint point)
{
    if (point.x == -1 && point.y == -1) {
        point = CPoint(5, 5);
        ClientToScreen(&point);
    }
    CMenu menu;
    if (!menu.LoadMenu(IDR_PHONE_OBJECT_MENU))
        return;
    if (CMenu* popup = menu.GetSubMenu(0))
        popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y, this);
}

bool CKPhoneObjectWnd::OnCommand(UINT nID, UINT nCode)
{
    switch (nID) {
    case ID_DELETE_PHONE_OBJECT: OnDeletePhoneObject(); return true;
    case ID_PHONE_OBJECT_PROPERTIES: OnPhoneObjectProperties(); return true;
    case ID_EDIT_CUT:
    case ID_EDIT_COPY:
    case ID_EDIT_PASTE: return true; // offered, with nothing to do here
    default: return CWnd::OnCommand(nID, nCode);
    }
}

void CKPhoneObjectWnd::OnDeletePhoneObject()
{
    if (UserInteraction().MessageBox("Вы действительно хотите удалить этот сонообъект?", "Подтверждение",
                                     MB_YESNO | MB_ICONQUESTION) == IDNO)
        return;
    auto* view = dynamic_cast<CTembrixView*>(GetParent());
    if (!view)
        return;
    if (CTembrixDoc* doc = view->GetDocument())
        doc->DeletePhoneObject(pPhoneObject);
    pPhoneObject = nullptr;
    // The window goes once its own message has been handled.
    ShowWindow(SW_HIDE);
    view->PostMessage(CTembrixView::WM_REMOVE_PHONE_OBJECT_WND, WPARAM(this));
}

void CKPhoneObjectWnd::OnPhoneObjectProperties()
{
    if (!pPhoneObject)
        return;
    CDialogPhoneObjectProperties dlg(pPhoneObject, this);
    if (dlg.DoModal() != IDOK)
        return;
    if (CWnd* parent = GetParent())
        parent->SendMessage(CTembrixView::WM_PHONE_OBJECT_CHANGED);
    SetWindowText(pPhoneObject->sName);
    Invalidate(TRUE);
}
