#include "kavrel/views/KWaveSpectrumView.h"

#include <algorithm>
#include <cmath>

#include "kavrel/core/KWaveFilm.h"
#include "kavrel/views/KContextMenu.h"
#include "kavrel/views/KWaveFilmFloatingWindows.h"

IMPLEMENT_DYNCREATE(CKWaveSpectrumView, CMiniFrameWnd)

namespace {

// The integer part of a pixel coordinate; levels that are absurd (or not a
// number) must not overflow it.
int IntegerPart(double v)
{
    if (!(v == v))
        return 0;
    return int(std::clamp(v, -1e6, 1e6));
}

bool CreateLabelFont(CFont& font, int escapement)
{
    for (const char* face : {"Arial Cyr", "Arial"}) {
        if (font.CreateFont(14, 8, escapement, escapement, FW_NORMAL, 0, 0, 0, RUSSIAN_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, face))
            return true;
    }
    return false;
}

} // namespace

CKWaveSpectrumView::CKWaveSpectrumView()
{
    FramePen.CreatePen(PS_SOLID, 1, kFrameColour);
    GridPen.CreatePen(PS_SOLID, 1, kGridColour);
    StrongPen.CreatePen(PS_SOLID, 1, kStrongColour);
    WeakPen.CreatePen(PS_SOLID, 1, kWeakColour);
    UpLevelPen.CreatePen(PS_SOLID, 2, kUpLevelColour);
    DownLevelPen.CreatePen(PS_SOLID, 1, kDownLevelColour);
    SlopePen.CreatePen(PS_SOLID, 1, kSlopeColour);
    CreateLabelFont(Font, 0);
    CreateLabelFont(RotatedFont, 900);

    for (UINT id = ID_AMPL_RANGE_FIRST; id <= ID_AMPL_RANGE_LAST; ++id) {
        MapCommandWithId(id, &CKWaveSpectrumView::OnAmplRange);
        MapUpdate(id, &CKWaveSpectrumView::OnUpdateAmplRange);
    }
    MapCommandAndUpdate(ID_SHOW_SLOPE_LINES, &CKWaveSpectrumView::OnShowSlopeLines, &CKWaveSpectrumView::OnUpdateShowSlopeLines);
    MapCommandWithId(ID_SLOPE_0, &CKWaveSpectrumView::OnSlope);
    MapUpdate(ID_SLOPE_0, &CKWaveSpectrumView::OnUpdateSlope);
    for (UINT id = ID_SLOPE_2; id <= ID_SLOPE_40; ++id) {
        MapCommandWithId(id, &CKWaveSpectrumView::OnSlope);
        MapUpdate(id, &CKWaveSpectrumView::OnUpdateSlope);
    }
}

CKWaveSpectrumView::~CKWaveSpectrumView()
{
    if (nTimerID && GetWidget())
        KillTimer(nTimerID);
    nTimerID = 0;
}

// ---- window life ------------------------------------------------------------------

bool CKWaveSpectrumView::KCreateWnd(CKWaveFilm* pFilm, CWnd* pParent)
{
    pWaveFilm = pFilm;
    if (!KCreateFilmFloatingWindow(*this, "Спектр", pFilm, nOuterWidth, nOuterHeight, pParent))
        return false;
    nTimerID = SetTimer(nBlinkTimer, 500);
    Invalidate(FALSE);
    return true;
}

void CKWaveSpectrumView::ShowKWindow()
{
    if (!GetWidget())
        return;
    if (!nTimerID)
        nTimerID = SetTimer(nBlinkTimer, 500);
    ShowWindow(SW_SHOW);
    Invalidate(FALSE);
}

void CKWaveSpectrumView::OnClose()
{
    if (nTimerID) {
        KillTimer(nTimerID);
        nTimerID = 0;
    }
    CMiniFrameWnd::OnClose();
}

void CKWaveSpectrumView::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == nBlinkTimer)
        PutKCaret();
}

void CKWaveSpectrumView::OnContextMenu(CWnd*, CPoint point)
{
    KTrackContextMenu(this, IDR_SPECTRUM_VIEW_MENU, point, GetParentOwner());
}

// ---- commands ---------------------------------------------------------------------

void CKWaveSpectrumView::OnAmplRange(UINT nID)
{
    nAmplRange = int(nID - ID_AMPL_RANGE_FIRST) + 1;
    Invalidate(FALSE);
}

void CKWaveSpectrumView::OnUpdateAmplRange(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(int(pCmdUI->m_nID - ID_AMPL_RANGE_FIRST) + 1 == nAmplRange ? 1 : 0);
}

void CKWaveSpectrumView::OnShowSlopeLines()
{
    bHideSlopeLines = !bHideSlopeLines;
    Invalidate(FALSE);
}

void CKWaveSpectrumView::OnUpdateShowSlopeLines(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(bHideSlopeLines ? 0 : 1);
}

namespace {
int SlopeOfCommand(UINT nID)
{
    return nID == CKWaveSpectrumView::ID_SLOPE_0 ? 0 : int(nID - CKWaveSpectrumView::ID_SLOPE_2 + 1) * 2;
}
} // namespace

