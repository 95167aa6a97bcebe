// The harmonic traces: analysis of every cadre into maxima described as
// chirp atoms, the editing tool, and the rebuilding of the synthetic signal
// from the atoms of the chosen maxima.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "framework/base/ProgressService.h"
#include "framework/base/UserServices.h"
#include "glissar/doc/GlissarDoc.h"
#include "glissar/doc/KTracePeak.h"
#include "kavrel/views/KFilmViewState.h"

long CGlissarDoc::GetCadreMargin() const
{
    const double sigmaT = pWaveFilm.pS0->GetSigmaT();
    const double dt = pWaveFilm.GetOneCadreTimeDistance();
    const long step = pWaveFilm.GetCadreStepInSamples();
    const long byTime = long(std::ceil(6 * sigmaT / dt));
    const long byWindow = step > 0 ? GetNBins() / step + 1 : 0;
    return std::max(byTime, byWindow);
}

int CGlissarDoc::GetBinMargin() const
{
    const double Fs = double(pWaveFilm.GetKWaveFrADC());
    const int byWidth = int(std::ceil(3 * pWaveFilm.GetNFFT() * pWaveFilm.pS0->GetSigmaF() / Fs));
    return std::max(1, byWidth);
}

void CGlissarDoc::InitiateTraceStatusForCadre(long c, const double* v)
{
    if (c >= pWaveFilm.GetNCadres()) {
        AfxMessageBox("CGlissarDoc::InitiateTraceStatusForCadre вышли за границу кадров");
        return;
    }
    const int B = GetNBins();
    unsigned char* st = GetTraceStatus(c);
    st[0] = 0;
    st[B - 1] = 0;
    if (pWaveFilm.GetNFFT() < 6)
        return;
    for (int k = 1; k <= B - 2; ++k) {
        const double p = v[k - 1], x = v[k], n = v[k + 1];
        unsigned char s;
        if (n < x) {
            s = x > p ? TRACE_LOCAL_MAX : TRACE_SLOPE_DOWN;
        } else if (n > x) {
            s = (x < p && n < p) ? TRACE_SLOPE_DOWN : TRACE_SLOPE_UP;
        } else if (x > p) {
            s = TRACE_SLOPE_UP;
        } else if (x < p) {
            s = TRACE_SLOPE_DOWN;
        } else {
            // A plateau: the nearest different level to the left decides.
            s = 0;
            for (int j = k - 2; j >= 0; --j) {
                if (v[j] != p) {
                    s = p > v[j] ? TRACE_SLOPE_UP : TRACE_SLOPE_DOWN;
                    break;
                }
            }
        }
        st[k] = s;
    }
}

