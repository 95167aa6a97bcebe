#include "tembrix/TembrixView.h"

#include <algorithm>
#include <cmath>

#include "framework/base/UserServices.h"
#include "framework/ui/AfxIds.h"
#include "framework/ui/CPrintInfo.h"
#include "framework/ui/KWndPicture.h"
#include "kavrel/views/DialogPhoneObjectProperties.h"
#include "kavrel/views/KContextMenu.h"
#include "kavrel/views/KPowerFilmView.h"
#include "kavrel/views/KWaveFilmView.h"
#include "tembrix/KCompanionPrograms.h"
#include "tembrix/TembrixDoc.h"
#include "tembrix/TembrixFormulas.h"
#include "tembrix/TembrixFrame.h"
#include "tembrix/TembrixIds.h"

IMPLEMENT_DYNCREATE(CTembrixView, CScrollView)

CTembrixView::CTembrixView() : CKFilmView(IDR_TEMBRIX_VIEW_MENU)
{
    RulerPen.CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
    RulerPaperPen.CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    MapCommandAndUpdate(ID_RULER_IN_SECONDS, &CTembrixView::OnRulerInSeconds, &CTembrixView::OnUpdateRulerInSeconds);
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

CRect CTembrixView::ShownObjectWindowRect(const CKPhoneObject* po, int* pHiddenLeft, int* pFullWidth) const
{
    CRect r = PhoneObjectRect(po);
    const CPoint pos = GetScrollPosition();
    r.OffsetRect(-pos.x, -pos.y);
    CRect rc;
    GetClientRect(&rc);
    const KShownSpan shown = ShownPartOfSpan(r.left, r.right, rc.Width());
    *pHiddenLeft = shown.hiddenLeft;
    *pFullWidth = r.Width();
    return CRect(shown.left, r.top, shown.right, r.bottom);
}

void CTembrixView::MoveObjectWindows()
{
    for (CKPhoneObjectWnd* w : PhoneObjectWndList) {
        if (!w->GetWidget() || !w->pPhoneObject)
            continue;
        int hiddenLeft = 0, fullWidth = 0;
        const CRect r = ShownObjectWindowRect(w->pPhoneObject, &hiddenLeft, &fullWidth);
        const bool shifted = hiddenLeft != w->nHiddenLeft || fullWidth != w->nFullWidth;
        w->nHiddenLeft = hiddenLeft;
        w->nFullWidth = fullWidth;
        w->MoveWindow(&r, FALSE);
        // The same window now shows another part of its object.
        if (shifted)
            w->Invalidate(TRUE);
    }
}

bool CTembrixView::CreatePhoneObjectWnd(CKPhoneObject* po)
{
    auto* w = new (std::nothrow) CKPhoneObjectWnd(po);
    if (!w) {
        AfxMessageBox("Не удалось создать объект окна для фонообъекта.");
        return false;
    }
    const CRect r = ShownObjectWindowRect(po, &w->nHiddenLeft, &w->nFullWidth);
    if (!w->Create(nullptr, po->sName, DWORD(WS_CHILD) | DWORD(WS_VISIBLE), r, this, UINT(po->nIndex))) {
        AfxMessageBox("Не удалось создать дочернее окно для фонообъекта.");
        delete w;
        return false;
    }
    PhoneObjectWndList.push_back(w);
    w->ShowWindow(SW_SHOW);
    w->UpdateWindow();
    SetNewScrollSizes();
    FitStripToLevels();
    return true;
}

void CTembrixView::ForgetPhoneObjectWnd(CKPhoneObjectWnd* pWnd)
{
    pWnd->pPhoneObject = nullptr;
    // The window may be the one whose menu asked for the deletion: it goes
    // once its own message has been handled.
    pWnd->ShowWindow(SW_HIDE);
    PostMessage(WM_REMOVE_PHONE_OBJECT_WND, WPARAM(pWnd));
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

void CTembrixView::FitStripToLevels()
{
    if (auto* frame = dynamic_cast<CTembrixFrame*>(GetParentFrame()))
        if (const CTembrixDoc* doc = GetDocument())
            frame->FitStripToLevels(doc->nMaxLevel);
}

void CTembrixView::OnInitialUpdate()
{
    SetNewScrollSizes();
    FitStripToLevels();
    if (CTembrixDoc* doc = GetDocument()) {
        if (!pWaveFilm)
            pWaveFilm = &doc->WaveFilm;
        for (const CKPhoneObject* po : doc->PhoneObjects())
            CreatePhoneObjectWnd(const_cast<CKPhoneObject*>(po));
    }
    State.StartBlinking();
    nTimerID = State.nTimerID;
    if (pWaveFilm)
        nCaretColumn = pWaveFilm->GetKCaretCadre();
    PutKCaret();
}

void CTembrixView::OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint)
{
    switch (lHint) {
    case HintNewFilm:
        if (!TakeFilmFromHint(pHint))
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
    case HintPhoneObjectGone:
        for (CKPhoneObjectWnd* w : PhoneObjectWndList)
            if (w->pPhoneObject == pHint)
                ForgetPhoneObjectWnd(w);
        break;
    case HintCaret:
        if (!pWaveFilm)
            return;
        if (bCaretShown)
            PutKCaret();
        nCaretColumn = pWaveFilm->GetKCaretCadre();
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
    if (bCaretShown) {
        KDrawXorLine(pDC, &CaretPen, int(nCaretColumn), pos.y, int(nCaretColumn), pos.y + rc.Height());
    }
}

BOOL CTembrixView::OnPreparePrinting(CPrintInfo* pInfo)
{
    pInfo->SetMaxPage(1);
    return DoPreparePrinting(pInfo);
}

void CTembrixView::OnPrint(CDC* pDC, CPrintInfo* pInfo)
{
    auto* frame = dynamic_cast<CTembrixFrame*>(GetParentFrame());
    const int col = frame ? frame->ColumnOf(this) : -1;
    std::vector<CWnd*> panes;
    if (col >= 0)
        panes = {frame->PowerView(col), frame->SonogramView(col), this};
    else
        panes = {this};
    int width = 0, height = 0;
    for (CWnd* w : panes) {
        CRect r;
        w->GetClientRect(&r);
        width = std::max(width, r.Width());
        height += r.Height();
    }
    if (width <= 0 || height <= 0)
        return;
    // As large as the page allows, never larger than on the screen.
    const CRect page = pInfo->m_rectDraw;
    const double scale = std::min({1.0, double(page.Width()) / width, double(page.Height()) / height});
    double y = page.top;
    for (CWnd* w : panes) {
        CRect r;
        w->GetClientRect(&r);
        KDrawWindowPicture(w, pDC, page.left, int(std::lround(y)), scale);
        y += r.Height() * scale;
    }
}

void CTembrixView::PutKCaret()
{
    // The line passes behind the objects' windows.
    BlinkCaretLine([this](CDC& dc) {
        const CPoint pos = GetScrollPosition();
        for (const CKPhoneObjectWnd* w : PhoneObjectWndList) {
            if (!w->pPhoneObject)
                continue;
            CRect r = PhoneObjectRect(w->pPhoneObject);
            r.OffsetRect(-pos.x, -pos.y);
            dc.ExcludeClipRect(&r);
        }
    });
}

void CTembrixView::OnSize(UINT nType, int cx, int cy)
{
    CScrollView::OnSize(nType, cx, cy);
    SetNewScrollSizes();
    // The windows show as much of their objects as the strip now does.
    MoveObjectWindows();
    Invalidate(TRUE);
}

// ---- scrolling and the mouse --------------------------------------------------------------

void CTembrixView::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar)
{
    CKFilmView::OnHScroll(nSBCode, nPos, pScrollBar);
    MoveObjectWindows();
}

void CTembrixView::OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar)
{
    CScrollView::OnVScroll(nSBCode, nPos, pScrollBar);
    MoveObjectWindows();
}

