// Formants by Burg's method. The resampling is a windowed-sinc low-pass
// (weights per phase where the rates make a ratio of small numbers, else
// read from a table), each output sample a sum over the input samples
// around its own time, so that any stretch of the grid comes out the same
// bits as the whole. Each frame: pre-emphasis, the Gaussian window, the
// predictor by Burg's recursion, and its roots by the Aberth iteration.
#include "kavrel/core/KFormants.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <memory>
#include <numbers>

#include "kavrel/core/KFrameBlocks.h"

namespace {

constexpr int kTableSteps = 512;       // kernel entries per input sample, for other ratios
constexpr long kMaxPhases = 4096;      // the most phases a ratio of rates gets weights of its own for
constexpr double kZeroCrossings = 24;  // on each side of the kernel's centre

double BesselI0(double x)
{
    double sum = 1, term = 1;
    for (int k = 1; k < 50; ++k) {
        term *= (x / (2 * k)) * (x / (2 * k));
        sum += term;
        if (term < 1e-17 * sum)
            break;
    }
    return sum;
}

using Complex = std::complex<double>;

// The roots of z^m + a[1] z^(m-1) + ... + a[m] (real a), by the Aberth
// iteration from points spread round a circle inside the unit one.
void Roots(const std::vector<double>& a, int m, std::vector<Complex>& z)
{
    z.resize(size_t(m));
    for (int k = 0; k < m; ++k)
        z[size_t(k)] = std::polar(0.9, 2 * std::numbers::pi * (k + 0.25) / m + 0.4);
    for (int iteration = 0; iteration < 200; ++iteration) {
        double largest = 0;
        for (int k = 0; k < m; ++k) {
            const Complex x = z[size_t(k)];
            Complex p = 1, dp = 0;
            for (int i = 1; i <= m; ++i) {
                dp = dp * x + p;
                p = p * x + a[size_t(i)];
            }
            if (p == Complex(0))
                continue;
            const Complex ratio = p / dp;
            Complex sum = 0;
            for (int j = 0; j < m; ++j)
                if (j != k)
                    sum += 1.0 / (x - z[size_t(j)]);
            const Complex step = ratio / (1.0 - ratio * sum);
            if (!std::isfinite(step.real()) || !std::isfinite(step.imag()))
                continue;
            z[size_t(k)] = x - step;
            largest = std::max(largest, std::abs(step));
        }
        if (largest < 1e-13)
            break;
    }
}

} // namespace

CKFormantAnalysis::CKFormantAnalysis(const KFormantParams& params, double rate)
    : m_p(params), m_rate(rate), m_rate2(2 * std::max(100.0, params.dMaxFormant))
{
    // Callers check the ranges; this only keeps nonsense from becoming huge windows.
    m_p.nFormants = std::clamp(m_p.nFormants, 1, 20);
    m_p.dWindowLength = std::clamp(m_p.dWindowLength, 0.001, 1.0);
    m_ratio = m_rate / m_rate2;
    // The low-pass edge a little below the lower Nyquist frequency, in
    // cycles per input sample.
    const double cutoff = 0.5 * std::min(1.0, 1 / m_ratio);
    m_halfWidth = kZeroCrossings / (2 * cutoff);
    const double beta = 7, norm = BesselI0(beta);
    auto kernel = [&](double d) {
        d = std::fabs(d);
        if (d >= m_halfWidth)
            return 0.0;
        const double x = 2 * cutoff * d;
        const double sinc = x == 0 ? 1 : std::sin(std::numbers::pi * x) / (std::numbers::pi * x);
        const double r = d / m_halfWidth;
        return 2 * cutoff * sinc * BesselI0(beta * std::sqrt(1 - r * r)) / norm;
    };
    // The usual rates make a ratio of small whole numbers p/q: grid sample j
    // then falls at input sample (j p div q) plus the phase (j p mod q)/q,
    // and each of the q phases has its weights computed once.
    for (long q = 1; q <= kMaxPhases; ++q) {
        const double p = m_ratio * double(q);
        if (std::fabs(p - std::round(p)) < 1e-9 * p && std::round(p) >= 1) {
            m_phases = q;
            m_phaseStep = long(std::round(p));
            break;
        }
    }
    if (m_phases > 0) {
        m_reach = long(std::ceil(m_halfWidth)) + 1;
        const long taps = 2 * m_reach + 1;
        m_kernel.assign(size_t(m_phases * taps), 0);
        for (long r = 0; r < m_phases; ++r)
            for (long k = -m_reach; k <= m_reach; ++k)
                m_kernel[size_t(r * taps + k + m_reach)] = kernel(double(k) - double(r) / double(m_phases));
    } else {
        const long entries = long(std::ceil(m_halfWidth * kTableSteps)) + 2;
        m_kernel.resize(size_t(entries));
        for (long k = 0; k < entries; ++k)
            m_kernel[size_t(k)] = kernel(double(k) / kTableSteps);
    }

    m_nWindow = std::max(8L, long(std::lround(2 * m_p.dWindowLength * m_rate2)));
    m_window.resize(size_t(m_nWindow));
    const double edge = std::exp(-12.0);
    for (long i = 0; i < m_nWindow; ++i) {
        const double x = (double(i) + 0.5) / double(m_nWindow) - 0.5;
        m_window[size_t(i)] = (std::exp(-48 * x * x) - edge) / (1 - edge);
    }
    m_emphasis = std::exp(-2 * std::numbers::pi * m_p.dPreEmphasisFrom / m_rate2);
}

