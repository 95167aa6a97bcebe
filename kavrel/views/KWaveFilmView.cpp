#include "kavrel/views/KWaveFilmView.h"

#include <algorithm>
#include <cmath>
#include <thread>
#include <tuple>
#include <vector>

#include "framework/ui/CDocument.h"
#include "framework/ui/CMenu.h"
#include "kavrel/core/KWaveFilmHelpers.h"
#include "kavrel/views/DialogAdjustSpectraVisualLevels.h"
#include "kavrel/views/KDialogPlayFilmViewFragment.h"
#include "kavrel/views/KSonogramColouring.h"
#include "kavrel/views/KWaveFilmPicture.h"
#include "kavrel/views/KWaveSpectrumView.h"

// The window classes of the framework carry no class records; the view's
// record hangs directly under CObject's.
IMPLEMENT_DYNCREATE(CKWaveFilmView, CScrollView)

namespace {

// Wherever the picture is not covered by the film.
constexpr COLORREF kOutsideColour = 0x3F3F3F;
// The whole window while the scroll thumb is dragged.
constexpr COLORREF kThumbDragColour = 0x3F3F35;
constexpr COLORREF kAxisColour = 0xFF0000;
constexpr COLORREF kLocalMaxColour = 0x0000FF;

// The precision of a cursor value by its order of magnitude.
const char* PrecisionFormat(double v, bool perSecond)
{
    static const char* const kHz[] = {"%.4f Гц", "%.3f Гц", "%.2f Гц", "%.1f Гц", "%.0f Гц"};
    static const char* const kHzPerS[] = {"%.4f Гц/с", "%.3f Гц/с", "%.2f Гц/с", "%.1f Гц/с", "%.0f Гц/с"};
    const double a = std::fabs(v);
    // A zero (or broken) value has no order of magnitude: the "other" format.
    int n = -1;
    if (a > 0 && std::isfinite(a))
        n = int(std::log10(a));
    if (n < 0 || n > 4)
        return perSecond ? "%.3f Гц/с" : "%.3f Гц";
    return perSecond ? kHzPerS[n] : kHz[n];
}

} // namespace

CKWaveFilmView::CKWaveFilmView() : CKFilmView(IDR_WAVE_FILM_VIEW_MENU)
{
    nCaretColumn = -1000;
    redWeight.SetSize(nMaxLines);
    greenWeight.SetSize(nMaxLines);
    blueWeight.SetSize(nMaxLines);
    redWeight.Clear();
    greenWeight.Clear();
    blueWeight.Clear();
    AxisPen.CreatePen(PS_SOLID, 1, kAxisColour);

    MapCommand(ID_PLAY_VIEW, &CKWaveFilmView::OnPlayView);
    MapCommand(ID_WFV_DIALOG_ADJUST, &CKWaveFilmView::OnWfvDialogAdjust);
    MapCommand(ID_WFV_DIALOG_PLAY_FRAGMENT, &CKWaveFilmView::OnWfvDialogPlayFragment);
    MapCommand(ID_HOW_TO_SHOW_TOOLTIP, &CKWaveFilmView::OnHowToShowTooltip);
    MapCommandAndUpdate(ID_DRAW_FREQ_AXES, &CKWaveFilmView::OnDrawFreqAxes, &CKWaveFilmView::OnUpdateDrawFreqAxes);
    MapCommandAndUpdate(ID_15_BITS_VIDEOMODE, &CKWaveFilmView::On15BitsVideomode, &CKWaveFilmView::OnUpdate15BitsVideomode);
    MapCommand(ID_CALCULATE_SPECTRA, &CKWaveFilmView::OnCalculateSpectra);
    MapCommandAndUpdate(ID_SHOW_LOCAL_MAX_ON_SONOGRAM, &CKWaveFilmView::OnShowLocalMaxOnSonogram, &CKWaveFilmView::OnUpdateShowLocalMaxOnSonogram);
}

// ---- window life ------------------------------------------------------------

int CKWaveFilmView::OnCreate(LPCREATESTRUCT)
{
    if (!State.ToolTip.Create(this))
        return -1;
    State.ToolTip.AddTool(this, "");
    return 0;
}

void CKWaveFilmView::OnInitialUpdate()
{
    State.RememberSelection();
    State.StartBlinking();
    bBlinkOn = false;
    nCaretColumn = -1000;
    nCaretLine = -1000000;
    State.ToolTip.Activate(TRUE);
}

BOOL CKWaveFilmView::OnEraseBkgnd(CDC*)
{
    return 1; // OnDraw covers every pixel
}

LRESULT CKWaveFilmView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(message, wParam, lParam);
}

LRESULT CKWaveFilmView::DefWindowProcA(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_RECALCULATE_PICTURE) {
        MarkPictureStale();
        CalculateBitmap();
        Invalidate(FALSE);
    }
    return CScrollView::WindowProc(message, wParam, lParam);
}

// ---- caches -----------------------------------------------------------------

