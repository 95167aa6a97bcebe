#include "kavrel/views/KWaveSpectrumPhasePortraitView.h"

#include <numbers>
#include <algorithm>
#include <cmath>

#include "kavrel/core/KWaveFilm.h"
#include "kavrel/views/KContextMenu.h"
#include "kavrel/views/KWaveFilmFloatingWindows.h"

IMPLEMENT_DYNCREATE(CKWaveSpectrumPhasePortraitView, CMiniFrameWnd)

namespace {

// The plot and the zero line of the relative chirp.
constexpr int kPlotLeft = 20;
constexpr int kPlotTop = 20;
constexpr int kPlotRight = 532;
constexpr int kPlotBottom = 620;
constexpr int kZeroRow = 320;
// Pixels per unit of relative chirp.
constexpr double kChirpScale = 8.0;

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

// arg(a * conj(b)): the phase step from b to a.
double PhaseStep(const Z& a, const Z& b)
{
    return std::atan2(a.im * b.re - a.re * b.im, a.re * b.re + a.im * b.im);
}

int IntegerPart(double v)
{
    if (!(v == v))
        return 0;
    return int(std::clamp(v, -1e6, 1e6));
}

} // namespace

CKWaveSpectrumPhasePortraitView::CKWaveSpectrumPhasePortraitView()
{
    Distribution.SetSize(nBins);
    Distribution.Clear();
    MapCommandAndUpdate(ID_PREDICTION_TWO_CADRES, &CKWaveSpectrumPhasePortraitView::OnPredictionTwoCadres, &CKWaveSpectrumPhasePortraitView::OnUpdatePredictionTwoCadres);
}

// ---- window life ------------------------------------------------------------------

bool CKWaveSpectrumPhasePortraitView::KCreateWnd(CKWaveFilm* pFilm, CWnd* pParent)
{
    pWaveFilm = pFilm;
    if (!KCreateFilmFloatingWindow(*this, "Фазовый портрет", pFilm, nOuterWidth, nOuterHeight, pParent))
        return false;
    Invalidate(FALSE);
    return true;
}

void CKWaveSpectrumPhasePortraitView::ShowKWindow()
{
    if (!GetWidget())
        return;
    ShowWindow(SW_SHOW);
    Invalidate(FALSE);
}

void CKWaveSpectrumPhasePortraitView::OnClose()
{
    CMiniFrameWnd::OnClose();
}

void CKWaveSpectrumPhasePortraitView::OnContextMenu(CWnd*, CPoint point)
{
    KTrackContextMenu(this, IDR_PHASE_PORTRAIT_MENU, point, GetParentOwner());
}

void CKWaveSpectrumPhasePortraitView::OnPredictionTwoCadres()
{
    nPredictionStep = nPredictionStep == 2 ? 1 : 2;
    Invalidate(FALSE);
}

void CKWaveSpectrumPhasePortraitView::OnUpdatePredictionTwoCadres(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(nPredictionStep == 2 ? 1 : 0);
}

// ---- analysis ---------------------------------------------------------------------------

// The cadre's reader is opened on the film's file once and kept.
bool CKWaveSpectrumPhasePortraitView::openCadre(CADRE& cadre)
{
    CKWave& wave = cadre.Spectrum.Wave;
    const CString path = pWaveFilm->GetKWaveFilePathName();
    if (!wave.KWaveIsGood() || wave.GetKWaveFilePathName() != path) {
        // Every paint would repeat the reader's message: a cadre that cannot
        // be read just has no petals.
        wave.DoNotShowKWaveErrors();
        if (!wave.OpenKWaveFile(path, pWaveFilm->GetKWaveFileTitle()))
            return false;
    }
    wave.nChannel = pWaveFilm->nChannel;
    return true;
}

