#include "kavrel/views/KWaveView.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "kavrel/core/KWave.h"
#include "kavrel/views/KContextMenu.h"

IMPLEMENT_DYNCREATE(CKWaveView, CMiniFrameWnd)

// The context menu's display options and the flags they turn over.
const CKWaveView::Option CKWaveView::kOptions[] = {
    {ID_PHYSICAL_UNITS, &CKWaveView::bPhysicalUnits},   {ID_SHOW_DURATION, &CKWaveView::bShowDuration},
    {ID_SHOW_AMPLITUDE, &CKWaveView::bShowAmplitude},   {ID_SHOW_POSITION, &CKWaveView::bShowPosition},
    {ID_AUTOMATIC_GAIN, &CKWaveView::bAutomaticGain},   {ID_DOUBLE_OR_HALVE, &CKWaveView::bDoubleOrHalve},
    {ID_SHOW_PLAY_BUTTON, &CKWaveView::bPlayButtonShown}, {ID_SHOW_SPIN, &CKWaveView::bSpinShown},
};

CKWaveView::CKWaveView()
{
    WavePen.CreatePen(PS_SOLID, 1, kWaveColour);
    CrosshairPen.CreatePen(PS_SOLID, 1, kCrosshairColour);
    if (!Font.CreateFont(14, 8, 0, 0, FW_NORMAL, 0, 0, 0, RUSSIAN_CHARSET, 0, 0, 0, 0, "Arial Cyr"))
        Font.CreateFont(14, 8, 0, 0, FW_NORMAL, 0, 0, 0, RUSSIAN_CHARSET, 0, 0, 0, 0, "Arial");

    MapCommand(IDC_WAVE_VIEW_PLAY, &CKWaveView::OnPlay);
    for (const Option& o : kOptions) {
        MapCommandWithId(o.nID, &CKWaveView::OnToggleOption);
        MapUpdate(o.nID, &CKWaveView::OnUpdateOption);
    }
}

CKWaveView::~CKWaveView()
{
    if (GetWidget())
        DestroyWindow();
    // The owner's window may have taken ours, and the controls', with it.
    Spin.Detach();
    PlayButton.Detach();
}

// ---- window life ------------------------------------------------------------

BOOL CKWaveView::Create(CKWave* pKWave, CWnd* pParent)
{
    pWave = pKWave;
    CString title = "Осциллограмма - ";
    if (pWave)
        title += pWave->GetKWaveFileTitle();
    const CRect rc(100, 100, 100 + nOuterWidth, 100 + nOuterHeight);
    if (!CMiniFrameWnd::Create(nullptr, title.GetString(), WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, rc,
                               pParent))
        return FALSE;
    if (pParent && pParent->GetWidget())
        CenterWindow();
    SetMinTrackSize(nMinWidth, nMinHeight);
    return TRUE;
}

int CKWaveView::OnCreate(LPCREATESTRUCT)
{
    CRect rc;
    GetClientRect(&rc);
    if (!Spin.Create(DWORD(UDS_HORZ) | DWORD(WS_CHILD) | DWORD(WS_VISIBLE), SpinRect(rc.Width(), rc.Height()), this, IDC_WAVE_VIEW_SPIN))
        return -1;
    Spin.SetRange(1, 2048);
    if (!PlayButton.Create(">", DWORD(BS_PUSHBUTTON) | DWORD(WS_CHILD) | DWORD(WS_VISIBLE), PlayButtonRect(rc.Width(), rc.Height()), this,
                           IDC_WAVE_VIEW_PLAY))
        return -1;
    Spin.ShowWindow(SW_SHOW);
    PlayButton.ShowWindow(SW_SHOW);
    bSpinShown = bPlayButtonShown = true;
    nTimerID = SetTimer(nCrosshairTimer, 500);
    OnSize(SIZE_RESTORED, rc.Width(), rc.Height());
    return 0;
}

BOOL CKWaveView::DestroyWindow()
{
    if (nTimerID) {
        KillTimer(nTimerID);
        nTimerID = 0;
    }
    // The controls' widgets go with the window's.
    Spin.Detach();
    PlayButton.Detach();
    return CMiniFrameWnd::DestroyWindow();
}