bool CKWaveFilmView::AllocateImages(int nWidth)
{
    const int nfft = pWaveFilm ? pWaveFilm->GetNFFT() : 0;
    const int columns = (std::max(nWidth, 2) + 1) & ~1;
    const int lines = nfft < 4 ? 2 : std::min((nfft / 2 + 1) & ~1, nMaxLines);
    const long long cells = (long long)columns * lines;
    bool ok = cells * 4 < 0x7FFFFFFFLL;
    ok = ok && spectraColumnMap.SetSize(columns) && bitmapColumnMap.SetSize(columns);
    ok = ok && bitmapBits.SetSize(int(cells * 4));
    ok = ok && amplBuffer.SetSize(int(cells)) && phaseBuffer.SetSize(int(cells));
    ok = ok && lineScratch.SetSize(lines);
    if (!ok) {
        nColumns = nLines = 0;
        return false;
    }
    for (int s = 0; s < columns; ++s)
        spectraColumnMap.pArray[s] = bitmapColumnMap.pArray[s] = SlotAfterResize;
    std::fill(amplBuffer.pArray, amplBuffer.pArray + cells, 0.0f);
    std::fill(phaseBuffer.pArray, phaseBuffer.pArray + cells, 0.0f);
    std::fill(bitmapBits.pArray, bitmapBits.pArray + cells * 4, 0);
    nColumns = columns;
    nLines = lines;
    return true;
}

void CKWaveFilmView::MarkPictureStale()
{
    for (int s = 0; s < nColumns && s < bitmapColumnMap.nSize; ++s)
        bitmapColumnMap.pArray[s] = SlotAfterResize;
}

void CKWaveFilmView::CalculateSpectra()
{
    CalculateSpectraFromCadre(GetScrollPosition().x);
}

void CKWaveFilmView::CalculateBitmap()
{
    CalculateBitmapFromCadre(GetScrollPosition().x);
}

// A film without its parameters or its sound has nothing to analyse (its
// levels are not even set), whatever asks.
bool CKWaveFilmView::FilmIsDrawable() const
{
    return pWaveFilm && pWaveFilm->IsInternalStatusOK() && pWaveFilm->KWaveIsGood() && nColumns > 0 && nLines > 0;
}

void CKWaveFilmView::CalculateSpectraFromCadre(long x0)
{
    if (!FilmIsDrawable())
        return;
    switch (pWaveFilm->displayFlags & CKWaveFilm::DisplayTypeMask) {
    case CKWaveFilm::DisplayAmplitudeGrey:
    case CKWaveFilm::DisplayAmplitudeColour:
    case CKWaveFilm::DisplayPhaseAmplGrowth:
    case CKWaveFilm::DisplayPhaseFreqGrowth:
        calculatePairs(x0);
        break;
    case CKWaveFilm::DisplayHarmonogram:
        calculateHarmonogram(x0);
        break;
    default:
        break; // ФИОТ and mixed bits analyse nothing
    }
}

bool CKWaveFilmView::ClaimPairSlots(long c, int& s0, int& s1)
{
    s0 = int(c % nColumns);
    s1 = int((c + 1) % nColumns);
    if (spectraColumnMap.pArray[s0] == c && spectraColumnMap.pArray[s1] == c + 1)
        return false;
    spectraColumnMap.pArray[s0] = int(c);
    spectraColumnMap.pArray[s1] = int(c + 1);
    bitmapColumnMap.pArray[s0] = SlotAfterResize;
    bitmapColumnMap.pArray[s1] = SlotAfterResize;
    return true;
}

namespace {

// The types that colour by a phase derivative; the others never read it.
bool ShowsPhases(int displayFlags)
{
    const int type = displayFlags & CKWaveFilm::DisplayTypeMask;
    return type == CKWaveFilm::DisplayPhaseAmplGrowth || type == CKWaveFilm::DisplayPhaseFreqGrowth;
}

// The harmonogram's line loops, built for AVX2 as well: maxima, sums, one
// division and one root a line, the same bits either way.
[[gnu::target_clones("avx2", "default")]] void AddLargestOfThree(double* sum, const double* a, const double* b,
                                                                 const double* c, int n)
{
    for (int j = 0; j < n; ++j)
        sum[j] += std::max(std::max(a[j], b[j]), c[j]);
}

// 10·sqrt(P / S), or 0 where S is 0. Every line is divided (by 1 where S
// is 0, and the root then taken times 0), so that the loop needs no branch.
[[gnu::target_clones("avx2", "default")]] void HarmonogramRatios(const double* P, const double* S, int n, float* out)
{
    for (int j = 0; j < n; ++j) {
        const double s = S[j];
        const double d = s > 0 ? s : 1.0, m = s > 0 ? 10.0 : 0.0;
        out[j] = float(m * std::sqrt(P[j] / d));
    }
}

} // namespace