void CKWaveSpectrumPhasePortraitView::CalculateCadres()
{
    for (CADRE& c : Cadres) {
        c.nLepestok = 0;
        for (LEPESTOK& p : c.Lepestok)
            p.nLine = 0;
    }
    if (!pWaveFilm || !pWaveFilm->pS0 || !pWaveFilm->KWaveIsGood() || !pWaveFilm->IsInternalStatusOK())
        return;
    CKSpectrum* s0 = pWaveFilm->pS0;
    SigmaF = s0->GetSigmaF();
    nFFT = s0->GetNFFT();
    Fs = double(pWaveFilm->GetKWaveFrADC());
    if (nFFT < 4 || Fs <= 0 || !(SigmaF > 0))
        return;

    const int nBand = std::clamp(int(double(nFFT) / Fs * kBandLimit), 1, nFFT / 2);
    const int nHalfWindow = int(SigmaF * 2.5 / Fs * nFFT + 0.5);
    long step = pWaveFilm->GetCadreStepInSamples();
    if (nPredictionStep == 2)
        step *= 2;
    const long caretSample = pWaveFilm->GetSampleFromCadreNumber(pWaveFilm->GetKCaretCadre());

    for (int k = 0; k < 3; ++k) {
        CADRE& c = Cadres[k];
        c.nSample = caretSample + (k - 1) * step;
        if (!openCadre(c))
            continue;
        c.Spectrum.SetNFFT(nFFT);
        c.Spectrum.SetSigmaF(SigmaF);
        if (c.Spectrum.GetNFFT() != nFFT || !c.Ampl_dB.SetSize(nFFT / 2) || !c.SmoothedSpectrum.SetSize(nBand))
            continue;
        c.Spectrum.Wave.PositKWaveWindowOnSample(c.nSample);
        FFT.CalculateWithWeighting(&c.Spectrum);
        // The safe levels: a silent line is very low, not minus infinity.
        c.Spectrum.CalculateAmpl_dB_(c.Ampl_dB.pArray);
        findLepestoks(c, nBand, nHalfWindow);
    }

    // Where every peak must be one step later and one step earlier.
    const double dt = double(Cadres[2].nSample - Cadres[1].nSample) / Fs;
    for (CADRE& c : Cadres) {
        for (int i = 0; i < c.nLepestok; ++i) {
            LEPESTOK& p = c.Lepestok[i];
            p.ForwardPrediction = p.Frequency + dt * p.Chirp / (2 * std::numbers::pi);
            p.BackwardPrediction = p.Frequency - dt * p.Chirp / (2 * std::numbers::pi);
        }
    }
    linkLepestoks();
}

void CKWaveSpectrumPhasePortraitView::findLepestoks(CADRE& c, int nBand, int nHalfWindow)
{
    const double* power = c.Spectrum.GetAmplPower();
    const unsigned char* behaviour = c.Spectrum.GetCurveBehaviour();
    for (int j = 0; j < nBand; ++j) {
        const int lo = std::max(j - nHalfWindow, 0);
        const int hi = std::max(std::min(j + nHalfWindow, nBand), lo + 1);
        double sum = 0;
        for (int l = lo; l < hi; ++l)
            sum += power[l];
        c.SmoothedSpectrum.pArray[j] = 10 * std::log10(sum / (hi - lo));
    }
    const float* up = pWaveFilm->validUpLevel.pArray;
    const float* down = pWaveFilm->validDownLevel.pArray;
    const int nLevels = std::min(pWaveFilm->validUpLevel.nSize, pWaveFilm->validDownLevel.nSize);
    for (int p = 1; p < nBand && c.nLepestok < nMaxLepestok; ++p) {
        if (behaviour[p] != CKSpectrum::CURVE_MAXIMUM || p >= nLevels)
            continue;
        LEPESTOK& l = c.Lepestok[c.nLepestok];
        l = LEPESTOK();
        l.nLine = p;
        l.UpLevel = up[p];
        l.DownLevel = down[p];
        // A peak that does not rise above the valid range in its neighbourhood is noise.
        if (l.DownLevel >= c.SmoothedSpectrum.pArray[p]) {
            l.nLine = 0;
            continue;
        }
        GetLepestokParameters(&c, c.nLepestok);
        if (!(l.Ampl_dB - l.DownLevel > 0)) {
            l.nLine = 0;
            continue;
        }
        l.RelativeChirp = l.Chirp / l.Frequency;
        ++c.nLepestok;
    }
}

// Frequency, level and chirp of a peak from its line and the two beside it.
// For a Gaussian window a steady partial gives a parabola of levels in dB
// with the window's own curvature and a flat phase; gliding widens the
// parabola and bends the phase, and each bend gives the chirp.
void CKWaveSpectrumPhasePortraitView::GetLepestokParameters(CADRE* pCadre, int i)
{
    LEPESTOK& l = pCadre->Lepestok[i];
    const int e = l.nLine;
    const double* A = pCadre->Ampl_dB.pArray;
    const Z* z = pCadre->Spectrum.GetZ();
    const double aMinus = A[e - 1], a0 = A[e], aPlus = A[e + 1];
    const double df = Fs / nFFT;
    const double D = (df / SigmaF) * (df / SigmaF);
    const double P = (2 * std::numbers::pi * SigmaF) * (2 * std::numbers::pi * SigmaF);
    const double E = P / 2;

    const double phi = PhaseStep(z[e + 1], z[e]) + PhaseStep(z[e - 1], z[e]);
    const double c = aPlus + aMinus - 2 * a0;
    double w;
    if (c < 0) {
        l.Frequency = (e + (aMinus - aPlus) / (2 * c)) * df;
        l.Ampl_dB = a0 - (aMinus - aPlus) * (aMinus - aPlus) / (8 * c);
        const double q = -D / (c * std::log(10.0) / 20) - 1;
        w = q >= 0 ? P * std::sqrt(q) : c;
    } else {
        l.Frequency = e * df;
        l.Ampl_dB = a0;
        w = c;
    }
    if (phi >= 0)
        w = -w;
    l.Chirp = w;

    const double u = phi / D;
    if (u == 0) {
        l.Chirp = 0;
        return;
    }
    const double g = 1 - 4 * u * u;
    if (g < 0)
        return;
    const double r1 = (E / u) * (-std::sqrt(g) - 1);
    const double r2 = (E / u) * (std::sqrt(g) - 1);
    l.Chirp = std::fabs(r1 - w) <= std::fabs(r2 - w) ? r1 : r2;
}

