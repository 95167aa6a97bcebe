#include "tembrix/KFastCorrelation.h"

#include <cmath>
#include <numbers>
#include <system_error>
#include <thread>

namespace kresample {

namespace {

// One radix-2 pass of half-size m over the whole buffer: the twiddles of
// the pass lie side by side, so the inner loop runs on vector registers.
// Built also for AVX2, without fused multiply-add.
__attribute__((target_clones("avx512f", "avx2", "default"))) void pass(double* re, double* im, long n, long m,
                                                            const double* wr, const double* wi)
{
    for (long i = 0; i < n; i += 2 * m) {
        double* ar = re + i;
        double* ai = im + i;
        double* br = ar + m;
        double* bi = ai + m;
        for (long k = 0; k < m; ++k) {
            const double tr = br[k] * wr[k] - bi[k] * wi[k];
            const double ti = br[k] * wi[k] + bi[k] * wr[k];
            br[k] = ar[k] - tr;
            bi[k] = ai[k] - ti;
            ar[k] += tr;
            ai[k] += ti;
        }
    }
}

// Two passes, of half-sizes m and 2m, in one sweep over the buffer: the
// same butterflies in the same order, with half the trips through memory.
__attribute__((target_clones("avx512f", "avx2", "default"))) void doublePass(double* re, double* im, long n, long m,
                                                                  const double* w1r, const double* w1i,
                                                                  const double* w2r, const double* w2i)
{
    for (long i = 0; i < n; i += 4 * m) {
        double* r0 = re + i;
        double* i0 = im + i;
        for (long k = 0; k < m; ++k) {
            double ar = r0[k], ai = i0[k], br = r0[k + m], bi = i0[k + m];
            double cr = r0[k + 2 * m], ci = i0[k + 2 * m], dr = r0[k + 3 * m], di = i0[k + 3 * m];
            // half-size m: (a, b) and (c, d) under w1[k]
            double tr = br * w1r[k] - bi * w1i[k], ti = br * w1i[k] + bi * w1r[k];
            br = ar - tr;
            bi = ai - ti;
            ar += tr;
            ai += ti;
            tr = dr * w1r[k] - di * w1i[k];
            ti = dr * w1i[k] + di * w1r[k];
            dr = cr - tr;
            di = ci - ti;
            cr += tr;
            ci += ti;
            // half-size 2m: (a, c) under w2[k], (b, d) under w2[k + m]
            tr = cr * w2r[k] - ci * w2i[k];
            ti = cr * w2i[k] + ci * w2r[k];
            r0[k + 2 * m] = ar - tr;
            i0[k + 2 * m] = ai - ti;
            r0[k] = ar + tr;
            i0[k] = ai + ti;
            tr = dr * w2r[k + m] - di * w2i[k + m];
            ti = dr * w2i[k + m] + di * w2r[k + m];
            r0[k + 3 * m] = br - tr;
            i0[k + 3 * m] = bi - ti;
            r0[k + m] = br + tr;
            i0[k + m] = bi + ti;
        }
    }
}

__attribute__((target_clones("avx512f", "avx2", "default"))) void addProduct(long n, const double* ur, const double* ui,
                                                                  const double* fr, const double* fi, double* ar,
                                                                  double* ai)
{
    for (long k = 0; k < n; ++k) {
        ar[k] += ur[k] * fr[k] - ui[k] * fi[k];
        ai[k] += ur[k] * fi[k] + ui[k] * fr[k];
    }
}

} // namespace

CKRealFFT::CKRealFFT(long n) : m_n(n), m_half(n / 2)
{
    const long N = m_half;
    int bits = 0;
    while ((1L << bits) < N)
        ++bits;
    m_rev.resize(size_t(N));
    for (long t = 0; t < N; ++t) {
        long r = 0;
        for (int b = 0; b < bits; ++b)
            r |= ((t >> b) & 1) << (bits - 1 - b);
        m_rev[size_t(t)] = r;
    }
    m_twRe.resize(size_t(N));
    m_twIm.resize(size_t(N));
    // Each twiddle from its own angle, not by recurrence, so that rounding does not pile up.
    for (long m = 1; m < N; m *= 2)
        for (long k = 0; k < m; ++k) {
            const double a = -std::numbers::pi * double(k) / double(m);
            m_twRe[size_t(m + k)] = std::cos(a);
            m_twIm[size_t(m + k)] = std::sin(a);
        }
    m_splitRe.resize(size_t(N + 1));
    m_splitIm.resize(size_t(N + 1));
    for (long k = 0; k <= N; ++k) {
        const double a = -2 * std::numbers::pi * double(k) / double(n);
        m_splitRe[size_t(k)] = std::cos(a);
        m_splitIm[size_t(k)] = std::sin(a);
    }
    m_re.resize(size_t(N));
    m_im.resize(size_t(N));
}

void CKRealFFT::transform(double* re, double* im)
{
    const long N = m_half;
    // Half-sizes 1 and 2 have trivial twiddles and loops too short for vectors.
    for (long i = 0; i < N; i += 2) {
        const double r = re[i + 1], s = im[i + 1];
        re[i + 1] = re[i] - r;
        im[i + 1] = im[i] - s;
        re[i] += r;
        im[i] += s;
    }
    if (N >= 4)
        for (long i = 0; i < N; i += 4) {
            double r = re[i + 2], s = im[i + 2];
            re[i + 2] = re[i] - r;
            im[i + 2] = im[i] - s;
            re[i] += r;
            im[i] += s;
            // times −i
            r = im[i + 3];
            s = -re[i + 3];
            re[i + 3] = re[i + 1] - r;
            im[i + 3] = im[i + 1] - s;
            re[i + 1] += r;
            im[i + 1] += s;
        }
    long m = 4;
    for (; 2 * m < N; m *= 4)
        doublePass(re, im, N, m, m_twRe.data() + m, m_twIm.data() + m, m_twRe.data() + 2 * m,
                   m_twIm.data() + 2 * m);
    if (m < N)
        pass(re, im, N, m, m_twRe.data() + m, m_twIm.data() + m);
}

void CKRealFFT::Forward(const double* x, double* re, double* im)
{
    const long N = m_half;
    double* zr = m_re.data();
    double* zi = m_im.data();
    // The even samples as the real part and the odd ones as the imaginary
    // part of one transform of half the size.
    for (long t = 0; t < N; ++t) {
        zr[m_rev[size_t(t)]] = x[2 * t];
        zi[m_rev[size_t(t)]] = x[2 * t + 1];
    }
    split(re, im);
}

void CKRealFFT::Forward(const short* x, long stride, double* re, double* im)
{
    const long N = m_half;
    double* zr = m_re.data();
    double* zi = m_im.data();
    for (long t = 0; t < N; ++t) {
        zr[m_rev[size_t(t)]] = x[2 * t * stride];
        zi[m_rev[size_t(t)]] = x[(2 * t + 1) * stride];
    }
    split(re, im);
}

void CKRealFFT::split(double* re, double* im)
{
    const long N = m_half;
    double* zr = m_re.data();
    double* zi = m_im.data();
    transform(zr, zi);
    for (long k = 0; k <= N; ++k) {
        const long a = k == N ? 0 : k, b = k == 0 ? 0 : N - k;
        // E = (Z[k] + conj Z[N−k]) / 2, O = (Z[k] − conj Z[N−k]) / 2i
        const double er = (zr[a] + zr[b]) / 2, ei = (zi[a] - zi[b]) / 2;
        const double or_ = (zi[a] + zi[b]) / 2, oi = -(zr[a] - zr[b]) / 2;
        const double wr = m_splitRe[size_t(k)], wi = m_splitIm[size_t(k)];
        re[k] = er + wr * or_ - wi * oi;
        im[k] = ei + wr * oi + wi * or_;
    }
}

void CKRealFFT::Inverse(const double* re, const double* im, double* x)
{
    const long N = m_half;
    double* zr = m_re.data();
    double* zi = m_im.data();
    for (long k = 0; k < N; ++k) {
        const long b = N - k;
        // E = (X[k] + conj X[N−k]) / 2, O = (X[k] − conj X[N−k]) / (2·w^k); Z = E + iO
        const double er = (re[k] + re[b]) / 2, ei = (im[k] - im[b]) / 2;
        const double dr = (re[k] - re[b]) / 2, di = (im[k] + im[b]) / 2;
        const double wr = m_splitRe[size_t(k)], wi = -m_splitIm[size_t(k)];
        const double or_ = dr * wr - di * wi, oi = dr * wi + di * wr;
        // The inverse as the forward transform with real and imaginary parts swapped.
        zi[m_rev[size_t(k)]] = er - oi;
        zr[m_rev[size_t(k)]] = ei + or_;
    }
    transform(zr, zi);
    for (long t = 0; t < N; ++t) {
        x[2 * t] = zi[t];
        x[2 * t + 1] = zr[t];
    }
}

CKFilterSpectrum FilterSpectrum(CKRealFFT& fft, const double* c, long nTaps)
{
    std::vector<double> padded(size_t(fft.Size()), 0.0);
    std::copy(c, c + nTaps, padded.begin());
    CKFilterSpectrum f;
    f.re.resize(size_t(fft.Bins()));
    f.im.resize(size_t(fft.Bins()));
    fft.Forward(padded.data(), f.re.data(), f.im.data());
    const double scale = 2.0 / double(fft.Size());
    for (size_t k = 0; k < f.re.size(); ++k) {
        f.re[k] *= scale;
        f.im[k] *= -scale;
    }
    return f;
}

void AddProduct(long nBins, const double* uRe, const double* uIm, const CKFilterSpectrum& f, double* accRe,
                double* accIm)
{
    addProduct(nBins, uRe, uIm, f.re.data(), f.im.data(), accRe, accIm);
}

void InHalves(long n, const std::function<void(int, long, long)>& work)
{
    if (n < 2) {
        work(0, 0, n);
        return;
    }
    const long mid = n / 2;
    std::thread first;
    try {
        first = std::thread([&work, mid] { work(0, 0, mid); });
    } catch (const std::system_error&) {
        work(0, 0, n);
        return;
    }
    work(1, mid, n);
    first.join();
}

} // namespace kresample
