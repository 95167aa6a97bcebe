// The pitch tracker. Each frame: the window's samples less their mean,
// weighted, autocorrelated through the FFT and divided by the weighting's
// own autocorrelation, which takes out the window's taper and leaves
// peaks of nearly the signal's own height at its periods. The peaks between
// the ceiling's and the floor's periods are the candidates; a path search
// over all frames then picks one each.
#include "kavrel/core/KPitch.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>

#include "kavrel/core/KFFT.h"
#include "kavrel/core/KFrameBlocks.h"

namespace {

// The smallest transform that holds a window and its lags without wrapping round.
int TransformFor(long samples)
{
    for (int n = 64; n <= 65536; n *= 4)
        if (n >= samples)
            return n;
    return 0;
}

// The autocorrelation of the n values in z's real parts (imaginary parts
// zero, the rest of the N zero), into r[0 .. lags]: the power spectrum's
// transform, which is real and even, so the forward transform serves.
void Autocorrelate(CKFFT& fft, Z* z, int N, std::vector<double>& r, long lags)
{
    fft.fft(N);
    for (int k = 0; k < N; ++k) {
        z[k].re = z[k].re * z[k].re + z[k].im * z[k].im;
        z[k].im = 0;
    }
    fft.fft(N);
    r.resize(size_t(lags) + 1);
    for (long k = 0; k <= lags; ++k)
        r[size_t(k)] = z[k].re;
}

// The vertex of the parabola through (-1, a), (0, b), (1, c): its offset and height.
void Vertex(double a, double b, double c, double& offset, double& height)
{
    const double d = a - 2 * b + c;
    offset = d < 0 ? 0.5 * (a - c) / d : 0;
    offset = std::clamp(offset, -0.5, 0.5);
    height = b - 0.25 * (a - c) * offset;
}

} // namespace

CKPitchAnalysis::CKPitchAnalysis(const KPitchParams& params, double rate, double peak)
    : m_p(params), m_rate(rate), m_peak(peak)
{
    // Callers check the ranges; this only keeps nonsense from becoming huge windows.
    m_p.dFloor = std::max(1.0, std::min(m_p.dFloor, 0.25 * rate));
    m_p.dCeiling = std::max(m_p.dFloor, std::min(m_p.dCeiling, 0.5 * rate));
    const double periods = m_p.bGaussian ? 6 : 3;
    m_nWindow = std::max(16L, long(std::lround(periods / m_p.dFloor * rate)));
    m_minLag = std::max(2L, long(std::floor(rate / m_p.dCeiling)));
    m_maxLag = std::max(m_minLag + 2, long(std::ceil(rate / m_p.dFloor)));
    m_maxLag = std::min(m_maxLag, m_nWindow - 2);
    m_nfft = TransformFor(m_nWindow + m_maxLag + 2);

    m_window.resize(size_t(m_nWindow));
    const double n = double(m_nWindow);
    const double edge = std::exp(-12.0);
    for (long i = 0; i < m_nWindow; ++i) {
        const double x = (double(i) + 0.5) / n;  // 0..1 across the window
        m_window[size_t(i)] = m_p.bGaussian ? (std::exp(-48 * (x - 0.5) * (x - 0.5)) - edge) / (1 - edge)
                                            : 0.5 - 0.5 * std::cos(2 * std::numbers::pi * x);
    }
    if (m_nfft == 0)
        return;
    Z* z = m_fft.GetZ();
    if (!z) {
        m_nfft = 0;
        return;
    }
    std::fill(z, z + m_nfft, Z{0, 0});
    for (long i = 0; i < m_nWindow; ++i)
        z[i].re = m_window[size_t(i)];
    Autocorrelate(m_fft, z, m_nfft, m_windowAC, m_maxLag + 1);
    const double r0 = m_windowAC[0];
    for (double& v : m_windowAC)
        v /= r0;
}

CKPitchAnalysis::~CKPitchAnalysis() = default;