void CKWaveSpectrumPhasePortraitView::linkLepestoks()
{
    const double tau = GetLinkTolerance();
    // The neighbour's petal nearest to a predicted frequency, within tau.
    auto nearest = [tau](const CADRE& c, double f) -> const LEPESTOK* {
        const LEPESTOK* best = nullptr;
        double bestDistance = tau;
        for (int j = 0; j < c.nLepestok; ++j) {
            const double d = std::fabs(c.Lepestok[j].Frequency - f);
            if (d < bestDistance) {
                bestDistance = d;
                best = &c.Lepestok[j];
            }
        }
        return best;
    };
    CADRE& caret = Cadres[1];
    for (int i = 0; i < caret.nLepestok; ++i) {
        LEPESTOK& p = caret.Lepestok[i];
        p.Quality = 0;
        p.Width = 1e50;
        const LEPESTOK* next = nearest(Cadres[2], p.ForwardPrediction);
        const LEPESTOK* prev = nearest(Cadres[0], p.BackwardPrediction);
        if (!next || !prev)
            continue;
        const double d1 = p.BackwardPrediction - prev->Frequency;
        const double d2 = p.ForwardPrediction - next->Frequency;
        const double d3 = p.Frequency - next->BackwardPrediction;
        const double d4 = p.Frequency - prev->ForwardPrediction;
        p.Quality = std::exp(-(d1 * d1 + d2 * d2 + d3 * d3 + d4 * d4) / (2 * SigmaF * SigmaF));
        const double f = p.Frequency;
        p.Width = std::sqrt(f * f + p.Chirp * p.Chirp / (f * f)) * SigmaF / f;
    }
}

// ---- drawing ---------------------------------------------------------------------------

void CKWaveSpectrumPhasePortraitView::Draw(CDC* pDC)
{
    CalculateCadres();

    pDC->FillSolidRect(0, 0, nOuterWidth, nOuterHeight, kWhite);
    CPen black(PS_SOLID, 1, kBlack);
    CBrush white(kWhite);
    pDC->SelectObject(&black);
    pDC->SelectObject(&white);
    pDC->Rectangle(kPlotLeft, kPlotTop, kPlotRight, kPlotBottom);
    pDC->MoveTo(0, kZeroRow);
    pDC->LineTo(nOuterWidth, kZeroRow);

    Distribution.Clear();
    double* bins = Distribution.pArray;
    nDrawnLepestok = 0;
    const CADRE& caret = Cadres[1];
    for (int i = 0; i < caret.nLepestok; ++i) {
        const LEPESTOK& p = caret.Lepestok[i];
        if (!(p.Quality >= 0.5))
            continue;
        // Partials near 70 Hz weigh most, and so do the strong ones.
        const double c = p.Frequency / 70;
        const double weight = p.Quality * (c / (c * c + 1)) * (p.Ampl_dB - p.DownLevel);
        for (int k = 0; k < nBins; ++k) {
            const double n = 300 - k;
            const double x = n - kChirpScale * p.RelativeChirp;
            bins[k] += weight / (std::sqrt(2 * std::numbers::pi) * p.Width) * std::exp(-x * x / (2 * p.Width * p.Width));
        }
        const int r = std::clamp(IntegerPart(kChirpScale * p.RelativeChirp + 0.5), -300, 300);
        pDC->FillSolidRect(p.nLine + kPlotLeft - 3, kZeroRow - r - 3, 7, 7, kBlack);
        ++nDrawnLepestok;
    }
    // Without a petal the distribution stays empty: nothing to normalise.
    if (nDrawnLepestok > 0) {
        for (int k = 0; k < nBins; ++k)
            bins[k] *= 512.0 / nDrawnLepestok / 25;
    }
    pDC->SelectObject(&black);
    pDC->MoveTo(kPlotLeft, kPlotTop);
    for (int k = 0; k < nBins; ++k)
        pDC->LineTo(kPlotLeft + IntegerPart(bins[k] * 0.2 * 512), kPlotTop + k);
    if (nDrawnLepestok > 0) {
        const int top = int(std::max_element(bins, bins + nBins) - bins);
        // White dots between black gaps: the line shows across the white plot too.
        CPen dotted(PS_DOT, 1, kWhite);
        pDC->SetBkMode(OPAQUE);
        pDC->SetBkColor(kBlack);
        pDC->SelectObject(&dotted);
        pDC->MoveTo(kPlotLeft, kPlotTop + top);
        pDC->LineTo(kPlotRight, kPlotTop + top);
        pDC->SelectObject(&black);
    }
}

void CKWaveSpectrumPhasePortraitView::OnPaint()
{
    CPaintDC dc(this);
    Draw(&dc);
}
