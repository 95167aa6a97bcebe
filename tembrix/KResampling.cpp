#include "tembrix/KResampling.h"

#include "tembrix/KFastCorrelation.h"

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

// The interpolators' stream as seen by their block loop: the half block of
// zeros before the signal, then the signal. Output m of every phase is the
// phase's filter over stream samples m .. m + kBlock − 1, that is signal
// samples m − H .. m + H − 1 (H = kBlock / 2): the identity phase stands on
// signal sample m − 1.
//
// The phases' sums are worked out by the FFT in blocks of nFFT − kBlock + 1
// outputs, the blocks of a stretch shared between two threads; reading and
// writing stay on the calling thread.
Outcome interpolate(long nSamples, int nPhases, const std::vector<const std::vector<double>*>& phases, long nCentre,
                    const SequentialReader& read, const BlockWriter& write, const Progress& progress)
{
    Outcome out;
    const long L = kBlock, H = L / 2;
    // The block loop runs while a whole block is unread after the H primed
    // samples, and every block makes L outputs of each phase.
    const long nOut = nSamples - H >= L ? ((nSamples - H - L) / L + 1) * L : 0;
    constexpr long nFFT = 2048, nPerFFT = nFFT - kBlock + 1;
    // A stretch of outputs: whole blocks, and many of them, for the threads' sake.
    constexpr long nStretch = 256 * kBlock;
    std::vector<short> x;
    std::vector<double> y;
    if (!allocate(x, size_t(nStretch + L), BufferSamples, out) ||
        !allocate(y, size_t(nPhases * nStretch), BufferResult, out))
        return out;
    std::vector<short> s(size_t(nPhases * nStretch));

    CKRealFFT fft(nFFT);
    std::vector<CKFilterSpectrum> spectra;
    for (const std::vector<double>* c : phases)
        spectra.push_back(FilterSpectrum(fft, c->data(), long(c->size())));
    std::vector<CKCorrelationWork> workers(2, CKCorrelationWork(fft));

    // x[i] is stream sample m0 + i: H zeros, then the H primed samples.
    long got = read(x.data() + H, H);
    std::fill(x.begin() + H + std::max(0L, got), x.begin() + L, 0);
    std::fill(x.begin(), x.begin() + H, 0);
    const double scale = 1.0 / (kInterpolatorGain * 32767.0);
    for (long m0 = 0; m0 < nOut; m0 += nStretch) {
        const long n = std::min(nStretch, nOut - m0);
        got = read(x.data() + L, n);
        std::fill(x.begin() + L + std::max(0L, got), x.begin() + L + n, 0);
        for (long j = 0; j < n; ++j)
            y[size_t(nPhases * j)] = x[size_t(j + nCentre)] * scale;
        const long nBlocks = (n + nPerFFT - 1) / nPerFFT;
        InHalves(nBlocks, [&](int half, long b0, long b1) {
            CKCorrelationWork& w = workers[size_t(half)];
            const long nBins = w.fft.Bins();
            for (long b = b0; b < b1; ++b) {
                const long j0 = b * nPerFFT, k = std::min(nPerFFT, n - j0);
                // Past the stretch's last sample the taps see zeros and feed no kept output.
                const long have = std::min(nFFT, n + L - j0);
                std::copy(x.begin() + j0, x.begin() + j0 + have, w.u.begin());
                std::fill(w.u.begin() + have, w.u.end(), 0.0);
                w.fft.Forward(w.u.data(), w.uRe.data(), w.uIm.data());
                for (int ph = 1; ph < nPhases; ++ph) {
                    std::fill(w.aRe.begin(), w.aRe.end(), 0.0);
                    std::fill(w.aIm.begin(), w.aIm.end(), 0.0);
                    AddProduct(nBins, w.uRe.data(), w.uIm.data(), spectra[size_t(ph - 1)], w.aRe.data(),
                               w.aIm.data());
                    w.fft.Inverse(w.aRe.data(), w.aIm.data(), w.v.data());
                    for (long t = 0; t < k; ++t)
                        y[size_t(nPhases * (j0 + t) + ph)] = w.v[size_t(t)];
                }
            }
        });
        for (long k = 0; k < nPhases * n; ++k)
            s[size_t(k)] = ToSample(y[size_t(k)] * 32767.0);
        if (!write(s.data(), nPhases * n))
            return {Outcome::WriteFailed, 0};
        // The last L stream samples begin the next stretch.
        std::copy(x.begin() + n, x.begin() + n + L, x.begin());
        if (progress)
            progress(std::min(H + m0 + n, nSamples), nSamples);
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
    // Tap j = qM + r of output k falls on input kM − H + qM + r: phase r of
    // the input (every M-th sample from r − H) under phase r of the filter
    // (taps r, r + M, …), at the output rate. The phases' correlations are
    // summed in the frequency domain, so one inverse transform gives a block.
    const long Q = (L + M - 1) / M;
    // At least twice the phase's length; longer is cheaper per output, but
    // the M spectra must stay a few tens of megabytes for the largest M.
    long nFFT = 1024;
    while (nFFT < 2 * Q || (nFFT < 4 * Q && M <= 64))
        nFFT *= 2;
    const long nPerFFT = nFFT - Q + 1;
    const long nOut = (nSamples + M - 1) / M;
    // A stretch: a few blocks for each thread, read at once.
    const long nBlocks = 2 * std::max(1L, 65536 / (nPerFFT * M));
    const long nStretch = nBlocks * nPerFFT;
    const long nRead = ((nStretch - nPerFFT) + nFFT) * M;
    std::vector<short> x;
    if (!allocate(x, size_t(nRead), BufferDecimatorSamples, out))
        return out;
    // The phase that holds the centre tap has no other: its taps lie at
    // multiples of M from the centre, where the sinc vanishes (to about
    // 1e-16 of the centre in doubles; the smallest true tap, at the
    // filter's ends, is above 1e-10). That phase is one product per output
    // instead of a transform.
    double cMax = 0;
    for (double v : c)
        cMax = std::max(cMax, std::fabs(v));
    struct SingleTap {
        long r, q;
        double c;
    };
    std::vector<SingleTap> single;
    std::vector<long> dense;
    std::vector<CKFilterSpectrum> spectra;
    CKRealFFT fft(nFFT);
    try {
        std::vector<double> phase(static_cast<size_t>(Q));
        for (long r = 0; r < M; ++r) {
            std::fill(phase.begin(), phase.end(), 0.0);
            long nTaps = 0, qTap = 0;
            for (long q = 0; q * M + r < L; ++q) {
                phase[size_t(q)] = c[size_t(q * M + r)];
                if (std::fabs(phase[size_t(q)]) > 1e-12 * cMax) {
                    ++nTaps;
                    qTap = q;
                }
            }
            if (nTaps == 1) {
                single.push_back({r, qTap, phase[size_t(qTap)]});
                continue;
            }
            dense.push_back(r);
            spectra.push_back(FilterSpectrum(fft, phase.data(), Q));
        }
    } catch (const std::bad_alloc&) {
        return {Outcome::NoMemory, BufferDecimatorCoefficients};
    }
    std::vector<CKCorrelationWork> workers(2, CKCorrelationWork(fft));
    std::vector<short> block(static_cast<size_t>(nStretch));
    for (long k0 = 0; k0 < nOut; k0 += nStretch) {
        const long n = std::min(nStretch, nOut - k0);
        // Block b's transform covers inputs from (k0 + b·nPerFFT)·M − H on.
        const long nBlocksHere = (n + nPerFFT - 1) / nPerFFT;
        const long len = ((nBlocksHere - 1) * nPerFFT + nFFT) * M;
        if (!read(x.data(), k0 * M - H, len))
            break;
        InHalves(nBlocksHere, [&](int half, long b0, long b1) {
            CKCorrelationWork& w = workers[size_t(half)];
            const long nBins = w.fft.Bins();
            for (long b = b0; b < b1; ++b) {
                const long j0 = b * nPerFFT, k = std::min(nPerFFT, n - j0);
                const short* xb = x.data() + j0 * M;
                std::fill(w.aRe.begin(), w.aRe.end(), 0.0);
                std::fill(w.aIm.begin(), w.aIm.end(), 0.0);
                for (size_t d = 0; d < dense.size(); ++d) {
                    const long r = dense[d];
                    w.fft.Forward(xb + r, M, w.uRe.data(), w.uIm.data());
                    AddProduct(nBins, w.uRe.data(), w.uIm.data(), spectra[d], w.aRe.data(), w.aIm.data());
                }
                w.fft.Inverse(w.aRe.data(), w.aIm.data(), w.v.data());
                for (const SingleTap& p : single)
                    for (long t = 0; t < k; ++t)
                        w.v[size_t(t)] += p.c * xb[(t + p.q) * M + p.r];
                for (long t = 0; t < k; ++t)
                    block[size_t(j0 + t)] = ToSample(w.v[size_t(t)]);
            }
        });
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