namespace {

// Whether a maximum of amplitude A reaches a visual level in dB, as
// 20·log10(A) in single precision decides it. Outside 1e-3 of the level's
// amplitude (8.7e-3 dB) the comparison of amplitudes decides the same, as a
// float logarithm of a level is off by far less (2e-4 dB); only inside it is
// the logarithm taken.
struct VisibleLevels {
    std::vector<double> below, above;
    // Bins past the n levels held are left to the logarithm.
    VisibleLevels(const float* down, int n, int B) : below(size_t(B), NAN), above(size_t(B), NAN)
    {
        for (int k = 0; k < std::min(n, B); ++k) {
            const double a = std::pow(10.0, double(down[k]) / 20);
            below[size_t(k)] = a * (1 - 1e-3);
            above[size_t(k)] = a * (1 + 1e-3);
        }
    }
    bool Reaches(float A, const float* down, int k) const
    {
        const bool over = A > above[size_t(k)], under = A < below[size_t(k)];
        if (!over && !under) [[unlikely]]
            return 20.0f * std::log10(A) >= down[k];
        return over;
    }
};

// The windows of a run of cadres of one wave from a single read of the file,
// rather than one read for each cadre: the window of a cadre holds the
// samples PositKWaveWindowOnSample would put in it (each sample is read and
// converted on its own, wherever the read starts), as floats, which hold a
// short exactly and so give the transform the same products.
class WindowRun {
public:
    explicit WindowRun(CKWave& wave) : wave(wave) {}
    // Samples [first, first + count); false leaves the windows to the wave.
    bool Read(long from, long count)
    {
        first = from;
        raw.resize(size_t(count));
        samples.resize(size_t(count));
        ok = wave.KWaveIsGood() && wave.GetKWaveWindow() && wave.FillKWaveBufFromSampleNSamples(raw.data(), from, count);
        for (size_t i = 0; ok && i < raw.size(); ++i)
            samples[i] = raw[i];
        return ok;
    }
    // The first n samples of the window positioned on sample s, or null when
    // they were not read (or the wave's window is narrower than n).
    float* Window(long s, int n)
    {
        const long w = wave.GetKWaveWindowWidthInSamples();
        const long start = s - w / 2;
        if (!ok || w < n || start < first || start + n > first + long(samples.size()))
            return nullptr;
        return samples.data() + (start - first);
    }

private:
    CKWave& wave;
    long first = 0;
    bool ok = false;
    std::vector<short> raw;
    std::vector<float> samples;
};

// For each set of maxima among eight neighbouring bins (bit j for bin j):
// the bins, four bits each, in the low four bytes, their number in the fifth.
// All eight places are kept: a stored row need not come from a spectrum.
constexpr std::array<std::uint64_t, 256> kMaximaOfEight = [] {
    std::array<std::uint64_t, 256> t{};
    for (unsigned m = 0; m < 256; ++m) {
        std::uint64_t entry = 0;
        unsigned n = 0;
        for (unsigned j = 0; j < 8; ++j)
            if (m >> j & 1)
                entry |= std::uint64_t(j) << (4 * n++);
        t[m] = entry | std::uint64_t(n) << 32;
    }
    return t;
}();

} // namespace

// Eight status bytes at a time from a table: a third of the bins of noise are
// maxima, too many for branches. All eight places of each eight bins are
// written; the count moves on by how many are used.
int CGlissarDoc::ListLocalMaxima(const unsigned char* st, int k0, int k1, int B, int* out)
{
    k0 = std::max(k0, 1);
    k1 = std::min(k1, B - 1);
    int n = 0;
    int w = k0 & ~7;
    for (; w < k1 && w + 8 <= B; w += 8) {
        std::uint64_t bits;
        std::memcpy(&bits, st + w, sizeof bits);
        static_assert(TRACE_LOCAL_MAX == 0x01);
        bits &= 0x0101010101010101ull; // TRACE_LOCAL_MAX of each byte
        // The eight flags as the eight bits of one byte.
        unsigned m = unsigned((bits * 0x0102040810204080ull) >> 56);
        if (w < k0)
            m &= 0xffu << (k0 - w);
        if (k1 - w < 8)
            m &= (1u << (k1 - w)) - 1;
        const std::uint64_t entry = kMaximaOfEight[m];
        for (int i = 0; i < 8; ++i)
            out[n + i] = w + int(entry >> (4 * i) & 0xf);
        n += int(entry >> 32);
    }
    for (int k = std::max(w, k0); k < k1; ++k) {
        out[n] = k;
        n += (st[k] & TRACE_LOCAL_MAX) ? 1 : 0;
    }
    return n;
}

bool CGlissarDoc::TraceStatusRowIsPossible(const unsigned char* st, int B)
{
    if (B < 1)
        return true;
    if ((st[0] | st[B - 1]) & TRACE_LOCAL_MAX)
        return false;
    for (int k = 1; k < B; ++k)
        if (st[k - 1] & st[k] & TRACE_LOCAL_MAX)
            return false;
    return true;
}

