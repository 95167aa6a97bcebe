// CKFFT: Gaussian-weighted short-time spectra. An in-place radix-4
// decimation-in-frequency FFT over one work buffer that every instance of
// the process shares, and the loading and unpacking of one or two windowed
// real signals around it. Each thread transforms in a work buffer of its
// own: the one that made the first instance in the shared one, any other
// in its own, made on its first transform and freed when it ends.
#pragma once
#include <atomic>

#include "framework/base/NoCopy.h"
#include "kavrel/core/KArrays.h"

class CKSpectrum;

// Whether n is a power of four from smallest up to 65536, the largest transform.
inline bool KIsTransformSize(long n, long smallest)
{
    for (long size = smallest; size <= 65536; size *= 4) {
        if (n == size)
            return true;
    }
    return false;
}

class CKFFT : private KNoCopy {
public:
    CKFFT();
    virtual ~CKFFT();

    // Forward transform of the first N entries of KFFT_z in place, not
    // scaled: X[k] = sum x[n] e^(-2 pi i kn/N). N is one of 16, 64, 256,
    // 1024, 4096, 16384, 65536; any other positive N zeroes the first N
    // entries (at most the whole buffer), N <= 0 does nothing.
    void fft(int N);
    // The same transform written step by step as it is documented, without
    // any of the speed-ups of fft(). It is the yardstick that fft() is
    // checked and measured against; results agree to rounding.
    void fft_literal(int N);

    // The work buffer, for callers that fill it and call fft themselves.
    // This thread's buffer, made on a thread's first use (null without memory).
    Z* GetZ();

    // One real signal: the window of s's wave, weighted by s's Gaussian.
    void CalculateWithWeighting(CKSpectrum* s);
    // Two real signals in one transform, from the windows of s1 and s2; the
    // NFFT is that of s1.
    void CalculateWithWeighting(CKSpectrum* s1, CKSpectrum* s2);
    // Two real signals given as float samples (NFFT of s1 each, centre at
    // NFFT/2), weighted by the Gaussians of s1 and s2.
    void CalculateWithWeighting(CKSpectrum* s1, float* x1, CKSpectrum* s2, float* x2);
    // The powers of lines 0 .. nLines-1 of the two spectra the pair form
    // would make, the same bits as their GetAmplPower(), into p1 and p2;
    // the spectra themselves are left as they were. For callers that read
    // nothing else and throw the spectra away at once. False (and zeros)
    // where the pair form would compute nothing.
    bool PowersWithWeighting(CKSpectrum* s1, CKSpectrum* s2, double* p1, double* p2, int nLines);

    // Shared by every instance; the first constructed allocates them, the
    // last destroyed frees them.
    static double* KFFT_cosinus;   // 16385 entries: cos(2 pi i / 65536)
    static thread_local Z* KFFT_z; // 65536 entries: the work buffer (this thread's)
    static double KFFT_C21;        // cos(pi/4)
    static double KFFT_MC21;       // -cos(pi/4)
    static int KFFT_N_Constructors_Destructors;
    // Transforms done by fft() since the process started: lets tests and
    // benchmarks count the analysis work instead of timing it.
    static std::atomic<long long> KFFT_nTransforms;
};