void CKWaveView::OnSize(UINT nType, int cx, int cy)
{
    CMiniFrameWnd::OnSize(nType, cx, cy);
    if (Spin.GetWidget())
        Spin.MoveWindow(SpinRect(cx, cy));
    if (PlayButton.GetWidget())
        PlayButton.MoveWindow(PlayButtonRect(cx, cy));
    Invalidate(TRUE);
}

LRESULT CKWaveView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NOTIFY) {
        auto* hdr = reinterpret_cast<NMHDR*>(lParam);
        LRESULT result = 0;
        if (hdr && UINT(wParam) == IDC_WAVE_VIEW_SPIN && hdr->code == UDN_DELTAPOS)
            OnDeltaposSpin(hdr, &result);
        return result;
    }
    return CMiniFrameWnd::WindowProc(message, wParam, lParam);
}

// ---- painting -----------------------------------------------------------------

long CKWaveView::ScaleOf(const short* s, long n, bool bAutomaticGain)
{
    if (!bAutomaticGain)
        return 32768;
    long m = 1;
    for (long i = 0; i < n; ++i)
        m = std::max(m, std::labs(long(s[i])));
    return m;
}

void CKWaveView::OnPaint()
{
    CPaintDC dc(this);
    CRect rc;
    GetClientRect(&rc);
    const int W = rc.Width(), H = rc.Height();
    // The controls draw themselves.
    if (bSpinShown)
        dc.ExcludeClipRect(SpinRect(W, H));
    if (bPlayButtonShown)
        dc.ExcludeClipRect(PlayButtonRect(W, H));
    dc.FillSolidRect(&rc, RGB(0, 0, 0));
    bCrosshairShown = false;
    const int half = H / 2;
    if (!(W > 0 && H > 1) || !pWave)
        return;

    const long n = pWave->GetKWaveWindowWidthInSamples();
    const short* s = pWave->GetKWaveWindow();
    const long m = ScaleOf(s, s ? n : 0, bAutomaticGain);
    const long position = pWave->GetKWaveWindowSamplePosition();

    CFont* oldFont = dc.SelectObject(&Font);
    const int oldBk = dc.SetBkMode(TRANSPARENT);
    const COLORREF oldText = dc.SetTextColor(bPhysicalUnits ? kPhysicalTextColour : kRawTextColour);
    const UINT oldAlign = dc.GetTextAlign();
    if (bShowAmplitude) {
        dc.SetTextAlign(TA_LEFT | TA_TOP);
        dc.TextOut(0, 0, AmplitudeCaption(m).GetString());
    }
    if (bShowDuration) {
        dc.SetTextAlign(TA_RIGHT | TA_BOTTOM);
        dc.TextOut(W, H, DurationCaption(n).GetString());
    }
    if (bShowPosition) {
        dc.SetTextAlign(TA_CENTER | TA_BOTTOM);
        dc.TextOut(W / 2, H, PositionCaption(position).GetString());
    }
    dc.SetTextAlign(oldAlign);
    dc.SetTextColor(oldText);
    dc.SetBkMode(oldBk);
    dc.SelectObject(oldFont);

    // A window of one sample has no horizontal step: only the captions.
    if (s && n > 1) {
        std::vector<POINT> points(static_cast<size_t>(n));
        for (long i = 0; i < n; ++i) {
            points[size_t(i)].x = LONG(i * W / (n - 1));
            points[size_t(i)].y = LONG(half - long(double(s[i]) * half / double(m)));
        }
        CPen* oldPen = dc.SelectObject(&WavePen);
        dc.Polyline(points.data(), int(n));
        dc.SelectObject(oldPen);
    }
    DrawCrosshair();
}

CString CKWaveView::caption(const char* physicalFormat, double physical, long samples) const
{
    CString text;
    if (bPhysicalUnits)
        text.Format(physicalFormat, physical);
    else
        text.Format("%li", samples);
    return text;
}

CString CKWaveView::AmplitudeCaption(long m) const
{
    return caption("%.2f дБ", 20 * std::log10(double(m) / 32767), m);
}

CString CKWaveView::DurationCaption(long n) const
{
    const double fs = samplingRate();
    return caption("%.2f мс", fs > 0 ? double(n) / fs * 1000 : 0.0, n);
}

CString CKWaveView::PositionCaption(long position) const
{
    const double fs = samplingRate();
    return caption("%.3f с", fs > 0 ? double(position) / fs : 0.0, position);
}