void CKWaveSpectrumView::OnSlope(UINT nID)
{
    nSlope = SlopeOfCommand(nID);
    Invalidate(FALSE);
}

void CKWaveSpectrumView::OnUpdateSlope(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(SlopeOfCommand(pCmdUI->m_nID) == nSlope ? 1 : 0);
}

// ---- drawing ---------------------------------------------------------------------------

double CKWaveSpectrumView::SlopeInDecibelsPerOctave() const
{
    return nSlope * 20 * std::log10(2.0) / 6;
}

CString CKWaveSpectrumView::SlopeCaption() const
{
    CString s;
    s.Format("Линии убывания = %1.2f дБ/окт", SlopeInDecibelsPerOctave());
    return s;
}

int CKWaveSpectrumView::attenuationOffset(double zero, double level) const
{
    return IntegerPart((zero - level) / (nAmplRange * 10.0) * kAmplWidth);
}

// Positions the film's first spectrum on the caret's sample, computes it
// and keeps its levels and phase derivatives. N: lines of the cadre.
bool CKWaveSpectrumView::computeCaretCadre(int& N)
{
    N = 0;
    if (!pWaveFilm || !pWaveFilm->KWaveIsGood() || !pWaveFilm->IsInternalStatusOK() || !pWaveFilm->pS0)
        return false;
    CKSpectrum* s = pWaveFilm->pS0;
    const int nfft = s->GetNFFT();
    if (nfft < 4 || nfft != pWaveFilm->GetNFFT())
        return false;
    N = nfft / 2;
    if (pWaveFilm->validUpLevel.nSize < N || pWaveFilm->validDownLevel.nSize < N || !Ampl_dB.SetSize(N) ||
        !dPhaze_dOmega.SetSize(N)) {
        N = 0;
        return false;
    }
    s->Wave.PositKWaveWindowOnSample(pWaveFilm->GetKCaretSample());
    pWaveFilm->FFT.CalculateWithWeighting(s);
    // The safe form: a silent line is a very low level, not minus infinity.
    s->CalculateAmpl_dB_(Ampl_dB.pArray);
    s->Calculate_dPhaze_dOmega(dPhaze_dOmega.pArray);
    return true;
}

void CKWaveSpectrumView::drawSlopeLines(CDC* pDC, int N)
{
    const double R = nAmplRange * 10.0;
    const double slope = SlopeInDecibelsPerOctave();
    pDC->SaveDC();
    pDC->IntersectClipRect(kPlotLeft, kPlotTop, kDivider, kPlotBottom);
    pDC->SelectObject(&SlopePen);
    for (int g = 1; g <= 23; ++g) {
        pDC->MoveTo(IntegerPart(g * double(kAmplWidth) / R * 10 + kPlotLeft), kPlotTop + 1);
        // One pixel per spectral line from the top, whatever the NFFT.
        int y = kPlotTop + 1;
        for (int n = N - 1; n >= 1 && y <= kPlotBottom; --n, ++y) {
            const double x = (slope * std::log2(double(n) / (N - 1)) / 10 + g) * kAmplWidth / (R / 10) + kPlotLeft;
            pDC->LineTo(IntegerPart(x), y);
        }
    }
    pDC->RestoreDC(-1);
    pDC->SetBkMode(OPAQUE);
    pDC->SetBkColor(kBackColour);
    pDC->SetTextColor(kSlopeColour);
    const CString caption = SlopeCaption();
    pDC->TextOut(kPlotLeft, kPlotBottom, caption.GetString());
}

// Frame, divider, grid and the vertical labels above the plot. The merge
// mode keeps the slope lines visible where the grid crosses them.
void CKWaveSpectrumView::drawScale(CDC* pDC)
{
    pDC->SetROP2(R2_MERGEPEN);
    pDC->SelectObject(&FramePen);
    pDC->SelectStockObject(NULL_BRUSH);
    pDC->Rectangle(kPlotLeft, kPlotTop, kPlotRight, kPlotBottom);
    pDC->MoveTo(kDivider, kPlotTop);
    pDC->LineTo(kDivider, kPlotBottom);

    pDC->SelectObject(&RotatedFont);
    pDC->SetBkMode(OPAQUE);
    pDC->SetBkColor(kBackColour);
    pDC->SetTextColor(kFrameColour);
    pDC->TextOut(kPlotLeft, kPlotTop - 4, "дБ");

    pDC->SelectObject(&GridPen);
    pDC->SetTextAlign(TA_BOTTOM | TA_LEFT);
    for (int e = 1; e < nAmplRange; ++e) {
        const int x = e * kAmplWidth / nAmplRange + kPlotLeft;
        pDC->MoveTo(x, kPlotTop + 1);
        pDC->LineTo(x, kPlotBottom);
        // From 100 dB on, the first label would run into "дБ".
        if (nAmplRange >= 10 && e == 1)
            continue;
        CString label;
        label.Format("%0i", -10 * e);
        pDC->TextOut(x + 7, kPlotTop - 4, label.GetString());
    }
    pDC->SetROP2(R2_COPYPEN);
}