void CKWaveFilmView::calculatePairs(long x0)
{
    CKWaveFilm& film = *pWaveFilm;
    const long nCadres = film.GetNCadres();
    const int nBins = std::min(nLines, film.GetNFFT() / 2);
    // The phase derivatives cost more than the levels: only the phase types
    // have them computed, and a change to one of those computes every slot
    // anew.
    const bool phases = ShowsPhases(film.displayFlags);
    if (phases && !bPhasesKept) {
        spectraColumnMap.Clear(SlotDisplayTypeChanged);
        bPhasesKept = true;
    }
    std::vector<long> pairs;
    for (long c = x0; c < x0 + nColumns; c += 2) {
        int s0, s1;
        if (ClaimPairSlots(c, s0, s1))
            pairs.push_back(c);
    }
    if (!phases && !pairs.empty())
        bPhasesKept = false;
    // Pairs [from, to) with these two spectra; every pair has slots of its own.
    auto analyse = [&](CKSpectrum* S0, CKSpectrum* S1, std::vector<float>& levels, std::vector<float>& dphases,
                       size_t from, size_t to) {
        for (size_t i = from; i < to; ++i) {
            const long c = pairs[i];
            const int s0 = int(c % nColumns), s1 = int((c + 1) % nColumns);
            float* a0 = amplBuffer.pArray + size_t(s0) * nLines;
            float* a1 = amplBuffer.pArray + size_t(s1) * nLines;
            float* p0 = phaseBuffer.pArray + size_t(s0) * nLines;
            float* p1 = phaseBuffer.pArray + size_t(s1) * nLines;
            if (c < nCadres && nBins > 0) {
                S0->Wave.PositKWaveWindowOnSample(film.GetSampleFromCadreNumber(c));
                S1->Wave.PositKWaveWindowOnSample(film.GetSampleFromCadreNumber(c + 1));
                film.FFT.CalculateWithWeighting(S0, S1);
                if (film.GetNFFT() / 2 <= nLines) {
                    S0->CalculateAmpl_dB_(a0);
                    S1->CalculateAmpl_dB_(a1);
                    if (phases) {
                        S0->Calculate_dPhaze_dOmega(p0);
                        S1->Calculate_dPhaze_dOmega(p1);
                    }
                } else {
                    // Above NFFT 4096 the picture keeps the lowest 2048 lines.
                    levels.resize(size_t(film.GetNFFT() / 2));
                    dphases.resize(size_t(film.GetNFFT() / 2));
                    for (auto [S, a, p] : {std::tuple{S0, a0, p0}, std::tuple{S1, a1, p1}}) {
                        S->CalculateAmpl_dB_(levels.data());
                        std::copy(levels.begin(), levels.begin() + nLines, a);
                        if (phases) {
                            S->Calculate_dPhaze_dOmega(dphases.data());
                            std::copy(dphases.begin(), dphases.begin() + nLines, p);
                        }
                    }
                }
            } else {
                std::fill(a0, a0 + nLines, 0.0f);
                std::fill(a1, a1 + nLines, 0.0f);
                std::fill(p0, p0 + nLines, 0.0f);
                std::fill(p1, p1 + nLines, 0.0f);
            }
        }
    };
    const size_t half = pairs.size() / 2;
    if (pairs.size() >= kPairsForSecondCore && SecondCoreMirrors({0, 1})) {
        std::vector<float> levels, dphases;
        std::thread other(
            [&] { analyse(mirror[0].get(), mirror[1].get(), levels, dphases, half, pairs.size()); });
        analyse(film.pS0, film.pS1, wideLevels, widePhases, 0, half);
        other.join();
    } else {
        analyse(film.pS0, film.pS1, wideLevels, widePhases, 0, pairs.size());
    }
}

bool CKWaveFilmView::SecondCoreFree() const
{
    static const bool twoCores = KUsableCores() >= 2;
    return bSecondCore && twoCores;
}

bool CKWaveFilmView::SecondCoreMirrors(std::initializer_list<int> which)
{
    if (!SecondCoreFree())
        return false;
    CKSpectrum* own[4] = {pWaveFilm->pS0, pWaveFilm->pS1, pWaveFilm->pS2, pWaveFilm->pS3};
    for (int i : which) {
        CKSpectrum& f = *own[i];
        if (!mirror[i])
            mirror[i] = std::make_unique<CKSpectrum>();
        CKSpectrum& m = *mirror[i];
        if (!f.Wave.KWaveIsGood())
            return false;
        // The same sound, opened anew whenever the film's was.
        if (bMirrorsStale || !m.Wave.KWaveIsGood() || m.Wave.GetKWaveFilePathName() != f.Wave.GetKWaveFilePathName() ||
            m.Wave.GetKWaveSizeInSamples() != f.Wave.GetKWaveSizeInSamples()) {
            m.Wave.DoNotShowKWaveErrors();
            m.Wave.ReadSilently(); // read on the second core: no window may open there
            if (!m.Wave.OpenKWaveFile(f.Wave.GetKWaveFilePathName(), f.Wave.GetKWaveFileTitle()))
                return false;
            m.SetNFFT(f.GetNFFT());
            m.SetSigmaF(f.GetSigmaF());
        }
        m.Wave.nChannel = f.Wave.nChannel;
        if (m.Wave.GetKWaveWindowWidthInSamples() != f.Wave.GetKWaveWindowWidthInSamples() &&
            !m.Wave.SetKWaveWindowWidthInSamples(f.Wave.GetKWaveWindowWidthInSamples()))
            return false;
        if (m.GetNFFT() != f.GetNFFT() || m.GetSigmaF() != f.GetSigmaF()) {
            m.SetNFFT(f.GetNFFT());
            m.SetSigmaF(f.GetSigmaF());
        }
        if (m.GetNFFT() != f.GetNFFT())
            return false;
    }
    bMirrorsStale = false;
    return true;
}

