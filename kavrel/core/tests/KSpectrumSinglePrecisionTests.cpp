// The single-precision levels and phase steps, which the sonogram takes for
// every column, against the double-precision formulas on random spectra
// that visit every octant of the phase step and powers from 1e-40 up.
#include <numbers>
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "kavrel/core/KSpectrum.h"

TEST(KSpectrumSinglePrecision, FollowsTheDoubleFormulas)
{
    CKSpectrum s;
    s.Wave.Format.nSamplesPerSec = 44100;
    s.SetNFFT(4096);
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> unit(-1, 1), exponent(-20, 10);
    const int h = 2048;
    for (int i = 0; i < h; ++i) {
        const double m = std::pow(10.0, exponent(rng));
        s.z.pArray[i] = Z{m * unit(rng), m * unit(rng)};
    }
    s.z.pArray[100] = Z{0, 0};   // a silent bin: -1000 dB
    s.z.pArray[200] = Z{-3, 0};  // a step of exactly pi
    s.z.pArray[201] = Z{3, 0};
    s.Fix_z_Property();
    std::vector<double> dB(h), d(h);
    std::vector<float> dBf(h), f(h);
    s.CalculateAmpl_dB_(dB.data());
    s.CalculateAmpl_dB_(dBf.data());
    s.Calculate_dPhaze_dOmega(d.data());
    s.Calculate_dPhaze_dOmega(f.data());
    EXPECT_EQ(dBf[100], -1000.0f);
    const double scale = 4096 / (2 * std::numbers::pi * 44100);
    // The step lands on the cut: -0 above -9, that is -pi, as atan2 has it.
    EXPECT_NEAR(f[201], -scale * std::numbers::pi, 1e-6 * scale);
    for (int i = 0; i < h; ++i) {
        ASSERT_NEAR(dBf[i], dB[i], 1e-5 * std::max(1.0, std::fabs(dB[i]))) << i;
        // Within a millionth of a radian of the double step.
        ASSERT_NEAR(f[i], d[i], 1e-6 * scale) << i;
    }
}