bool CGlissarDoc::CalculateAllSpectra(bool initiate)
{
    CKWaveFilm& film = pWaveFilm;
    CKSpectrum* S0 = film.pS0;
    CKSpectrum* S1 = film.pS1;
    const int N = film.GetNFFT();
    const int B = N / 2;
    const long C = film.GetNCadres();
    for (CKSpectrum* s : {S0, S1}) {
        s->SetNFFT(N);
        s->SetSigmaF(film.GetSigmaFr());
    }
    if (!pSpectraParam_A_F || !pSpectraParam_D_P || !pGaussWindow ||
        LocalMaxAmplPosition.nSize < (long long)B * C)
        return false;
    const long M = GetCadreMargin();
    const int K = GetBinMargin();

    IProgressService& progress = ProgressService();
    progress.Open(int(M), int(C - M), "Идет вычисление следов гармоник ...");

    const KTRACE_PEAK_CONSTANTS pc = MakeTracePeakConstants(double(film.GetKWaveFrADC()), N, film.GetSigmaFr());
    double* v = pGaussWindow;
    // The bins are ordered by their powers, which order them as their dB
    // levels do; the levels themselves are only needed around the maxima.
    std::vector<double> q(size_t(std::max(B, 1)));
    std::vector<int> maxima(size_t(std::max(B, 1)) + 8);
    // The visibility of each maximum as MarkVisibleTraces gives it, while its
    // values are at hand.
    const float* down = film.validDownLevel.pArray;
    const VisibleLevels levels(down, int(film.validDownLevel.nSize), B);
    WindowRun run0(S0->Wave), run1(S1->Wave);
    constexpr long kRunCadres = 128;
    for (long c = M; c < C - M; c += 2) {
        if ((c - M) % kRunCadres == 0) {
            const long last = std::min(c + kRunCadres, C - M + 1); // the last pair may reach C − M
            const long w = std::max(S0->Wave.GetKWaveWindowWidthInSamples(), S1->Wave.GetKWaveWindowWidthInSamples());
            const long from = film.GetSampleFromCadreNumber(c) - w / 2;
            const long to = film.GetSampleFromCadreNumber(last - 1) - w / 2 + w;
            if (to > from && to - from < 0x10000000) {
                run0.Read(from, to - from);
                run1.Read(from, to - from);
            }
        }
        const long s0 = film.GetSampleFromCadreNumber(c), s1 = film.GetSampleFromCadreNumber(c + 1);
        float* x0 = run0.Window(s0, N);
        float* x1 = run1.Window(s1, N);
        if (x0 && x1) {
            film.FFT.CalculateWithWeighting(S0, x0, S1, x1);
        } else {
            S0->Wave.PositKWaveWindowOnSample(s0);
            S1->Wave.PositKWaveWindowOnSample(s1);
            film.FFT.CalculateWithWeighting(S0, S1);
        }
        for (int half = 0; half < 2; ++half) {
            CKSpectrum* S = half == 0 ? S0 : S1;
            const long cadre = c + half;
            const Z* z = S->GetZ();
            TracePowers(z, B, q.data());
            unsigned char* st = GetTraceStatus(cadre);
            if (initiate && (N < 6 || !ClassifyTraceBinsByPower(q.data(), B, st))) {
                S->CalculateAmpl_dB_(v);
                InitiateTraceStatusForCadre(cadre, v);
            }
            const int n = ListLocalMaxima(st, K, B - K, B, maxima.data());
            float* AF = pSpectraParam_A_F + cadre * B;
            EstimateTracePeaks(q.data(), z, maxima.data(), n, pc, AF, pSpectraParam_D_P + cadre * B);
            float strongest = 0;
            for (int i = 0; i < n; ++i)
                strongest = std::max(strongest, AF[maxima[size_t(i)]]);
            const double floor = relativeVisibility.Floor(strongest);
            for (int i = 0; i < n; ++i) {
                const int k = maxima[size_t(i)];
                const bool visible = levels.Reaches(AF[k], down, k) && AF[k] >= floor;
                st[k] = visible ? st[k] | TRACE_VISIBLE : st[k] & ~TRACE_VISIBLE;
            }
        }
        progress.SetPos(int(c));
        if (progress.Cancelled()) {
            // "Прервать": the tracer ends without touching the document.
            progress.Close();
            bAnalysisStopped = true;
            return false;
        }
    }
    // The frames' windows end where the pass left them, as if it had moved
    // them from cadre to cadre.
    if (C - M > M) {
        const long c = M + (C - 2 * M - 1) / 2 * 2;
        S0->Wave.PositKWaveWindowOnSample(film.GetSampleFromCadreNumber(c));
        S1->Wave.PositKWaveWindowOnSample(film.GetSampleFromCadreNumber(c + 1));
    }

    // Nothing outside the margins carries a status: its atoms would not fit.
    for (long c = 0; c < C; ++c) {
        unsigned char* st = GetTraceStatus(c);
        if (c < M || c >= C - M) {
            std::memset(st, 0, size_t(B));
            continue;
        }
        for (int k = 0; k < std::min(K, B); ++k)
            st[k] = 0;
        for (int k = std::max(0, B - K); k < B; ++k)
            st[k] = 0;
    }

    const double* g = S0->GetGauss();
    const double sigmaT = S0->GetSigmaT();
    for (int i = 0; i < B; ++i) {
        pGaussWindow[B + i] = g[i] * sigmaT;
        pGaussWindow[B - i] = g[i] * sigmaT;
    }
    pGaussWindow[0] = g[B] * sigmaT;

    progress.Close();
    return true;
}