void CKWaveFilmView::calculateHarmonogram(long x0)
{
    CKWaveFilm& film = *pWaveFilm;
    const long nCadres = film.GetNCadres();
    const int nBins = std::min(nLines, film.GetNFFT() / 2);
    const long q = (film.GetSampleFromCadreNumber(1) - film.GetSampleFromCadreNumber(0)) / 4;
    std::vector<long> frames;
    for (long f = x0; f < x0 + nColumns; ++f) {
        const int s = int(f % nColumns);
        if (spectraColumnMap.pArray[s] == f)
            continue;
        spectraColumnMap.pArray[s] = int(f);
        bitmapColumnMap.pArray[s] = SlotAfterResize;
        frames.push_back(f);
    }
    // Columns [from, to): the centres' spectra two at a time with S0 and S1,
    // and the wider ones (S2, S3) at the two centres in one more transform;
    // then each centre beside the wider spectra a quarter step to four
    // quarters either side.
    auto analyse = [&](CKSpectrum* S0, CKSpectrum* S1, CKSpectrum* S2, CKSpectrum* S3, size_t from, size_t to) {
        std::vector<double> sumF(size_t(std::max(nBins, 1))), sumG(sumF.size()), PL(sumF.size()), PR(sumF.size());
        // The centre's power P stays in its spectrum (S0 or S1) while the
        // wider ones move; the sum starts at the larger of P and the wider
        // spectrum at the centre.
        auto start = [&](std::vector<double>& sum, const double* P, const double* W) {
            for (int j = 0; j < nBins; ++j)
                sum[size_t(j)] = std::max(P[j], W[j]);
        };
        auto column = [&](long f, const double* P, std::vector<double>& sum) {
            float* a = amplBuffer.pArray + size_t(f % nColumns) * nLines;
            const long centre = film.GetSampleFromCadreNumber(f);
            for (int pass = 1; pass < 5; ++pass) {
                const long o = pass * q;
                S2->Wave.PositKWaveWindowOnSample(centre - o);
                S3->Wave.PositKWaveWindowOnSample(centre + o);
                // Only their powers are read, once.
                film.FFT.PowersWithWeighting(S2, S3, PL.data(), PR.data(), nBins);
                AddLargestOfThree(sum.data(), P, PL.data(), PR.data(), nBins);
            }
            HarmonogramRatios(P, sum.data(), nBins, a);
        };
        for (size_t i = from; i < to; ++i) {
            const long f = frames[i];
            std::fill(amplBuffer.pArray + size_t(f % nColumns) * nLines,
                      amplBuffer.pArray + size_t(f % nColumns) * nLines + nLines, 0.0f);
            if (f >= nCadres || nBins <= 0)
                continue;
            const long cf = film.GetSampleFromCadreNumber(f);
            S0->Wave.PositKWaveWindowOnSample(cf);
            S2->Wave.PositKWaveWindowOnSample(cf);
            if (!(i + 1 < to && frames[i + 1] < nCadres)) {
                film.FFT.CalculateWithWeighting(S0);
                film.FFT.CalculateWithWeighting(S2);
                start(sumF, S0->GetAmplPower(), S2->GetAmplPower());
                column(f, S0->GetAmplPower(), sumF);
                continue;
            }
            const long g = frames[++i];
            std::fill(amplBuffer.pArray + size_t(g % nColumns) * nLines,
                      amplBuffer.pArray + size_t(g % nColumns) * nLines + nLines, 0.0f);
            const long cg = film.GetSampleFromCadreNumber(g);
            S1->Wave.PositKWaveWindowOnSample(cg);
            S3->Wave.PositKWaveWindowOnSample(cg);
            film.FFT.CalculateWithWeighting(S0, S1);
            film.FFT.CalculateWithWeighting(S2, S3);
            start(sumF, S0->GetAmplPower(), S2->GetAmplPower());
            start(sumG, S1->GetAmplPower(), S3->GetAmplPower());
            column(f, S0->GetAmplPower(), sumF);
            column(g, S1->GetAmplPower(), sumG);
        }
    };
    // An even split keeps the centres paired as one core pairs them.
    const size_t half = frames.size() / 4 * 2;
    if (frames.size() >= kPairsForSecondCore && SecondCoreMirrors({0, 1, 2, 3})) {
        std::thread other([&] {
            analyse(mirror[0].get(), mirror[1].get(), mirror[2].get(), mirror[3].get(), half, frames.size());
        });
        analyse(film.pS0, film.pS1, film.pS2, film.pS3, 0, half);
        other.join();
    } else {
        analyse(film.pS0, film.pS1, film.pS2, film.pS3, 0, frames.size());
    }
}

