#include "tembrix/KResampling.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <numbers>

namespace kresample {

namespace {

constexpr double kPi = std::numbers::pi;
// The interpolators' Gaussian width constant and the decimator's.
constexpr double kInterpolatorWidth = 0.01;
constexpr double kDecimatorWidth = 0.002;

std::function<bool(int)>& refusal()
{
    static std::function<bool(int)> r;
    return r;
}

// Sizes a buffer, or tells which one could not be had.
template <class T> bool allocate(std::vector<T>& v, size_t n, int nBuffer, Outcome& out)
{
    try {
        if (refusal() && refusal()(nBuffer))
            throw std::bad_alloc();
        v.assign(n, T{});
        return true;
    } catch (const std::bad_alloc&) {
        out = {Outcome::NoMemory, nBuffer};
        return false;
    }
}

// Neighbouring outputs worked on together: their sums are independent, so
// the compiler keeps them side by side in vector registers.
constexpr long kLanes = 16;

// v[t] = Σ c[i]·x[i·stride + t] for t < kLanes, each sum added up in the
// order of i exactly as a single output's plain loop adds it, so that every
// value is the same double as the plain loop gives: only the speed changes.
inline void sumLanes(const double* c, long n, const double* x, long stride, double* v)
{
    double acc[kLanes] = {};
    for (long i = 0; i < n; ++i) {
        const double ci = c[i];
        const double* xi = x + i * stride;
        for (long t = 0; t < kLanes; ++t)
            acc[t] += ci * xi[t];
    }
    std::copy(acc, acc + kLanes, v);
}

// The decimator's kLanes neighbouring outputs from the phases (phase r at
// x + r·stride): tap j = qM + r is walked in the filter's order. Built also
// for AVX2 (without fused multiply-add, which would round differently).
__attribute__((target_clones("avx2", "default"))) void decimationLanes(const double* c, long L, long M,
                                                                       const double* x, long stride, double* v)
{
    double acc[kLanes] = {};
    for (long j = 0, q = 0, r = 0; j < L; ++j) {
        const double cj = c[j];
        const double* p = x + r * stride + q;
        for (long t = 0; t < kLanes; ++t)
            acc[t] += cj * p[t];
        if (++r == M) {
            r = 0;
            ++q;
        }
    }
    std::copy(acc, acc + kLanes, v);
}

// The shared block loop of both interpolators: prime the second half of the
// two-block buffer with the first H samples, then shift in one block at a
// time while a whole block of the signal is still unread; the final short
// stretch is not flushed.
Outcome interpolate(long nSamples, int nPhases, const std::vector<const std::vector<double>*>& phases, long nCentre,
                    const SequentialReader& read, const BlockWriter& write, const Progress& progress)
{
    Outcome out;
    const long L = kBlock, H = L / 2;
    std::vector<short> x;
    std::vector<double> y;
    std::vector<short> s;
    if (!allocate(x, size_t(2 * L), BufferSamples, out) || !allocate(y, size_t(nPhases * L), BufferResult, out))
        return out;
    s.resize(size_t(nPhases * L));
    // The samples as doubles, with room for the last lanes' reach past 2L.
    std::vector<double> xd(size_t(2 * L + kLanes), 0.0);

    long got = read(x.data() + 2 * L - H, H);
    std::fill(x.begin() + (2 * L - H) + std::max(0L, got), x.end(), 0);
    long pos = H;
    const double scale = 1.0 / (kInterpolatorGain * 32767.0);
    while (nSamples - pos >= L) {
        std::memmove(x.data(), x.data() + L, size_t(L) * sizeof(short));
        got = read(x.data() + L, L);
        std::fill(x.begin() + L + std::max(0L, got), x.end(), 0);
        std::copy(x.begin(), x.end(), xd.begin());
        for (long j = 0; j < L; ++j)
            y[size_t(nPhases * j)] = x[size_t(j + nCentre)] * scale;
        for (int ph = 1; ph < nPhases; ++ph) {
            const double* c = phases[size_t(ph - 1)]->data();
            for (long j = 0; j < L; j += kLanes) {
                double v[kLanes];
                sumLanes(c, L, xd.data() + j, 1, v);
                for (long t = 0; t < kLanes; ++t)
                    y[size_t(nPhases * (j + t) + ph)] = v[t];
            }
        }
        for (size_t k = 0; k < y.size(); ++k)
            s[k] = ToSample(y[k] * 32767.0);
        if (!write(s.data(), long(s.size())))
            return {Outcome::WriteFailed, 0};
        pos += L;
        if (progress)
            progress(std::min(pos, nSamples), nSamples);
    }
    return out;
}

} // namespace

void SetAllocationRefusal(std::function<bool(int)> refuse)
{
    refusal() = std::move(refuse);
}

short ToSample(double v)
{
    if (v > 32767.0)
        return 32767;
    if (v < -32768.0)
        return -32768;
    return short(v);
}

std::vector<double> HalfSampleFilter()
{
    const int e = int(-2.5 / (2 * kPi * kInterpolatorWidth * 0.25));
    const int L = (1 - e) & ~1, H = L / 2;
    std::vector<double> c(static_cast<size_t>(L));
    const double a = kInterpolatorWidth * 0.25;
    for (int k = 0; k < H; ++k) {
        const double l = 2 * k + 1;
        const double v = ((k & 1) ? -1.0 : 1.0) * std::exp(-2 * kPi * kPi * a * a * l * l) / (l * kPi / 2) /
                         kInterpolatorGain / 32767.0;
        c[size_t(H + k)] = v;
        c[size_t(H - 1 - k)] = v;
    }
    return c;
}

std::vector<double> QuarterSampleFilter()
{
    const int e = int(-2.5 / (2 * kPi * kInterpolatorWidth * 0.125));
    const int L4 = ((3 - e) & ~3) * 2, half = L4 / 2;
    std::vector<double> c(static_cast<size_t>(L4));
    const double a = kInterpolatorWidth * 0.125;
    for (int t = -half; t < half; ++t) {
        const double u = kPi * t / 4;
        c[size_t(t + half)] = t == 0 ? 1.0 / (kInterpolatorGain * 32767.0)
                                     : std::sin(u) / u * std::exp(-2 * kPi * kPi * a * a * double(t) * t) /
                                           kInterpolatorGain / 32767.0;
    }
    return c;
}

std::vector<double> DecimationFilter(int M)
{
    const double fc = 0.5 / M;
    const long l = long(-5 / (2 * kPi * kDecimatorWidth * fc));
    const long H = -l, L = 1 - 2 * l;
    std::vector<double> c(static_cast<size_t>(L));
    const double g = kPi * kDecimatorWidth * fc;
    for (long i = -H; i <= H; ++i) {
        const double u = 2 * kPi * fc * double(i);
        const double v = i == 0 ? 1.0 : std::sin(u) / u * std::exp(-2 * g * g * double(i) * double(i));
        c[size_t(i + H)] = v / M;
    }
    return c;
}

Outcome UpsampleByTwo(long nSamples, const SequentialReader& read, const BlockWriter& write, const Progress& progress)
{
    Outcome out;
    std::vector<double> c;
    if (!allocate(c, 0, BufferCoefficients, out))
        return out;
    c = HalfSampleFilter();
    return interpolate(nSamples, 2, {&c}, kBlock / 2 - 1, read, write, progress);
}

Outcome UpsampleByFour(long nSamples, const SequentialReader& read, const BlockWriter& write, const Progress& progress)
{
    Outcome out;
    std::vector<double> c, p1, p2, p3;
    if (!allocate(c, 0, BufferCoefficients, out) || !allocate(p1, size_t(kBlock), BufferPhase1, out) ||
        !allocate(p2, size_t(kBlock), BufferPhase2, out) || !allocate(p3, size_t(kBlock), BufferPhase3, out))
        return out;
    c = QuarterSampleFilter();
    for (long n = 0; n < kBlock; ++n) {
        p1[size_t(n)] = c[size_t(4 * n + 3)];
        p2[size_t(n)] = c[size_t(4 * n + 2)];
        p3[size_t(n)] = c[size_t(4 * n + 1)];
    }
    // The identity phase sits on x[j + 79]: the prototype's centre, 320, is 4·79 + 4.
    return interpolate(nSamples, 4, {&p1, &p2, &p3}, 4 * kBlock / 8 - 1, read, write, progress);
}

Outcome Downsample(long nSamples, int M, const WindowReader& read, const BlockWriter& write, const Progress& progress)
{
    Outcome out;
    std::vector<double> c;
    if (!allocate(c, 0, BufferDecimatorCoefficients, out))
        return out;
    c = DecimationFilter(M);
    const long L = long(c.size()), H = L / 2;
    // Outputs go in blocks of 1024, each block from one read of the stretch
    // all its windows cover, rather than one read of L samples per output.
    constexpr long kOutBlock = 1024;
    const long nRead = (kOutBlock - 1) * M + L;
    std::vector<short> x;
    if (!allocate(x, size_t(nRead), BufferDecimatorSamples, out))
        return out;
    // The stretch split into its M phases, as doubles: tap j = qM + r of
    // output k is phase r at k + q, so the taps of neighbouring outputs lie
    // next to each other. Zeros beyond the stretch feed the unused lanes.
    const long nPhase = kOutBlock + kLanes + L / M + 1;
    std::vector<double> phases(size_t(M * nPhase), 0.0);
    const long nOut = (nSamples + M - 1) / M;
    std::vector<short> block(static_cast<size_t>(kOutBlock));
    for (long k0 = 0; k0 < nOut; k0 += kOutBlock) {
        const long n = std::min(kOutBlock, nOut - k0);
        const long len = (n - 1) * M + L;
        if (!read(x.data(), k0 * M - H, len))
            break;
        std::fill(phases.begin(), phases.end(), 0.0);
        for (long i = 0; i < len; ++i)
            phases[size_t((i % M) * nPhase + i / M)] = x[size_t(i)];
        for (long k = 0; k < n; k += kLanes) {
            double acc[kLanes];
            decimationLanes(c.data(), L, M, phases.data() + k, nPhase, acc);
            for (long t = 0; t < kLanes && k + t < n; ++t)
                block[size_t(k + t)] = ToSample(acc[t]);
        }
        if (!write(block.data(), n))
            return {Outcome::WriteFailed, 0};
        if (progress)
            progress(k0 + n, nOut);
    }
    return out;
}

Outcome ReverseCadres(const ReversalParams& p, const WindowReader& read, std::vector<float>& result,
                      const Progress& progress)
{
    Outcome out;
    const long w = p.nStep, G = 10 * w;
    std::vector<float> R;
    std::vector<short> q;
    std::vector<double> g;
    if (!allocate(R, size_t(std::max(0L, p.nSamples)), BufferReversalResult, out) ||
        !allocate(q, size_t(G), BufferReversalGrain, out) || !allocate(g, size_t(G), BufferReversalGrain, out))
        return out;
    for (long i = 0; i < G; ++i) {
        const double d = double(i - G / 2);
        g[size_t(i)] = std::exp(-d * d / (2.0 * double(w) * double(w)));
    }
    const int every = std::max(1, p.nKeepEvery);
    const long last = p.nCadres - 7;
    for (long o = 6; o <= last; o += every) {
        const long t = o * w + p.nZeroCadreSample;
        if (!read(q.data(), t - G / 2, G))
            break;
        for (long i = 0; i < G; ++i) {
            const long at = t - G / 2 + i;
            if (at < 0 || at >= p.nSamples)
                continue; // a grain past the end of a short file adds nothing outside it
            R[size_t(at)] += float(g[size_t(i)] * q[size_t(p.bReverse ? G - 1 - i : i)]);
        }
        if (progress)
            progress(o - 6, last - 6 + 1);
    }
    result = std::move(R);
    return out;
}

} // namespace kresample
