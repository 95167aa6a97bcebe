#include <numbers>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "framework/base/ScriptedUserInteraction.h"
#include "kavrel/core/KSpectrum.h"

namespace {

// A spectrum at a given rate without a file: the rate is all the formulas
// read from the wave.
void SetRate(CKSpectrum& s, unsigned rate)
{
    s.Wave.Format.nSamplesPerSec = rate;
}

// Bins whose power is the given list, marked as a new spectrum.
void SetPowers(CKSpectrum& s, const std::vector<double>& powers, long position)
{
    for (size_t i = 0; i < powers.size(); ++i)
        s.z.pArray[i] = Z{std::sqrt(powers[i]), 0.0};
    s.Wave.nWindowSamplePosition = position;
    s.Fix_z_Property();
}

std::vector<int> Codes(CKSpectrum& s)
{
    const unsigned char* b = s.GetCurveBehaviour();
    return std::vector<int>(b, b + s.GetNFFT() / 2);
}

} // namespace

TEST(KSpectrum, SetNFFTRoundsUpToAPowerOfFourAndArraysOnlyGrow)
{
    CScriptedUserInteraction ui;
    CKSpectrum s;
    EXPECT_EQ(s.GetNFFT(), 0);
    EXPECT_EQ(s.SetNFFT(1000), 1024);
    EXPECT_EQ(s.z.nSize, 512);
    EXPECT_EQ(s.dPhaze_dOmega.nSize, 513);
    EXPECT_EQ(s.SetNFFT(100000), 65536);
    EXPECT_EQ(s.SetNFFT(17), 64);
    EXPECT_EQ(s.GetNFFT(), 64);
    EXPECT_EQ(s.Ampl_dB.nAllocated, 32769);
    EXPECT_EQ(s.SetNFFT(3), 4);
    EXPECT_TRUE(ui.m_messages.empty());
}

TEST(KSpectrum, GaussianAtSixteenKilohertzAndFortyHertz)
{
    CKSpectrum s;
    SetRate(s, 16000);
    s.SetNFFT(1024);
    // sigmaT = 1/(2 pi 40) = 3.979 ms = 63.66 samples; 7 sigmaT = 445.6 samples.
    EXPECT_EQ(s.SetSigmaF(40.0), 1024);
    EXPECT_NEAR(s.GetSigmaT(), 3.9789e-3, 1e-7);
    EXPECT_EQ(s.GetnValidGaussSamples(), 445);
    const double* g = s.GetGauss();
    const double g0 = 40.0 * std::sqrt(2 * std::numbers::pi); // 1 / (sigmaT sqrt(2 pi)) = 100.27
    EXPECT_NEAR(g[0], 100.27, 0.01);
    const double sigmaSamples = 16000.0 / (2 * std::numbers::pi * 40.0);
    EXPECT_NEAR(g[100], g0 * std::exp(-100.0 * 100.0 / (2 * sigmaSamples * sigmaSamples)), 1e-12);
    EXPECT_GT(g[445], 0.0);
    EXPECT_EQ(g[446], 0.0);
    // The whole window sums to about the sample rate.
    double sum = g[0];
    for (int i = 1; i <= 512; ++i)
        sum += 2 * g[i];
    EXPECT_NEAR(sum, 16000.0, 1e-6);

    // Capped at the half length: 2 (128 + 1) = 258 samples still want 1024.
    s.SetNFFT(256);
    EXPECT_EQ(s.SetSigmaT(1.0 / (2 * std::numbers::pi * 40.0)), 1024);
    EXPECT_NEAR(s.GetSigmaF(), 40.0, 1e-12);
    EXPECT_EQ(s.GetnValidGaussSamples(), 128);
    EXPECT_GT(s.GetGauss()[128], 0.0);

    // A window narrower than two samples still advises the shortest transform.
    EXPECT_EQ(s.SetSigmaF(20000.0), 16);
    EXPECT_EQ(s.GetnValidGaussSamples(), 0);
    // A zero SigmaF (an endless window) is cut at the half length.
    s.SetSigmaF(0.0);
    EXPECT_EQ(s.GetnValidGaussSamples(), 128);
}

TEST(KSpectrum, FrequencyConversionsAndZeroLevel)
{
    CKSpectrum s;
    SetRate(s, 16000);
    s.SetNFFT(1024);
    EXPECT_EQ(s.GetFrequencyInSampleFromFrequencyInHertz(1000.0), 64);
    EXPECT_EQ(s.GetFrequencyInSampleFromFrequencyInHertz(1008.0), 65); // 64.51 + 0.5
    EXPECT_DOUBLE_EQ(s.GetFrequencyInHertzFromFrequencyInSample(64), 1000.0);
    EXPECT_NEAR(s.GetZeroSpectrumPowerLevel_in_dB(), 174.39, 0.01);
}