void CKWaveFilmView::CalculateBitmapFromCadre(long x0)
{
    if (!FilmIsDrawable())
        return;
    if ((pWaveFilm->displayFlags & CKWaveFilm::DisplayTypeMask) == CKWaveFilm::DisplayAmplitudeColour)
        KSonogramColourWeights(*pWaveFilm, std::min(nLines, int(nMaxLines)), redWeight.pArray, greenWeight.pArray,
                               blueWeight.pArray);
    KSonogramColumn column;
    column.nLines = nLines;
    column.scratch = lineScratch.pArray;
    column.red = redWeight.pArray;
    column.green = greenWeight.pArray;
    column.blue = blueWeight.pArray;
    column.nWeights = std::min(nLines, int(nMaxLines));
    std::vector<long> stale;
    for (long i = x0; i < x0 + nColumns; ++i)
        if (bitmapColumnMap.pArray[int(i % nColumns)] != i)
            stale.push_back(i);
    // Columns [from, to) of the stale ones; each has pixels of its own.
    auto paint = [&](float* scratch, size_t from, size_t to) {
        KSonogramColumn c = column;
        c.scratch = scratch;
        for (size_t j = from; j < to; ++j) {
            const int s = int(stale[j] % nColumns);
            c.level = amplBuffer.pArray + size_t(s) * nLines;
            c.phase = phaseBuffer.pArray + size_t(s) * nLines;
            if (!KFillSonogramColumn(*pWaveFilm, c, bitmapBits.pArray + size_t(s) * 4, std::ptrdiff_t(nColumns) * 4))
                return false;
            bitmapColumnMap.pArray[s] = int(stale[j]);
        }
        return true;
    };
    // ФИОТ and mixed bits leave the picture as it is: the first column tells.
    if (stale.empty() || !paint(lineScratch.pArray, 0, 1))
        return;
    const size_t half = 1 + (stale.size() - 1) / 2;
    if (stale.size() >= 2 * kPairsForSecondCore && SecondCoreFree()) {
        std::vector<float> scratch(static_cast<size_t>(nLines));
        std::thread other([&] { paint(scratch.data(), half, stale.size()); });
        paint(lineScratch.pArray, 1, half);
        other.join();
    } else {
        paint(lineScratch.pArray, 1, stale.size());
    }
}

unsigned CKWaveFilmView::PicturePixel(int s, int k) const
{
    if (s < 0 || s >= nColumns || k < 0 || k >= nLines)
        return 0;
    const unsigned char* p = bitmapBits.pArray + (size_t(k) * nColumns + s) * 4;
    return (unsigned(p[2]) << 16) | (unsigned(p[1]) << 8) | p[0];
}

// ---- painting -----------------------------------------------------------------

void CKWaveFilmView::OnDraw(CDC* pDC)
{
    const CPoint pos = GetScrollPosition();
    CRect rc;
    GetClientRect(&rc);
    rc.OffsetRect(pos);
    const CSize total = GetTotalSize();
    // Brushes, not solid fills: the background colour stays that of the
    // context for the axis labels.
    CBrush outside(kOutsideColour);
    if (rc.right > total.cx) {
        const CRect r(std::max<LONG>(rc.left, total.cx), rc.top, rc.right, rc.bottom);
        pDC->FillRect(&r, &outside);
    }
    if (rc.bottom > total.cy) {
        const CRect r(rc.left, std::max<LONG>(rc.top, total.cy), rc.right, rc.bottom);
        pDC->FillRect(&r, &outside);
    }

    if (bThumbTracking) {
        CBrush drag(kThumbDragColour);
        pDC->FillRect(&rc, &drag);
        return;
    }
    if (!pWaveFilm || !pWaveFilm->IsInternalStatusOK() || !pWaveFilm->KWaveIsGood())
        return;

    bDrawing = true;
    CalculateSpectra();
    CalculateBitmap();

    const long x0 = pos.x;
    if (nColumns > 0 && nLines > 0) {
        BITMAPINFO bmi{};
        bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bmi.bmiHeader.biWidth = nColumns;
        bmi.bmiHeader.biHeight = nLines;
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 32;
        bmi.bmiHeader.biCompression = BI_RGB;
        const int s0 = int(x0 % nColumns);
        pDC->StretchDIBits(int(x0), 0, nColumns - s0, nLines, s0, 0, nColumns - s0, nLines, bitmapBits.pArray,
                           &bmi, DIB_RGB_COLORS, SRCCOPY);
        if (s0 > 0)
            pDC->StretchDIBits(int(x0 + (nColumns - s0)), 0, s0, nLines, 0, 0, s0, nLines, bitmapBits.pArray, &bmi,
                               DIB_RGB_COLORS, SRCCOPY);
    }

    if (bDrawFreqAxes)
        DrawFreqAxes(pDC, rc);

    State.RememberSelection();
    const long a = State.nOldSelectedCadre0, b = State.nOldSelectedCadre1;
    if (b > a)
        pDC->PatBlt(int(a), rc.top, int(b - a), rc.Height(),
                    DSTINVERT);
    // Over the selection, under the caret: inverted, the formants' red
    // would read as the pitch line's cyan.
    DrawTrackOverlays(pDC, rc);

    if (bCaretShown)
        DrawCaretCross(pDC, nCaretColumn, nCaretLine, int(x0), 0);
    bDrawing = false;

    if (bShowLocalMax)
        DrawLocalMaxima(pDC, x0);
}

