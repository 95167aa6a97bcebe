// The four numbers that describe one maximum of a cadre's spectrum as a
// Gaussian-windowed linear chirp: amplitude, angular frequency, chirp
// coefficient and phase, from the dB levels and the complex values of the
// maximum's bin and its two neighbours.
#pragma once
#include "kavrel/core/KArrays.h"

struct KTRACE_PEAK_CONSTANTS {
    double Fs = 0;   // sampling rate, Hz
    double W2 = 0;   // (2π·σF)²
    double df = 0;   // Fs / NFFT, Hz
    double r2 = 0;   // (df / σF)²
    double r2ln = 0; // r2 · 20 / ln 10: minus the second difference of a steady tone's dB levels
};

struct KTRACE_PEAK {
    double A = 0;     // linear amplitude, chirp-corrected
    double omega = 0; // radians per sample
    double D = 0;     // radians per sample²
    double P = 0;     // radians at the cadre centre
    double beta = 0;  // chirp rate, rad/s²: the phase grows by beta·t²/2
    double f = 0;     // interpolated frequency, Hz
    double L = 0;     // interpolated level, dB
};

KTRACE_PEAK_CONSTANTS MakeTracePeakConstants(double Fs, int nFFT, double sigmaF);

// a, b, d: dB of bins k−1, k, k+1; zm, z0, zp: their complex values.
KTRACE_PEAK EstimateTracePeak(double a, double b, double d, const Z& zm, const Z& z0, const Z& zp, int k,
                              const KTRACE_PEAK_CONSTANTS& c);

// The analysis pass of the tracer runs the three functions below on every
// cadre; they give what the dB spectrum, the classification of its bins and
// EstimateTracePeak give, without a logarithm per bin.

// Powers |Z|² + 1e-100 of bins [0, B): exactly the values whose logarithms
// make the cadre's dB spectrum, so that they order the bins as it does.
void TracePowers(const Z* z, int B, double* q);

// The status of bins [0, B) as InitiateTraceStatusForCadre gives it from the
// dB levels of q. False, with st undefined, when two compared powers are so
// close that their dB levels might round to one value: then only the dB
// levels themselves can classify the cadre. widestVectorBits below 512 or
// 256 keeps it from the AVX-512 or AVX2 versions (for tests).
bool ClassifyTraceBinsByPower(const double* q, int B, unsigned char* st, int widestVectorBits = 512);

// Estimates of the maxima at bins[0 .. n) of one cadre from its powers q and
// complex values z, stored as the document keeps them: A and D at the bin of
// the maximum of AF and DP, ω and P at the bin below it. They agree with
// EstimateTracePeak on the dB levels of q within 1e-6 relative (A, ω),
// 1e-6 rad (P) and 1e-6 of W2 or of β where that is larger (D); the stored
// floats mostly have the same bits.
void EstimateTracePeaks(const double* q, const Z* z, const int* bins, int n, const KTRACE_PEAK_CONSTANTS& c,
                        float* AF, float* DP);