void CKWaveSpectrumView::drawSpectralLines(CDC* pDC, int N, double zero)
{
    const float* down = pWaveFilm->validDownLevel.pArray;
    for (int i = 1; i < N; ++i) {
        const int y = (N - i) * kRows / N + kPlotTop;
        const int xa = std::clamp(attenuationOffset(zero, Ampl_dB.pArray[i]), 0, kAmplWidth);
        const int xd = std::clamp(attenuationOffset(zero, down[i]), 0, kAmplWidth);
        int from = xa + kPlotLeft;
        if (xa < xd) {
            pDC->SelectObject(&StrongPen);
            pDC->MoveTo(from, y);
            pDC->LineTo(xd + kPlotLeft, y);
            from = xd + kPlotLeft;
        }
        pDC->SelectObject(&WeakPen);
        pDC->MoveTo(from, y);
        pDC->LineTo(kDivider, y);
    }
}

void CKWaveSpectrumView::drawLevelCurve(CDC* pDC, int N, double zero, const float* level)
{
    auto xOf = [&](int e) {
        const int u = attenuationOffset(zero, level[e]);
        return u >= kAmplWidth + 1 ? kDivider : u + kPlotLeft;
    };
    pDC->MoveTo(xOf(N - 1), kPlotTop + 1);
    for (int e = N - 1; e >= 0; --e)
        pDC->LineTo(xOf(e), (N - e) * kRows / N + kPlotTop);
}

void CKWaveSpectrumView::drawPhasePanel(CDC* pDC, int N)
{
    double* sum = dPhaze_dOmega.pArray;
    for (int k = 1; k < N; ++k)
        sum[k] += sum[k - 1];
    const double m = *std::min_element(sum, sum + N);
    const double M = *std::max_element(sum, sum + N);
    const double toHertz = double(pWaveFilm->GetKWaveFrADC()) / pWaveFilm->GetNFFT();
    CString label;
    pDC->SetTextAlign(TA_BOTTOM | TA_LEFT);
    label.Format("%.2f", m * toHertz);
    pDC->TextOut(kDivider, kPlotTop - 4, label.GetString());
    label.Format("%.2f", M * toHertz);
    pDC->TextOut(kPlotRight, kPlotTop - 4, label.GetString());

    // A flat sum has no scale: it lies along the panel's left edge.
    const double span = M - m;
    auto xOf = [&](int k) { return span > 0 ? IntegerPart((sum[k] - m) / span * kPhaseWidth + kDivider) : kDivider; };
    const float* down = pWaveFilm->validDownLevel.pArray;
    pDC->MoveTo(xOf(0), kPlotBottom);
    for (int k = 1; k < N; ++k) {
        pDC->SelectObject(Ampl_dB.pArray[k] >= down[k] ? &StrongPen : &WeakPen);
        pDC->LineTo(xOf(k), (N - k) * kRows / N + kPlotTop);
    }
}

void CKWaveSpectrumView::Draw(CDC* pDC)
{
    int N = 0;
    const bool haveCadre = computeCaretCadre(N);

    CRect rc;
    GetClientRect(&rc);
    pDC->FillSolidRect(&rc, kBackColour);
    pDC->FillSolidRect(kPlotLeft + 1, kPlotTop + 1, kPlotRight - kPlotLeft - 2, kPlotBottom - kPlotTop - 2, RGB(0, 0, 0));
    pDC->SelectObject(&Font);
    if (haveCadre && !bHideSlopeLines)
        drawSlopeLines(pDC, N);
    drawScale(pDC);
    if (haveCadre) {
        const double zero = pWaveFilm->pS0->GetZeroSpectrumPowerLevel_in_dB();
        drawSpectralLines(pDC, N, zero);
        pDC->SelectObject(&UpLevelPen);
        drawLevelCurve(pDC, N, zero, pWaveFilm->validUpLevel.pArray);
        pDC->SelectObject(&DownLevelPen);
        drawLevelCurve(pDC, N, zero, pWaveFilm->validDownLevel.pArray);
        drawPhasePanel(pDC, N);
    }
    bCaretShown = false;
    PutKCaret();
}

void CKWaveSpectrumView::OnPaint()
{
    CPaintDC dc(this);
    Draw(&dc);
}

void CKWaveSpectrumView::PutKCaret()
{
    if (!pWaveFilm || !GetSurface())
        return;
    const double fs = double(pWaveFilm->GetKWaveFrADC());
    if (fs <= 0)
        return;
    const int row = IntegerPart((1 - 2 * pWaveFilm->GetKCaretFrequency() / fs) * kRows);
    CClientDC dc(this);
    dc.SetROP2(R2_XORPEN);
    dc.SelectObject(&GridPen);
    auto line = [&](int r) {
        dc.MoveTo(kPlotLeft, r + kPlotTop);
        dc.LineTo(kPlotRight, r + kPlotTop);
    };
    if (row == nCaretRow) {
        line(row);
        bCaretShown = !bCaretShown;
    } else {
        if (bCaretShown)
            line(nCaretRow);
        line(row);
        bCaretShown = true;
    }
    nCaretRow = row;
}