void CKWaveFilmView::VisibleCadres(long& first, long& count) const
{
    CRect rc;
    GetClientRect(&rc);
    first = GetScrollPosition().x;
    count = std::max<long>(0, std::min<long>(rc.Width(), pWaveFilm ? pWaveFilm->GetNCadres() - first : 0));
}

void CKWaveFilmView::DrawTrackOverlays(CDC* pDC, const CRect& rc)
{
    CKTrackOverlays& t = *pTrackOverlays;
    if ((!t.bPitch && !t.bFormants) || nLines <= 0)
        return;
    long x0 = 0, n = 0;
    VisibleCadres(x0, n);
    if (n <= 0)
        return;
    if (t.bFormants) {
        std::vector<const KFormantFrame*> frames;
        if (t.Cache.Formants(*pWaveFilm, x0, x0 + n, frames))
            KDrawFormantTracks(pDC, x0, frames, double(pWaveFilm->GetKWaveFrADC()), pWaveFilm->GetNFFT(), nLines);
    }
    if (t.bPitch) {
        std::vector<double> f0;
        // The scale spans the picture's rows that the window shows.
        const int top = std::max<int>(rc.top, 0), bottom = std::min<int>(rc.bottom, nLines);
        if (bottom > top && t.Cache.Pitch(*pWaveFilm, x0, x0 + n, f0))
            KDrawPitchTrack(pDC, rc, KPitchScaleOver(t.Cache.ParamsForFilm(*pWaveFilm).pitch, top, bottom), x0, f0);
    }
}

void CKWaveFilmView::DrawCaretCross(CDC* pDC, long column, long line, int xLeft, int yTop)
{
    CPen* oldPen = pDC->SelectObject(&CaretPen);
    const int oldRop = pDC->SetROP2(R2_XORPEN);
    pDC->MoveTo(int(column), yTop);
    pDC->LineTo(int(column), yTop + nLines);
    const int y = int(nLines - line - 1);
    pDC->MoveTo(xLeft, y);
    pDC->LineTo(xLeft + nColumns, y);
    pDC->SetROP2(oldRop);
    pDC->SelectObject(oldPen);
}

void CKWaveFilmView::DrawFreqAxes(CDC* pDC, const CRect& rc)
{
    const int nfft = pWaveFilm->GetNFFT();
    const double fs = double(pWaveFilm->GetKWaveFrADC());
    if (nfft <= 0 || fs <= 0)
        return;
    CPen* oldPen = pDC->SelectObject(&AxisPen);
    const COLORREF oldText = pDC->SetTextColor(kAxisColour);
    const int oldBk = pDC->SetBkMode(OPAQUE);
    const UINT oldAlign = pDC->SetTextAlign(TA_BOTTOM);
    const long step = FreqAxisStep(fs, nfft, pDC->GetTextExtent("0").cy);
    for (long F = 0; F < fs / 2; F += step) {
        const int y = nLines - int(double(F) / fs * nfft);
        pDC->MoveTo(rc.left, y);
        pDC->LineTo(rc.right, y);
        CString label;
        label.Format("%i", int(F));
        pDC->TextOut(rc.left + 2, y, label.GetString());
    }
    pDC->SetTextAlign(oldAlign);
    pDC->SetBkMode(oldBk);
    pDC->SetTextColor(oldText);
    pDC->SelectObject(oldPen);
}

long CKWaveFilmView::FreqAxisStep(double fs, int nFFT, int textHeight)
{
    const long o = nFFT > 0 ? long(fs * 2 * textHeight / nFFT) : 0;
    static const long kSteps[] = {1, 2, 5, 10, 20, 50, 100, 200, 500, 1000, 2000, 5000, 10000};
    for (long s : kSteps) {
        if (s > o)
            return s;
    }
    return 10000;
}

void CKWaveFilmView::DrawLocalMaxima(CDC* pDC, long x0)
{
    for (long c = x0; c < x0 + nColumns; ++c) {
        const float* A = amplBuffer.pArray + size_t(c % nColumns) * nLines;
        for (int L = 1; L <= nLines - 2; ++L) {
            if (A[L] > A[L - 1] && A[L] > A[L + 1]) {
                const int y = nLines - 1 - L;
                pDC->SetPixel(int(c), y - 1, kLocalMaxColour);
                pDC->SetPixel(int(c), y, kLocalMaxColour);
                pDC->SetPixel(int(c), y + 1, kLocalMaxColour);
            }
        }
    }
}

// ---- sizing and scrolling -----------------------------------------------------

void CKWaveFilmView::OnSize(UINT nType, int cx, int cy)
{
    CScrollView::OnSize(nType, cx, cy);
    SetNewScrollSizesAndRecalculateImages();
    Invalidate(FALSE);
}