CKFormantAnalysis::~CKFormantAnalysis() = default;

void CKFormantAnalysis::InputSpan(long first, long n, long& inFirst, long& inCount) const
{
    // One sample to spare either side for the rounding of the times.
    inFirst = long(std::floor(double(first) * m_ratio - m_halfWidth)) - 2;
    const long inLast = long(std::ceil(double(first + n - 1) * m_ratio + m_halfWidth)) + 2;
    inCount = inLast - inFirst + 1;
}

void CKFormantAnalysis::ResampleFrom(const float* in, long inFirst, long first, long n, float* out) const
{
    const double* kernel = m_kernel.data();
    if (m_phases > 0) {
        const long taps = 2 * m_reach + 1;
        for (long j = 0; j < n; ++j) {
            const long long at = (long long)(first + j) * m_phaseStep;
            long long whole = at / m_phases, phase = at % m_phases;
            if (phase < 0) {
                phase += m_phases;
                --whole;
            }
            const float* x = in + (whole - m_reach - inFirst);
            const double* w = kernel + phase * taps;
            double sum = 0;
            for (long k = 0; k < taps; ++k)
                sum += double(x[k]) * w[k];
            out[j] = float(sum);
        }
        return;
    }
    for (long j = 0; j < n; ++j) {
        const double u = double(first + j) * m_ratio;
        const long a = long(std::ceil(u - m_halfWidth)), b = long(std::floor(u + m_halfWidth));
        double sum = 0;
        for (long i = a; i <= b; ++i) {
            const double t = std::fabs(double(i) - u) * kTableSteps;
            const long k = long(t);
            const double f = t - double(k);
            sum += double(in[i - inFirst]) * (kernel[k] + f * (kernel[k + 1] - kernel[k]));
        }
        out[j] = float(sum);
    }
}

void CKFormantAnalysis::Resample(const KSampleSource& source, long first, long n, std::vector<float>& out) const
{
    out.assign(size_t(std::max(0L, n)), 0.f);
    if (n <= 0)
        return;
    long inFirst, inCount;
    InputSpan(first, n, inFirst, inCount);
    std::vector<float> in(static_cast<size_t>(inCount));
    source.Read(inFirst, inCount, in.data());
    ResampleFrom(in.data(), inFirst, first, n, out.data());
}

void CKFormantAnalysis::FrameSpan(double t, long& first, long& count) const
{
    first = long(std::lround(t * m_rate2 - 0.5 * double(m_nWindow - 1))) - 1;
    count = m_nWindow + 1;
}