void CGlissarDoc::MarkVisibleTraces()
{
    updateVisibility(false);
}

void CGlissarDoc::RecalculateTraceVisibility()
{
    CWaitCursor wait;
    updateVisibility(true);
    UpdateTraceViews();
}

// Sets or clears the visibility of every maximum inside the margins; with
// bRecordChanges the bins whose bit changed grow the dirty region.
void CGlissarDoc::updateVisibility(bool bRecordChanges)
{
    const int B = GetNBins();
    const long C = pWaveFilm.GetNCadres();
    const long M = GetCadreMargin();
    const int K = GetBinMargin();
    if (!pSpectraParam_A_F)
        return;
    const float* down = pWaveFilm.validDownLevel.pArray;
    const VisibleLevels levels(down, int(pWaveFilm.validDownLevel.nSize), B);
    for (long c = M; c < C - M; ++c) {
        unsigned char* st = GetTraceStatus(c);
        const float* AF = pSpectraParam_A_F + c * B;
        float strongest = 0;
        if (relativeVisibility.bOn)
            for (int k = K; k < B - K; ++k)
                if (st[k] & TRACE_LOCAL_MAX)
                    strongest = std::max(strongest, AF[k]);
        const double floor = relativeVisibility.Floor(strongest);
        for (int k = K; k < B - K; ++k) {
            if (!(st[k] & TRACE_LOCAL_MAX))
                continue;
            const unsigned char before = st[k];
            if (levels.Reaches(AF[k], down, k) && AF[k] >= floor)
                st[k] |= TRACE_VISIBLE;
            else
                st[k] &= ~TRACE_VISIBLE;
            if (bRecordChanges && st[k] != before) {
                nDirtyFirstCadre = std::min(nDirtyFirstCadre, int(c));
                nDirtyLastCadre = std::max(nDirtyLastCadre, int(c + 1));
                nDirtyFirstBin = std::min(nDirtyFirstBin, k);
                nDirtyLastBin = std::max(nDirtyLastBin, k + 1);
            }
        }
    }
}