long CKPitchAnalysis::FirstSampleOfFrame(double centreSample) const
{
    return long(std::lround(centreSample - 0.5 * double(m_nWindow - 1)));
}

void CKPitchAnalysis::Candidates(const KSampleSource& source, double centreSample, KPitchCandidates& out)
{
    m_read.resize(size_t(m_nWindow));
    source.Read(FirstSampleOfFrame(centreSample), m_nWindow, m_read.data());
    Candidates(m_read.data(), out);
}

void CKPitchAnalysis::Candidates(const float* window, KPitchCandidates& out)
{
    out.v.clear();
    double mean = 0;
    for (long i = 0; i < m_nWindow; ++i)
        mean += window[i];
    mean /= double(m_nWindow);
    // The frame's loudness is that of its weighted samples: a loud sound
    // just inside the window's edge does not make a quiet frame loud.
    double localPeak = 0;
    for (long i = 0; i < m_nWindow; ++i)
        localPeak = std::max(localPeak, std::fabs(double(window[i]) - mean) * m_window[size_t(i)]);

    // The unvoiced candidate: the voicing threshold, raised in quiet frames
    // so that what is near silence stays unvoiced.
    KPitchCandidate unvoiced;
    const double relative = m_peak > 0 ? localPeak / m_peak : 0;
    unvoiced.dStrength = m_p.dVoicingThreshold +
        std::max(0.0, 2 - relative / (m_p.dSilenceThreshold / (1 + m_p.dVoicingThreshold)));
    out.v.push_back(unvoiced);
    if (m_nfft == 0 || localPeak == 0)
        return;

    Z* z = m_fft.GetZ();
    if (!z)
        return;
    for (long i = 0; i < m_nWindow; ++i)
        z[i] = Z{(double(window[i]) - mean) * m_window[size_t(i)], 0};
    std::fill(z + m_nWindow, z + m_nfft, Z{0, 0});
    Autocorrelate(m_fft, z, m_nfft, m_r, m_maxLag + 1);
    const double r0 = m_r[0];
    if (!(r0 > 0))
        return;
    for (long k = 0; k <= m_maxLag + 1; ++k)
        m_r[size_t(k)] = m_r[size_t(k)] / r0 / m_windowAC[size_t(k)];

    // Peaks between the two periods, each at its parabola's vertex; those
    // below half the voicing threshold could never win a frame. A
    // candidate loses a little strength per octave below the ceiling, so of
    // two near-equal peaks the shorter period wins (a peak at twice the
    // period is nearly as high as the period's own), and a weak voice
    // loses to the unvoiced candidate sooner the lower it is.
    const long lo = std::max(2L, m_minLag), hi = m_maxLag;
    for (long k = lo; k <= hi; ++k) {
        const double b = m_r[size_t(k)];
        if (b <= 0 || b < m_r[size_t(k - 1)] || b < m_r[size_t(k + 1)])
            continue;
        double offset, height;
        Vertex(m_r[size_t(k - 1)], b, m_r[size_t(k + 1)], offset, height);
        const double lag = double(k) + offset;
        if (lag < double(m_minLag) - 0.5 || lag > double(m_maxLag) || height < 0.5 * m_p.dVoicingThreshold)
            continue;
        if (height > 1)
            height = 1 / height;
        KPitchCandidate c;
        c.dFrequency = m_rate / lag;
        c.dStrength = height - m_p.dOctaveCost * std::log2(m_p.dCeiling * lag / m_rate);
        out.v.push_back(c);
    }
    // The strongest voiced candidates only.
    const size_t keep = size_t(std::max(1, m_p.nMaxCandidates - 1));
    if (out.v.size() - 1 > keep) {
        std::partial_sort(out.v.begin() + 1, out.v.begin() + 1 + long(keep), out.v.end(),
                          [](const KPitchCandidate& a, const KPitchCandidate& b) { return a.dStrength > b.dStrength; });
        out.v.resize(keep + 1);
    }
}