void CKFormantAnalysis::Frame(const float* grid, long gridFirst, double t, KFormantFrame& out)
{
    out.dTime = t;
    out.dLevel = -1e300;
    out.formants.clear();
    long first, count;
    FrameSpan(t, first, count);
    const float* g = grid + (first - gridFirst);
    const long n = m_nWindow;
    m_x.resize(size_t(n));
    double energy = 0, plain = 0, weights = 0;
    for (long i = 0; i < n; ++i) {
        const double w = m_window[size_t(i)];
        m_x[size_t(i)] = (double(g[i + 1]) - m_emphasis * double(g[i])) * w;
        energy += m_x[size_t(i)] * m_x[size_t(i)];
        plain += double(g[i + 1]) * double(g[i + 1]) * w * w;
        weights += w * w;
    }
    out.dLevel = plain > 0 ? 10 * std::log10(plain / weights) : -1e300;
    if (!(energy > 0))
        return;

    // Burg: the reflection coefficient of each order from the forward and
    // backward errors, the predictor a[0..m] (a[0] = 1) built up order by order.
    const int m = std::clamp(2 * m_p.nFormants, 2, int(n) - 2);
    std::vector<double>& a = m_coefficients;
    std::vector<double>& forward = m_work1;
    std::vector<double>& backward = m_work2;
    std::vector<double>& previous = m_work3;
    a.assign(size_t(m) + 1, 0);
    a[0] = 1;
    forward.assign(m_x.begin(), m_x.end());
    backward.assign(m_x.begin(), m_x.end());
    for (int k = 1; k <= m; ++k) {
        double num = 0, den = 0;
        for (long i = k; i < n; ++i) {
            num += forward[size_t(i)] * backward[size_t(i - 1)];
            den += forward[size_t(i)] * forward[size_t(i)] + backward[size_t(i - 1)] * backward[size_t(i - 1)];
        }
        if (!(den > 0))
            return;
        const double reflection = -2 * num / den;
        previous.assign(a.begin(), a.end());
        for (int i = 1; i <= k; ++i)
            a[size_t(i)] = previous[size_t(i)] + reflection * previous[size_t(k - i)];
        for (long i = n - 1; i >= k; --i) {
            const double f = forward[size_t(i)];
            forward[size_t(i)] = f + reflection * backward[size_t(i - 1)];
            backward[size_t(i)] = backward[size_t(i - 1)] + reflection * f;
        }
    }

    std::vector<Complex> roots;
    Roots(a, m, roots);
    const double nyquist = 0.5 * m_rate2;
    for (Complex z : roots) {
        if (z.imag() <= 0)
            continue;
        // A root outside the unit circle stands for the stable one inside.
        if (std::abs(z) > 1)
            z = 1.0 / std::conj(z);
        const double f = std::arg(z) * m_rate2 / (2 * std::numbers::pi);
        const double radius = std::abs(z), bandwidth = -std::log(radius) * m_rate2 / std::numbers::pi;
        // A pole pair too wide to make a peak of its own in the spectrum
        // (the pair's response has a maximum above 0 Hz only while cos θ <
        // 2r/(1 + r²)) is the predictor's way of bending the spectrum's
        // slope, not a formant.
        const bool peak = std::cos(std::arg(z)) < 2 * radius / (1 + radius * radius);
        if (f < 50 || f > nyquist - 50 || !peak)
            continue;
        out.formants.push_back({f, bandwidth});
    }
    std::sort(out.formants.begin(), out.formants.end(),
              [](const KFormant& x, const KFormant& y) { return x.dFrequency < y.dFrequency; });
    if (out.formants.size() > size_t(m_p.nFormants))
        out.formants.resize(size_t(m_p.nFormants));
}

std::vector<KFormantFrame> KTrackFormants(const KSampleSource& source, const std::vector<double>& times,
                                          const KFormantParams& params, bool (*cancelled)(void*), void* context)
{
    std::vector<KFormantFrame> frames(times.size());
    const unsigned threads = KAnalysisThreads();
    std::vector<std::unique_ptr<CKFormantAnalysis>> analyses;
    for (unsigned t = 0; t < threads; ++t)
        analyses.push_back(std::make_unique<CKFormantAnalysis>(params, source.Rate()));
    const CKFormantAnalysis& first = *analyses[0];

    // A block's stretch is resampled on every core too.
    std::vector<float> in, grid;
    for (size_t a = 0, b; a < times.size(); a = b) {
        if (cancelled && cancelled(context))
            return {};
        b = KFrameBlockEnd(times, a, 2048);
        long g0, count, g1;
        first.FrameSpan(times[a], g0, count);
        first.FrameSpan(times[b - 1], g1, count);
        const long gridCount = g1 + count - g0;
        long inFirst, inCount;
        first.InputSpan(g0, gridCount, inFirst, inCount);
        in.resize(size_t(inCount));
        source.Read(inFirst, inCount, in.data());
        grid.resize(size_t(gridCount));
        KOnEveryThread(threads, [&](unsigned t) {
            const long from = gridCount * long(t) / long(threads), to = gridCount * long(t + 1) / long(threads);
            first.ResampleFrom(in.data(), inFirst, g0 + from, to - from, grid.data() + from);
        });
        KShareFrames(a, b, threads,
                     [&](unsigned t, size_t k) { analyses[t]->Frame(grid.data(), g0, times[k], frames[k]); });
    }
    return frames;
}