void CKWaveFilmView::SetNewScrollSizesAndRecalculateImages()
{
    if (!pWaveFilm)
        return;
    CRect rc;
    GetClientRect(&rc);
    int W = rc.Width(), H = rc.Height();
    const int half = pWaveFilm->GetNFFT() / 2;
    const CSize total(int(pWaveFilm->GetNCadres()), half);
    SetScrollSizes(MM_TEXT, total, CSize(W, H), CSize(64, H / 8));
    // The scroll bars may have taken room from the client.
    GetClientRect(&rc);
    W = rc.Width();
    H = rc.Height();
    if (!AllocateImages(W))
        return;
    const long caretCadre = pWaveFilm->GetCadreNumberFromTimeInSeconds(pWaveFilm->GetKCaretTime());
    ScrollToPosition(CPoint(int(std::max(0L, caretCadre - (W + 1) / 2)), std::max(0, half - H)));
    SetScrollSizes(MM_TEXT, total, CSize(W, H), CSize(64, H / 8));
}

void CKWaveFilmView::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar)
{
    bThumbTracking = false;
    if (nSBCode == SB_THUMBTRACK) {
        bThumbTracking = true;
        Invalidate(FALSE);
        return;
    }
    if (nSBCode == SB_THUMBPOSITION || nSBCode == SB_ENDSCROLL)
        Invalidate(FALSE);
    if (bDrawFreqAxes || pTrackOverlays->bPitch)
        Invalidate(FALSE); // the axes' labels sit at the left edge, the pitch scale at the right
    CScrollView::OnHScroll(nSBCode, nPos, pScrollBar);
}

// ---- mouse, caret, cursor text -------------------------------------------------

long CKWaveFilmView::LineFromClientY(int y) const
{
    return long(pWaveFilm->GetNFFT() / 2) - GetScrollPosition().y - y - 1;
}

void CKWaveFilmView::SetCaretFromClientPoint(CPoint point)
{
    pWaveFilm->SetKCaretCadre(State.CadreFromClientX(point.x));
    pWaveFilm->SetKCaretFrequency(pWaveFilm->GetFreqInHertzFromSpectrumSample(int(LineFromClientY(point.y))));
    State.SendCaretHint();
}

void CKWaveFilmView::OnMouseMove(UINT nFlags, CPoint point)
{
    if (!pWaveFilm || pWaveFilm->GetNFFT() <= 0)
        return;
    const long cadre = State.CadreFromClientX(point.x);
    const double f = pWaveFilm->GetFreqInHertzFromSpectrumSample(int(LineFromClientY(point.y)));
    const long old0 = State.nOldSelectedCadre0, old1 = State.nOldSelectedCadre1;
    MoveCaretWithMouse(nFlags, point);
    RedrawOverlaysOverSelection(old0, old1);
    BuildCursorText(cadre, f);
    State.ShowCursorText(sCursorText);
}

void CKWaveFilmView::OnLButtonDown(UINT nFlags, CPoint point)
{
    const long old0 = State.nOldSelectedCadre0, old1 = State.nOldSelectedCadre1;
    CKFilmView::OnLButtonDown(nFlags, point);
    RedrawOverlaysOverSelection(old0, old1);
}

void CKWaveFilmView::RedrawOverlaysOverSelection(long old0, long old1)
{
    if ((pTrackOverlays->bPitch || pTrackOverlays->bFormants) &&
        (State.nOldSelectedCadre0 != old0 || State.nOldSelectedCadre1 != old1))
        Invalidate(FALSE);
}

void CKWaveFilmView::BuildCursorText(long cadre, double f)
{
    sCursorText.Empty();
    const int flags = pWaveFilm->tooltipFlags;
    if (flags == 0)
        return;
    auto separate = [this] {
        if (!sCursorText.IsEmpty())
            sCursorText += "; ";
    };
    const double caretF = pWaveFilm->GetKCaretFrequency();
    const double t = pWaveFilm->GetTimeInSecondsFromCadre(cadre);
    const double caretT = pWaveFilm->GetKCaretTime();
    if (f > 0 && (flags & (CKWaveFilm::TooltipFrequencyAbsolute | CKWaveFilm::TooltipFrequencyRelative))) {
        const double v = double(float((flags & CKWaveFilm::TooltipFrequencyAbsolute) ? f : f - caretF));
        CString part;
        part.Format(PrecisionFormat(v, false), v);
        separate();
        sCursorText += part;
    }
    if (flags & CKWaveFilm::TooltipTimeBits) {
        const double v = double(float((flags & CKWaveFilm::TooltipTimeAbsolute) ? t : t - caretT));
        CString part;
        part.Format("%.3f c", v);
        separate();
        sCursorText += part;
    }
    if (flags & CKWaveFilm::TooltipFrequencyDerivative) {
        const double df = f - caretF, dt = t - caretT;
        CString part;
        if (dt == 0) {
            part = "? Гц/с";
        } else {
            const double v = double(float(df / dt));
            part.Format(PrecisionFormat(v, true), v);
        }
        separate();
        sCursorText += part;
    }
}