void CTembrixView::OnLButtonDown(UINT nFlags, CPoint point)
{
    CKFilmView::OnLButtonDown(nFlags, point);
    nBandFirstCadre = State.nOldSelectedCadre0;
    nBandLastCadre = State.nOldSelectedCadre1;
}

void CTembrixView::OnMouseMove(UINT nFlags, CPoint point)
{
    if (!pWaveFilm)
        return;
    MoveCaretWithMouse(nFlags, point);
    nBandFirstCadre = State.nOldSelectedCadre0;
    nBandLastCadre = State.nOldSelectedCadre1;
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

CKPhoneObjectWnd::CKPhoneObjectWnd(CKPhoneObject* po) : pPhoneObject(po)
{
    // Registered, not only handled, so that the context menu offers them:
    // an item nobody registers is greyed. Cut, copy and paste have nothing
    // to do here and stay grey.
    MapCommand(ID_DELETE_PHONE_OBJECT, &CKPhoneObjectWnd::OnDeletePhoneObject);
    MapCommand(ID_PHONE_OBJECT_PROPERTIES, &CKPhoneObjectWnd::OnPhoneObjectProperties);
}

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
    // The window shows only the strip's part of its object: text and edges
    // stand where the whole object would have them.
    pDC->TextOut(4 - nHiddenLeft, 2, PhoneObjectCaption(pPhoneObject->sName, pPhoneObject->sComment));
    // A bump edge: raised outside, sunken inside.
    const COLORREF light = RGB(255, 255, 255), shadow = RGB(128, 128, 128);
    auto frame = [&](CRect r, COLORREF topLeft, COLORREF bottomRight) {
        if (r.Width() <= 0 || r.Height() <= 0)
            return;
        // The long lines only as far as the window reaches.
        const int x0 = std::max(r.left, rc.left - 1), x1 = std::min(r.right, rc.right + 1);
        pDC->FillSolidRect(x0, r.top, x1 - x0, 1, topLeft);
        pDC->FillSolidRect(r.left, r.top, 1, r.Height(), topLeft);
        pDC->FillSolidRect(x0, r.bottom - 1, x1 - x0, 1, bottomRight);
        pDC->FillSolidRect(r.right - 1, r.top, 1, r.Height(), bottomRight);
    };
    CRect whole(-nHiddenLeft, rc.top, nFullWidth - nHiddenLeft, rc.bottom);
    frame(whole, light, shadow);
    whole.DeflateRect(1, 1);
    frame(whole, shadow, light);
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
    KTrackContextMenu(this, IDR_PHONE_OBJECT_MENU, point, this);
}

void CKPhoneObjectWnd::OnDeletePhoneObject()
{
    if (UserInteraction().MessageBox("Вы действительно хотите удалить этот сонообъект?", "Подтверждение",
                                     MB_YESNO | MB_ICONQUESTION) == IDNO)
        return;
    auto* view = dynamic_cast<CTembrixView*>(GetParent());
    if (!view)
        return;
    // The document tells every view, this one included, to let go of the object.
    if (CTembrixDoc* doc = view->GetDocument())
        doc->DeletePhoneObject(pPhoneObject);
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