int CGlissarDoc::FindNearestLocalMax(int bin, long cadre) const
{
    const int B = GetNBins();
    const int K = GetBinMargin();
    if (cadre < 0 || cadre >= pWaveFilm.GetNCadres() || bin < K || bin >= B - K)
        return -1;
    const unsigned char* st = GetTraceStatus(cadre);
    if (st[bin] & TRACE_LOCAL_MAX)
        return bin;
    if (st[bin] & TRACE_SLOPE_UP) {
        for (int k = bin + 1; k <= B - K - 1; ++k)
            if (st[k] & TRACE_LOCAL_MAX)
                return k;
        return -1;
    }
    if (st[bin] & TRACE_SLOPE_DOWN) {
        for (int k = bin - 1; k >= K; --k)
            if (st[k] & TRACE_LOCAL_MAX)
                return k;
        return -1;
    }
    return -1;
}

void CGlissarDoc::ApplyTool(long x, int y)
{
    const int B = GetNBins();
    const long C = pWaveFilm.GetNCadres();
    const int K = GetBinMargin();
    if (x < 0 || x >= C || y < K || y >= B - K)
        return;
    if (nToolsSize < 0 || nToolsSize > 5)
        return;
    long first, last;
    if (nToolsSize == 0) {
        first = 0;
        last = C - 1;
    } else {
        first = x - kToolHalfWidths[nToolsSize];
        last = x + kToolHalfWidths[nToolsSize];
    }
    const long M = GetCadreMargin();
    const long lo = std::max(first, M);
    const long hi = std::min(last + 1, C - M);

    const unsigned char request = bAddTraces ? TRACE_ADD_REQUEST : TRACE_REMOVE_REQUEST;
    auto mark = [&](long cadre, int& bin) {
        const int f = FindNearestLocalMax(bin, cadre);
        if (f < 0)
            return;
        GetTraceStatus(cadre)[f] |= request;
        SetModifiedFlag();
        if (bFollowMaxima)
            bin = f;
    };
    int bin = y;
    for (long cadre = x; cadre < hi; ++cadre)
        mark(cadre, bin);
    bin = y;
    for (long cadre = x - 1; cadre >= lo; --cadre)
        mark(cadre, bin);

    nDirtyFirstCadre = std::min(nDirtyFirstCadre, int(lo));
    nDirtyLastCadre = std::max(nDirtyLastCadre, int(hi));
    nDirtyFirstBin = std::min(nDirtyFirstBin, K);
    nDirtyLastBin = std::max(nDirtyLastBin, B - K);
}