double CKWaveView::samplingRate() const
{
    return pWave ? double(pWave->GetKWaveFrADC()) : 0.0;
}

void CKWaveView::DrawCrosshair()
{
    bCrosshairShown = !bCrosshairShown;
    if (!GetSurface())
        return;
    CRect rc;
    GetClientRect(&rc);
    CClientDC dc(this);
    if (bSpinShown)
        dc.ExcludeClipRect(SpinRect(rc.Width(), rc.Height()));
    if (bPlayButtonShown)
        dc.ExcludeClipRect(PlayButtonRect(rc.Width(), rc.Height()));
    CPen* oldPen = dc.SelectObject(&CrosshairPen);
    const int oldRop = dc.SetROP2(R2_XORPEN);
    // The window's position is at its centre.
    dc.MoveTo(0, rc.Height() / 2);
    dc.LineTo(rc.Width(), rc.Height() / 2);
    dc.MoveTo(rc.Width() / 2, 0);
    dc.LineTo(rc.Width() / 2, rc.Height());
    dc.SetROP2(oldRop);
    dc.SelectObject(oldPen);
}

void CKWaveView::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == nCrosshairTimer)
        DrawCrosshair();
}

void CKWaveView::OnContextMenu(CWnd*, CPoint point)
{
    KTrackContextMenu(this, IDR_WAVE_VIEW_MENU, point, GetParentOwner());
}

// ---- the wave's window --------------------------------------------------------

void CKWaveView::OnDeltaposSpin(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    auto* nm = reinterpret_cast<NMUPDOWN*>(pNMHDR);
    if (!pWave)
        return;
    const long w = pWave->GetKWaveWindowWidthInSamples();
    long next = w;
    if (bDoubleOrHalve) {
        if (nm->iDelta > 0 && w > 3)
            next = w / 2;
        else if (nm->iDelta < 0 && w * 2 <= nMaxWindowWidth)
            next = w * 2;
    } else {
        if (nm->iDelta > 0 && w > 3)
            next = w - 2;
        else if (nm->iDelta < 0 && w <= nMaxWindowWidth - 2)
            next = w + 2;
    }
    if (next == w)
        return;
    pWave->SetKWaveWindowWidthInSamples(next);
    Invalidate(TRUE);
}

void CKWaveView::OnPlay()
{
    if (!pWave)
        return;
    const long position = pWave->GetKWaveWindowSamplePosition();
    const long half = pWave->GetKWaveWindowWidthInSamples() / 2;
    pWave->PlayKWave(position - half, position + half);
}

// ---- persistence -------------------------------------------------------------------

void CKWaveView::Serialize(CArchive& ar)
{
    bool* const order[] = {&bAutomaticGain, &bDoubleOrHalve, &bShowAmplitude,
                           &bPhysicalUnits, &bShowPosition,  &bShowDuration};
    if (ar.IsStoring()) {
        for (bool* flag : order)
            ar << static_cast<unsigned char>(*flag ? 1 : 0);
        return;
    }
    // All six first, so that a short archive changes nothing.
    unsigned char bytes[6];
    for (unsigned char& b : bytes)
        ar >> b;
    for (int i = 0; i < 6; ++i)
        *order[i] = bytes[i] != 0;
    if (GetWidget())
        Invalidate(TRUE);
}

// ---- menu toggles ----------------------------------------------------------------------

bool* CKWaveView::optionFlag(UINT nID)
{
    for (const Option& o : kOptions)
        if (o.nID == nID)
            return &(this->*o.flag);
    return nullptr;
}

void CKWaveView::OnToggleOption(UINT nID)
{
    bool* flag = optionFlag(nID);
    if (!flag)
        return;
    *flag = !*flag;
    // Two of the options are controls of the window.
    if (nID == ID_SHOW_PLAY_BUTTON)
        PlayButton.ShowWindow(bPlayButtonShown ? SW_SHOW : SW_HIDE);
    else if (nID == ID_SHOW_SPIN)
        Spin.ShowWindow(bSpinShown ? SW_SHOW : SW_HIDE);
    Invalidate(TRUE);
}

void CKWaveView::OnUpdateOption(CCmdUI* pCmdUI)
{
    if (const bool* flag = optionFlag(pCmdUI->m_nID))
        pCmdUI->SetCheck(*flag ? 1 : 0);
}
