// Sums of a filter over a long signal, v[t] = Σ c[i]·u[t + i], worked out
// by the real FFT a block at a time (overlap-save) instead of tap by tap:
// the resamplers' filters have from 160 to thousands of taps, and a tap-by-
// tap sum costs that many multiplications for every output. Everything is
// in doubles, so a value differs from the plain sum by rounding alone.
// Each worker thread has its own CKRealFFT; nothing here is shared.
#pragma once
#include <functional>
#include <vector>

namespace kresample {

class CKRealFFT {
public:
    // n: a power of two, at least 16.
    explicit CKRealFFT(long n);
    long Size() const { return m_n; }
    long Bins() const { return m_n / 2 + 1; }

    // The Bins() bins of the real signal x[0..n), X[k] = Σ x[t]·e^(−2πikt/n).
    void Forward(const double* x, double* re, double* im);
    // The same of the samples x[0], x[stride], … x[(n − 1)·stride].
    void Forward(const short* x, long stride, double* re, double* im);
    // The real signal whose first Bins() bins are given, times n / 2.
    void Inverse(const double* re, const double* im, double* x);

private:
    void transform(double* re, double* im); // complex, n/2 points, in bit-reversed order in
    void split(double* re, double* im);     // the real signal's bins from the half-size transform
    long m_n, m_half;
    std::vector<long> m_rev;                // bit reversal over n/2
    std::vector<double> m_twRe, m_twIm;     // stage of half-size m at [m, 2m)
    std::vector<double> m_splitRe, m_splitIm; // e^(−2πik/n), k = 0..n/2
    std::vector<double> m_re, m_im;         // work
};

// A filter ready for the correlation: the conjugate of its spectrum, over
// n / 2 so that Inverse gives the sums on their own scale.
struct CKFilterSpectrum {
    std::vector<double> re, im;
};
CKFilterSpectrum FilterSpectrum(CKRealFFT& fft, const double* c, long nTaps);

// acc += U·F, bin by bin.
void AddProduct(long nBins, const double* uRe, const double* uIm, const CKFilterSpectrum& f, double* accRe,
                double* accIm);

// Runs work(half, from, to) over [0, n) in two halves, half 0 on a thread
// of its own, when n is at least 2 (and the thread can be had); else as
// half 0 over the whole at once.
void InHalves(long n, const std::function<void(int half, long from, long to)>& work);

// What one thread needs for its blocks: its own transform and buffers.
struct CKCorrelationWork {
    explicit CKCorrelationWork(const CKRealFFT& shape)
        : fft(shape), u(size_t(shape.Size())), v(size_t(shape.Size())), uRe(size_t(shape.Bins())),
          uIm(size_t(shape.Bins())), aRe(size_t(shape.Bins())), aIm(size_t(shape.Bins()))
    {
    }
    CKRealFFT fft;
    std::vector<double> u, v, uRe, uIm, aRe, aIm;
};

} // namespace kresample