std::vector<KPitchFrame> KPitchPath(const std::vector<KPitchCandidates>& frames, const KPitchParams& params,
                                    double step)
{
    const size_t n = frames.size();
    std::vector<KPitchFrame> result(n);
    if (n == 0)
        return result;
    // The costs are per 10 ms; a finer step pays less per transition, so that
    // the same contour costs the same whatever the step.
    const double perStep = step > 0 ? 0.01 / step : 1;
    const double jump = params.dOctaveJumpCost * perStep, vuv = params.dVoicedUnvoicedCost * perStep;

    std::vector<std::vector<double>> score(n);
    std::vector<std::vector<int>> from(n);
    score[0].resize(frames[0].v.size());
    from[0].assign(frames[0].v.size(), -1);
    for (size_t j = 0; j < frames[0].v.size(); ++j)
        score[0][j] = frames[0].v[j].dStrength;
    for (size_t i = 1; i < n; ++i) {
        const auto& prev = frames[i - 1].v;
        const auto& cur = frames[i].v;
        score[i].assign(cur.size(), 0);
        from[i].assign(cur.size(), 0);
        for (size_t j = 0; j < cur.size(); ++j) {
            double best = -1e300;
            int arg = 0;
            for (size_t q = 0; q < prev.size(); ++q) {
                const bool pv = prev[q].dFrequency > 0, cv = cur[j].dFrequency > 0;
                double cost = 0;
                if (pv && cv)
                    cost = jump * std::fabs(std::log2(cur[j].dFrequency / prev[q].dFrequency));
                else if (pv != cv)
                    cost = vuv;
                const double s = score[i - 1][q] - cost;
                if (s > best) {
                    best = s;
                    arg = int(q);
                }
            }
            score[i][j] = best + cur[j].dStrength;
            from[i][j] = arg;
        }
    }
    int j = int(std::max_element(score[n - 1].begin(), score[n - 1].end()) - score[n - 1].begin());
    for (size_t i = n; i-- > 0;) {
        const KPitchCandidate& c = frames[i].v[size_t(j)];
        result[i].dF0 = c.dFrequency;
        result[i].dStrength = c.dStrength;
        if (i > 0)
            j = from[i][size_t(j)];
    }
    return result;
}

std::vector<KPitchFrame> KTrackPitch(const KSampleSource& source, const std::vector<double>& times,
                                     const KPitchParams& params, bool (*cancelled)(void*), void* context)
{
    const double rate = source.Rate();
    const double peak = KSourceAbsolutePeak(source);
    std::vector<KPitchCandidates> candidates(times.size());
    const unsigned threads = KAnalysisThreads();
    std::vector<std::unique_ptr<CKPitchAnalysis>> analyses;
    for (unsigned t = 0; t < threads; ++t)
        analyses.push_back(std::make_unique<CKPitchAnalysis>(params, rate, peak));
    const long window = analyses[0]->WindowLength();

    std::vector<float> samples;
    for (size_t a = 0, b; a < times.size(); a = b) {
        if (cancelled && cancelled(context))
            return {};
        b = KFrameBlockEnd(times, a, 4096);
        const long first = analyses[0]->FirstSampleOfFrame(times[a] * rate);
        const long last = analyses[0]->FirstSampleOfFrame(times[b - 1] * rate) + window;
        samples.resize(size_t(last - first));
        source.Read(first, last - first, samples.data());
        KShareFrames(a, b, threads, [&](unsigned t, size_t k) {
            CKPitchAnalysis& analysis = *analyses[t];
            analysis.Candidates(samples.data() + (analysis.FirstSampleOfFrame(times[k] * rate) - first), candidates[k]);
        });
    }
    const double step = times.size() > 1 ? (times.back() - times.front()) / double(times.size() - 1) : 0.01;
    std::vector<KPitchFrame> frames = KPitchPath(candidates, params, step);
    for (size_t i = 0; i < frames.size(); ++i)
        frames[i].dTime = times[i];
    return frames;
}