TEST(KSpectrum, CurveBehaviourCodesAndNearestMaxima)
{
    CKSpectrum s;
    SetRate(s, 16000);
    s.SetNFFT(16);

    SetPowers(s, {1, 3, 2, 2, 5, 4, 4, 4}, 1);
    EXPECT_EQ(Codes(s), (std::vector<int>{0, 1, 4, 2, 1, 4, 4, 0}));
    EXPECT_EQ(s.GetNearestFreqSampleWithLocalMaxAmpl(3), 4);
    EXPECT_EQ(s.GetNearestFreqSampleWithLocalMaxAmpl(6), 4);
    EXPECT_EQ(s.GetNearestFreqSampleWithLocalMaxAmpl(0), 1);
    EXPECT_EQ(s.GetNearestFreqSampleWithLocalMaxAmpl(99), 4); // taken as bin 6
    // 4000 Hz is bin 4 at 16 points and 16 kHz.
    EXPECT_EQ(s.GetNearestFreqSampleWithLocalMaxAmpl(4000.0), 4);

    // Minima lean toward their higher side; a plateau leans by what came
    // before it, and one with nothing different before it is undecided.
    SetPowers(s, {2, 2, 2, 1, 4, 3, 1, 2}, 2);
    EXPECT_EQ(Codes(s), (std::vector<int>{0, 0, 4, 2, 1, 4, 4, 0}));
    EXPECT_EQ(s.GetNearestFreqSampleWithLocalMaxAmpl(1), -1);
    SetPowers(s, {2, 2, 2, 1, 4, 4, 4, 3}, 3);
    EXPECT_EQ(Codes(s), (std::vector<int>{0, 0, 4, 2, 2, 2, 4, 0}));
    EXPECT_EQ(s.GetNearestFreqSampleWithLocalMaxAmpl(5), -1);
}

TEST(KSpectrum, DerivedArraysAreComputedOncePerSpectrum)
{
    CKSpectrum s;
    SetRate(s, 16000);
    s.SetNFFT(16);
    s.SetSigmaF(500.0);
    for (int i = 0; i < 8; ++i)
        s.z.pArray[i] = Z{3.0 * i, 4.0 * i};
    s.Wave.nWindowSamplePosition = 10;
    s.Fix_z_Property();

    EXPECT_DOUBLE_EQ(s.GetAmplPower()[2], 100.0);
    EXPECT_DOUBLE_EQ(s.GetAmplLine()[2], 10.0);
    EXPECT_DOUBLE_EQ(s.GetAmpl_dB()[2], 20.0);
    EXPECT_TRUE(std::isinf(s.GetAmpl_dB()[0]));
    double dB[8];
    float dBf[8];
    s.CalculateAmpl_dB_(dB);
    s.CalculateAmpl_dB_(dBf);
    EXPECT_DOUBLE_EQ(dB[0], -1000.0);
    EXPECT_FLOAT_EQ(dBf[7], float(10 * std::log10(35.0 * 35.0)));

    // Until the next transform the arrays stand as computed: asked again,
    // they are not recomputed from z.
    s.z.pArray[2] = Z{0.0, 1.0};
    EXPECT_DOUBLE_EQ(s.GetAmpl_dB()[2], 20.0);
    s.CalculateAmpl_dB_(dB);
    EXPECT_DOUBLE_EQ(dB[2], 0.0);
    // A new transform at the same position, SigmaF and NFFT (another
    // channel, new float samples) is a new spectrum all the same.
    s.Fix_z_Property();
    EXPECT_DOUBLE_EQ(s.GetAmpl_dB()[2], 0.0);
    EXPECT_DOUBLE_EQ(s.GetAmplLine()[2], 1.0);
    EXPECT_DOUBLE_EQ(s.GetAmplPower()[2], 1.0);
    EXPECT_EQ(s.GetCurveBehaviour()[2], s.GetCurveBehaviour()[2]);
    // So is one of another position.
    s.z.pArray[2] = Z{0.0, 2.0};
    s.Wave.nWindowSamplePosition = 11;
    s.Fix_z_Property();
    EXPECT_DOUBLE_EQ(s.GetAmplLine()[2], 2.0);
}

// An impulse D samples after the window centre has the spectrum
// A e^(-2 pi i k D / N): a constant phase step -2 pi D / N per bin, that is
// dPhase/dOmega = -D / Fs seconds.
TEST(KSpectrum, PhaseDerivativeOfAShiftedImpulse)
{
    CKSpectrum s;
    SetRate(s, 16000);
    s.SetNFFT(64);
    const int D = 3;
    for (int k = 0; k < 32; ++k)
        s.z.pArray[k] = Z{5.0 * std::cos(2 * std::numbers::pi * k * D / 64), -5.0 * std::sin(2 * std::numbers::pi * k * D / 64)};
    s.Fix_z_Property();
    double d[32];
    float f[32];
    s.Calculate_dPhaze_dOmega(d);
    s.Calculate_dPhaze_dOmega(f);
    const double* cached = s.Get_dPhaze_dOmega();
    EXPECT_EQ(d[0], 0.0);
    EXPECT_EQ(cached[0], 0.0);
    for (int k = 1; k < 32; ++k) {
        EXPECT_NEAR(d[k], -D / 16000.0, 1e-15) << k;
        EXPECT_NEAR(f[k], -D / 16000.0, 1e-9) << k;
        EXPECT_DOUBLE_EQ(cached[k], d[k]) << k;
    }
}