void CGlissarDoc::RecalculateFloatTracesAndUpdateViews(bool show_progress_bar)
{
    if (IsDirtyRegionEmpty())
        return;
    CKWaveFilm& film = pWaveFilm;
    const int N = film.GetNFFT();
    const int B = N / 2;
    const long C = film.GetNCadres();
    const long M = GetCadreMargin();
    const int K = GetBinMargin();
    const long step = film.GetCadreStepInSamples();
    const double Fs = double(film.GetKWaveFrADC());
    const double s = (film.GetCadreStepInSeconds() / film.GetSigmaT()) / Fs;
    const int G = film.pS0->GetnValidGaussSamples();
    const int j0 = std::max(0, B - G);
    const int j1 = std::min(N, B + G);

    std::unique_ptr<double[]> frame(new (std::nothrow) double[size_t(N)]);
    if (!frame) {
        AfxMessageBox("Не хватает памяти в void CGlissarDoc::RecalculateFloatTracesAndUpdateViews ( bool "
                      "show_progress_bar )");
        return;
    }
    const long c0 = std::max(long(nDirtyFirstCadre), M);
    const long c1 = std::min(long(nDirtyLastCadre), C - M);
    const int k0 = std::max(nDirtyFirstBin, K);
    const int k1 = std::min(nDirtyLastBin, B - K);
    IProgressService& progress = ProgressService();
    if (show_progress_bar)
        progress.Open(int(c0), int(c1), "Идет генерация сигнала ...");

    float* wave = pFloatWave.GetFloatWaveBuffer();
    const long length = pFloatWave.GetFloatWaveLength();
    const double* w = pGaussWindow;
    for (long c = c0; c < c1 && wave && w; ++c) {
        if (c * step - B < 0 || c * step + B > length)
            continue;
        unsigned char* st = GetTraceStatus(c);
        float* base = wave + (c * step - B);
        bool loaded = false;
        for (int k = k0; k < k1; ++k) {
            unsigned char& b = st[k];
            if (!(b & TRACE_LOCAL_MAX))
                continue;
            const bool in = b & TRACE_IN_SYNTHESIS, add = b & TRACE_ADD_REQUEST, rem = b & TRACE_REMOVE_REQUEST;
            double sign;
            if (in && add) {
                b &= ~TRACE_ADD_REQUEST;
                continue;
            } else if (!in && rem) {
                b &= ~TRACE_REMOVE_REQUEST;
                continue;
            } else if (!in && add) {
                b = (b | TRACE_IN_SYNTHESIS) & ~TRACE_ADD_REQUEST;
                sign = 1;
            } else if (in && rem) {
                b &= ~(TRACE_IN_SYNTHESIS | TRACE_REMOVE_REQUEST);
                sign = -1;
            } else {
                continue;
            }
            if (!loaded) {
                for (int j = 0; j < N; ++j)
                    frame[j] = base[j];
                loaded = true;
            }
            const long i = c * B + k;
            const double A = sign * pSpectraParam_A_F[i] * s;
            const double omega = pSpectraParam_A_F[i - 1];
            const double D = pSpectraParam_D_P[i];
            const double P = pSpectraParam_D_P[i - 1];
            for (int j = j0; j < j1; ++j) {
                const double m = j - B;
                frame[j] += std::cos(P + omega * m + D * m * m) * (w[j] * A);
            }
        }
        if (loaded)
            for (int j = 0; j < N; ++j)
                base[j] = float(frame[j]);
        if (show_progress_bar)
            progress.SetPos(int(c));
    }
    frame.reset();
    UpdateTraceViews();
    if (show_progress_bar)
        progress.Close();
}

void CGlissarDoc::UpdateTraceViews()
{
    if (nDirtyFirstCadre >= nDirtyLastCadre || nDirtyFirstBin >= nDirtyLastBin)
        return;
    const int B = GetNBins();
    TraceRectHint.rect = CRect(nDirtyFirstCadre, B - nDirtyLastBin, nDirtyLastCadre, B - nDirtyFirstBin);
    UpdateAllViews(nullptr, HintCadreRectangle, &TraceRectHint);
    EmptyDirtyRegion();
}

void CGlissarDoc::EmptyDirtyRegion()
{
    nDirtyFirstCadre = INT_MAX;
    nDirtyLastBin = -1;
    nDirtyLastCadre = -1;
    nDirtyFirstBin = INT_MAX;
}

void CGlissarDoc::MarkWholeArrayDirty()
{
    nDirtyFirstCadre = 0;
    nDirtyLastCadre = int(pWaveFilm.GetNCadres());
    nDirtyFirstBin = 0;
    nDirtyLastBin = GetNBins();
}

void CGlissarDoc::ToolButtonDown(long cadre, int bin)
{
    if (!bEditTraces)
        return;
    ApplyTool(cadre, bin);
    if (!bQuickEditing)
        RecalculateFloatTracesAndUpdateViews(false);
    bToolStroke = true;
}

void CGlissarDoc::ToolMouseMove(long cadre, int bin)
{
    if (!bEditTraces || !bToolStroke)
        return;
    ApplyTool(cadre, bin);
    if (!bQuickEditing)
        RecalculateFloatTracesAndUpdateViews(false);
}

void CGlissarDoc::ToolButtonUp()
{
    if (!bEditTraces)
        return;
    bToolStroke = false;
    RecalculateFloatTracesAndUpdateViews(false);
}
