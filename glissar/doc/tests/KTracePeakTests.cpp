// The peak estimate of one maximum against spectra computed here directly
// (a Gaussian-windowed DFT written out from its definition) of tones and
// linear chirps whose parameters are known.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdio>
#include <numbers>
#include <vector>

#include "glissar/doc/KTracePeak.h"

namespace {

constexpr double kFs = 16000;
constexpr int kN = 1024;
constexpr int kB = kN / 2;
// The film's optimum at NFFT 1024: σT of one step of 102 samples.
const double kSigmaF = kFs / (2 * std::numbers::pi * 102);

struct Spectrum {
    std::vector<std::complex<double>> z;
    std::vector<double> dB;
};

// a·cos(ω0·n + D·n² + φ0) around the centre n = 0, weighted by the film's
// Gaussian and transformed bin by bin; stored doubled, as the film stores it.
Spectrum chirpSpectrum(double a, double f0, double ratePerSecond, double phi0)
{
    const double pi = std::numbers::pi;
    const double sigmaT = 1 / (2 * pi * kSigmaF);
    const int nValid = std::min(int(7 * sigmaT * kFs), kB);
    std::vector<double> x(kN);
    for (int n = -kB; n < kB; ++n) {
        const int i = std::abs(n);
        const double g = i <= nValid ? std::exp(-double(i) * i / (2 * sigmaT * sigmaT * kFs * kFs)) / (sigmaT * std::sqrt(2 * pi)) : 0;
        const double t = n / kFs;
        x[size_t(n + kB)] = a * g * std::cos(2 * pi * f0 * t + pi * ratePerSecond * t * t + phi0);
    }
    Spectrum s;
    s.z.resize(kB);
    s.dB.resize(kB);
    for (int k = 0; k < kB; ++k) {
        std::complex<double> acc = 0;
        for (int n = -kB; n < kB; ++n)
            acc += x[size_t(n + kB)] * std::polar(1.0, -2 * pi * k * n / kN);
        s.z[size_t(k)] = 2.0 * acc;
        s.dB[size_t(k)] = 10 * std::log10(std::norm(s.z[size_t(k)]) + 1e-100);
    }
    return s;
}

KTRACE_PEAK estimateAtMaximum(const Spectrum& s, int near)
{
    int k = near;
    while (s.dB[size_t(k + 1)] > s.dB[size_t(k)]) ++k;
    while (s.dB[size_t(k - 1)] > s.dB[size_t(k)]) --k;
    auto Zof = [&](int i) { return Z{s.z[size_t(i)].real(), s.z[size_t(i)].imag()}; };
    return EstimateTracePeak(s.dB[size_t(k - 1)], s.dB[size_t(k)], s.dB[size_t(k + 1)], Zof(k - 1), Zof(k), Zof(k + 1), k,
                             MakeTracePeakConstants(kFs, kN, kSigmaF));
}

TEST(KTracePeak, SteadyToneHasNoChirpAndItsOwnFrequencyLevelAndPhase)
{
    const double df = kFs / kN;
    for (double f : {1000.0, 1003.9, 2207.7}) {
        const Spectrum s = chirpSpectrum(5000, f, 0, 0.7);
        const KTRACE_PEAK p = estimateAtMaximum(s, int(f / df));
        EXPECT_NEAR(p.f, f, 0.02 * df) << f;
        // β of a steady tone is the rounding of its phase curvature: nothing.
        EXPECT_LT(std::fabs(p.beta), 1e-3 * MakeTracePeakConstants(kFs, kN, kSigmaF).W2) << f;
        // A full-scale tone's bin holds amplitude · Fs.
        EXPECT_NEAR(20 * std::log10(p.A / (5000 * kFs)), 0, 0.05) << f;
        EXPECT_NEAR(p.omega, 2 * std::numbers::pi * f / kFs, 1e-5);
        EXPECT_NEAR(std::remainder(p.P - 0.7, 2 * std::numbers::pi), 0, 0.02) << f;
    }
}

TEST(KTracePeak, ChirpRateHasTheRightSignAndGrowsWithTheTrueRate)
{
    double previous = 0;
    for (double rate : {500.0, 1000.0, 2000.0, 4000.0, 8000.0, 16000.0, 32000.0}) {
        const double trueD = std::numbers::pi * rate / (kFs * kFs); // phase π·r·t² = D·n²
        const KTRACE_PEAK up = estimateAtMaximum(chirpSpectrum(5000, 1500, rate, 0.3), int(1500 / (kFs / kN)));
        const KTRACE_PEAK down = estimateAtMaximum(chirpSpectrum(5000, 1500, -rate, 0.3), int(1500 / (kFs / kN)));
        std::printf("rate %6.0f Hz/s: D/true %.4f (rising) %.4f (falling)\n", rate, up.D / trueD, down.D / -trueD);
        EXPECT_GT(up.D, 0) << rate;
        EXPECT_LT(down.D, 0) << rate;
        EXPECT_GT(up.D, previous) << rate;
        previous = up.D;
        EXPECT_NEAR(up.D / trueD, 1, 0.01) << rate;
        EXPECT_NEAR(down.D / -trueD, 1, 0.01) << rate;
    }
}

} // namespace