void CKWaveFilmView::PutKCaret()
{
    if (!pWaveFilm)
        return;
    const long column = pWaveFilm->GetKCaretCadre();
    const double fs = double(pWaveFilm->GetKWaveFrADC());
    const long line = fs > 0 ? long(pWaveFilm->GetKCaretFrequency() / fs * pWaveFilm->GetNFFT()) : 0;
    if (!bCaretShown && !bBlinkOn)
        return;
    if (!GetSurface())
        return;
    const CPoint pos = GetScrollPosition();
    CClientDC dc(this);
    // In client coordinates: the cross of OnDraw lands on the same pixels.
    dc.SetViewportOrg(-pos.x, -pos.y);
    auto cross = [&](long c, long l) { DrawCaretCross(&dc, c, l, pos.x, 0); };
    if (bCaretShown) {
        cross(nCaretColumn, nCaretLine);
        if (bBlinkOn) {
            cross(column, line);
            nCaretColumn = column;
            nCaretLine = line;
        } else {
            bCaretShown = false;
        }
    } else {
        cross(column, line);
        nCaretColumn = column;
        nCaretLine = line;
        bCaretShown = true;
    }
}

void CKWaveFilmView::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == CKFilmViewState::nBlinkTimer)
        bBlinkOn = !bBlinkOn;
    CKFilmView::OnTimer(nIDEvent);
}

void CKWaveFilmView::OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    CScrollView::OnKeyUp(nChar, nRepCnt, nFlags);
}

// ---- hints ----------------------------------------------------------------------

void CKWaveFilmView::OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint)
{
    switch (lHint) {
    case HintNewFilm:
        if (!TakeFilmFromHint(pHint))
            return;
        bMirrorsStale = true;
        pTrackOverlays->Cache.Clear();
        SetNewScrollSizesAndRecalculateImages();
        State.RememberSelection();
        CalculateSpectra();
        CalculateBitmap();
        Invalidate(FALSE);
        break;
    case HintSelection: {
        const long old0 = State.nOldSelectedCadre0, old1 = State.nOldSelectedCadre1;
        State.RepaintSelectedFragment();
        RedrawOverlaysOverSelection(old0, old1);
        break;
    }
    case HintDisplayLevels:
    case HintDisplayParameter:
        MarkPictureStale();
        CalculateBitmap();
        Invalidate(FALSE);
        break;
    case HintCaret:
        PutKCaret();
        break;
    case HintPaperColour:
        if (!pSender)
            Invalidate(FALSE);
        break;
    case HintTracks:
        if (auto* overlays = dynamic_cast<CKTrackOverlays*>(pHint))
            if (std::shared_ptr<CKTrackOverlays> shared = overlays->weak_from_this().lock())
                pTrackOverlays = std::move(shared);
        Invalidate(FALSE);
        break;
    default:
        break;
    }
}

// ---- commands ---------------------------------------------------------------------

void CKWaveFilmView::OnWfvDialogAdjust()
{
    if (!pWaveFilm)
        return;
    CDialogAdjustSpectraVisualLevels dlg(this, GetParentOwner());
    dlg.DoModal();
    // The dialog recomputed this picture itself (message 1030); the other
    // views follow the changes, and so does the instant spectrum, which
    // draws the levels.
    State.SendHint(this, HintDisplayLevels);
    if (CKWaveSpectrumView* p = pWaveFilm->pKWaveSpectrumView)
        p->Invalidate(FALSE);
}

void CKWaveFilmView::OnWfvDialogPlayFragment()
{
    if (!pWaveFilm)
        return;
    CKDialogPlayFilmViewFragment dlg(this, GetParentOwner());
    dlg.DoModal();
}

void CKWaveFilmView::OnHowToShowTooltip()
{
    if (pWaveFilm)
        pWaveFilm->SetHowToShowTooltip();
}

void CKWaveFilmView::OnDrawFreqAxes()
{
    bDrawFreqAxes = !bDrawFreqAxes;
    Invalidate(FALSE);
}

void CKWaveFilmView::OnUpdateDrawFreqAxes(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(bDrawFreqAxes ? 1 : 0);
}

void CKWaveFilmView::On15BitsVideomode() {}

void CKWaveFilmView::OnUpdate15BitsVideomode(CCmdUI*) {}

void CKWaveFilmView::OnCalculateSpectra()
{
    for (int s = 0; s < nColumns; ++s) {
        spectraColumnMap.pArray[s] = SlotAllSpectraAgain;
        bitmapColumnMap.pArray[s] = SlotAllPicturesAgain;
    }
    CalculateSpectra();
    CalculateBitmap();
    Invalidate(FALSE);
}

void CKWaveFilmView::OnShowLocalMaxOnSonogram()
{
    bShowLocalMax = !bShowLocalMax;
    Invalidate(FALSE);
}

void CKWaveFilmView::OnUpdateShowLocalMaxOnSonogram(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(bShowLocalMax ? 1 : 0);
}
