#include <numbers>
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "framework/base/ScriptedUserInteraction.h"
#include "kavrel/core/KFFT.h"
#include "kavrel/core/KSpectrum.h"
#include "testsupport/WavBytes.h"

namespace {

using CL = std::complex<long double>;
const long double kPi = std::numbers::pi_v<long double>;

std::string WriteMonoWav(const char* name, int rate, const std::vector<short>& samples)
{
    return wavbytes::writeFile(name, wavbytes::pcm16s(1, std::uint32_t(rate), samples));
}

void Open(CKSpectrum& s, const std::string& path, int nFFT, double sigmaF, long position)
{
    ASSERT_TRUE(s.Wave.OpenKWaveFile(path.c_str(), "test"));
    s.SetNFFT(nFFT);
    s.SetSigmaF(sigmaF);
    s.Wave.PositKWaveWindowOnSample(position);
}

// Largest |a - b| over the first n bins, relative to the largest |b|.
double RelativeError(const Z* a, const Z* b, int n)
{
    double err = 0, mag = 0;
    for (int i = 0; i < n; ++i) {
        err = std::max(err, std::hypot(a[i].re - b[i].re, a[i].im - b[i].im));
        mag = std::max(mag, std::hypot(b[i].re, b[i].im));
    }
    return err / mag;
}

using Transform = void (CKFFT::*)(int);
const Transform kBothTransforms[] = {&CKFFT::fft, &CKFFT::fft_literal};

} // namespace

TEST(KFFT, SixteenPointTransformsOfImpulseConstantAndOneCycle)
{
    CKFFT fft;
    for (Transform transform : kBothTransforms) {
        Z* z = fft.GetZ();
        for (int n = 0; n < 16; ++n)
            z[n] = Z{n == 0 ? 1.0 : 0.0, 0.0};
        (fft.*transform)(16);
        for (int k = 0; k < 16; ++k) {
            EXPECT_NEAR(z[k].re, 1.0, 1e-15) << k;
            EXPECT_NEAR(z[k].im, 0.0, 1e-15) << k;
        }

        for (int n = 0; n < 16; ++n)
            z[n] = Z{1.0, 0.0};
        (fft.*transform)(16);
        for (int k = 0; k < 16; ++k) {
            EXPECT_NEAR(z[k].re, k == 0 ? 16.0 : 0.0, 1e-14) << k;
            EXPECT_NEAR(z[k].im, 0.0, 1e-14) << k;
        }

        for (int n = 0; n < 16; ++n)
            z[n] = Z{std::cos(2 * std::numbers::pi * n / 16), std::sin(2 * std::numbers::pi * n / 16)};
        (fft.*transform)(16);
        for (int k = 0; k < 16; ++k) {
            EXPECT_NEAR(z[k].re, k == 1 ? 16.0 : 0.0, 1e-14) << k;
            EXPECT_NEAR(z[k].im, 0.0, 1e-14) << k;
        }
    }
}

TEST(KFFT, UnsupportedLengthsZeroWithinTheBuffer)
{
    CKFFT fft;
    for (Transform transform : kBothTransforms) {
        Z* z = fft.GetZ();
        for (int n = 0; n < 65536; ++n)
            z[n] = Z{1.0, 2.0};
        (fft.*transform)(32);
        EXPECT_EQ(z[0].re, 0.0);
        EXPECT_EQ(z[31].im, 0.0);
        (fft.*transform)(-16);
        EXPECT_EQ(z[32].im, 2.0);
        // More than the buffer holds clears the buffer, and no further.
        (fft.*transform)(1 << 20);
        EXPECT_EQ(z[65535].re, 0.0);
    }
}

// Against the definition, summed in long double: every bin up to 1024
// points, a spread of bins beyond (the full sums would take minutes).
TEST(KFFT, AgreesWithDirectTransformAtEverySupportedLength)
{
    CKFFT fft;
    std::mt19937 rng(1234);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    for (int N = 16; N <= 65536; N *= 4) {
        std::vector<Z> x(size_t(N), Z{});
        for (Z& v : x)
            v = Z{u(rng), u(rng)};
        std::vector<long double> c(static_cast<size_t>(N)), s(static_cast<size_t>(N));
        for (int k = 0; k < N; ++k) {
            c[size_t(k)] = std::cos(2 * kPi * k / N);
            s[size_t(k)] = std::sin(2 * kPi * k / N);
        }
        std::vector<int> bins;
        for (int k = 0; k < N; ++k)
            if (N <= 1024 || k % 257 == 0 || k < 4 || k > N - 4 || (k > N / 2 - 4 && k < N / 2 + 4))
                bins.push_back(k);
        std::vector<CL> expected;
        long double mag = 0;
        for (int k : bins) {
            long double re = 0, im = 0;
            for (int n = 0; n < N; ++n) {
                const size_t w = size_t((long long)k * n % N);
                re += x[size_t(n)].re * c[w] + x[size_t(n)].im * s[w];
                im += x[size_t(n)].im * c[w] - x[size_t(n)].re * s[w];
            }
            expected.push_back(CL(re, im));
            mag = std::max(mag, std::abs(expected.back()));
        }

        for (Transform transform : kBothTransforms) {
            std::copy(x.begin(), x.end(), fft.GetZ());
            (fft.*transform)(N);
            const Z* X = fft.GetZ();
            long double err = 0;
            for (size_t i = 0; i < bins.size(); ++i)
                err = std::max(err, std::abs(expected[i] - CL(X[bins[i]].re, X[bins[i]].im)));
            EXPECT_LT(double(err / mag), 1e-14) << "N = " << N << (transform == &CKFFT::fft ? " fft" : " literal");
        }
    }
}

TEST(KFFT, InstancesShareTheBuffersAndTheLastOneFreesThem)
{
    const int before = CKFFT::KFFT_N_Constructors_Destructors;
    auto* first = new CKFFT;
    auto* second = new CKFFT;
    EXPECT_EQ(CKFFT::KFFT_N_Constructors_Destructors, before + 2);
    delete first;
    ASSERT_NE(CKFFT::KFFT_z, nullptr);
    ASSERT_NE(CKFFT::KFFT_cosinus, nullptr);
    EXPECT_DOUBLE_EQ(CKFFT::KFFT_cosinus[8192], std::sqrt(0.5));
    EXPECT_EQ(CKFFT::KFFT_MC21, -CKFFT::KFFT_C21);
    Z* z = second->GetZ();
    for (int n = 0; n < 64; ++n)
        z[n] = Z{1.0, 0.0};
    second->fft(64);
    EXPECT_NEAR(z[0].re, 64.0, 1e-12);
    delete second;
    EXPECT_EQ(CKFFT::KFFT_N_Constructors_Destructors, before);
    if (before == 0) {
        EXPECT_EQ(CKFFT::KFFT_z, nullptr);
        EXPECT_EQ(CKFFT::KFFT_cosinus, nullptr);
    }
}

class KFFTWeighting : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::mt19937 rng(77);
        std::uniform_int_distribution<int> u(-20000, 20000);
        std::vector<short> noise(8192);
        for (short& v : noise)
            v = short(u(rng));
        sNoise = WriteMonoWav("kfft_noise.wav", 16000, noise);
    }
    CScriptedUserInteraction ui;
    CKFFT fft;
    std::string sNoise;
};

TEST_F(KFFTWeighting, SineOfFullScalePeaksAtItsBinWithAmplitudeTimesRate)
{
    std::vector<short> sine(4096);
    for (size_t n = 0; n < sine.size(); ++n)
        sine[n] = short(std::lround(32767 * std::sin(2 * std::numbers::pi * 1000.0 * double(n) / 16000.0)));
    CKSpectrum s;
    Open(s, WriteMonoWav("kfft_sine.wav", 16000, sine), 1024, 40.0, 2000);
    fft.CalculateWithWeighting(&s);

    int peak = 0;
    for (int k = 1; k < 512; ++k)
        if (std::hypot(s.z.pArray[k].re, s.z.pArray[k].im) > std::hypot(s.z.pArray[peak].re, s.z.pArray[peak].im))
            peak = k;
    EXPECT_EQ(peak, 64);
    EXPECT_NEAR(std::hypot(s.z.pArray[64].re, s.z.pArray[64].im) / (32767.0 * 16000.0), 1.0, 1e-3);
    // z is now marked as the spectrum of this position, SigmaF and NFFT.
    EXPECT_EQ(s.zProperty.nWindowSamplePosition, 2000);
    EXPECT_EQ(s.zProperty.SigmaF, 40.0);
    EXPECT_EQ(s.zProperty.nFFT, 1024);
}

// One signal: S[m] = 2 sum_d x[h+d] g[|d|] e^(-2 pi i m d / N), d = -h..h-1,
// the window's centre at time 0.
TEST_F(KFFTWeighting, OneSignalIsTwiceTheTransformOfTheCentredWeightedWindow)
{
    CKSpectrum s;
    Open(s, sNoise, 256, 150.0, 3000);
    fft.CalculateWithWeighting(&s);
    const int N = 256, h = 128;
    const short* x = s.Wave.GetKWaveWindow();
    std::vector<Z> expected(h);
    for (int m = 0; m < h; ++m) {
        CL sum = 0;
        for (int d = -h; d < h; ++d)
            sum += (long double)x[h + d] * s.Gauss.pArray[std::abs(d)] * std::polar(1.0L, -2 * kPi * m * d / N);
        expected[size_t(m)] = Z{double(2 * sum.real()), double(2 * sum.imag())};
    }
    EXPECT_LT(RelativeError(s.z.pArray, expected.data(), h), 1e-13);
}

TEST_F(KFFTWeighting, TwoSignalsTogetherEqualEachAlone)
{
    const int N = 1024, h = 512;
    CKSpectrum a, b;
    Open(a, sNoise, N, 40.0, 1500);
    Open(b, sNoise, N, 90.0, 5000);
    fft.CalculateWithWeighting(&a);
    std::vector<Z> aloneA(a.z.pArray, a.z.pArray + h);
    fft.CalculateWithWeighting(&b);
    std::vector<Z> aloneB(b.z.pArray, b.z.pArray + h);
    fft.CalculateWithWeighting(&a, &b);
    EXPECT_LT(RelativeError(a.z.pArray, aloneA.data(), h), 1e-13);
    EXPECT_LT(RelativeError(b.z.pArray, aloneB.data(), h), 1e-13);

    // The float form on the same samples gives the same, and each float
    // signal paired with silence gives what it gives paired with the other.
    std::vector<float> x1(a.Wave.GetKWaveWindow(), a.Wave.GetKWaveWindow() + N);
    std::vector<float> x2(b.Wave.GetKWaveWindow(), b.Wave.GetKWaveWindow() + N);
    std::vector<float> silence(N, 0.0f);
    fft.CalculateWithWeighting(&a, x1.data(), &b, x2.data());
    EXPECT_LT(RelativeError(a.z.pArray, aloneA.data(), h), 1e-13);
    EXPECT_LT(RelativeError(b.z.pArray, aloneB.data(), h), 1e-13);
    fft.CalculateWithWeighting(&a, silence.data(), &b, x2.data());
    EXPECT_LT(RelativeError(b.z.pArray, aloneB.data(), h), 1e-13);
    fft.CalculateWithWeighting(&a, x1.data(), &b, silence.data());
    EXPECT_LT(RelativeError(a.z.pArray, aloneA.data(), h), 1e-13);
}

// The powers alone: the same bits as the pair form's powers, every line
// count (the vector steps and their tails), and the spectra left alone.
TEST_F(KFFTWeighting, PowersAloneAreThePairsPowersToTheBit)
{
    for (int N : {16, 1024}) {
        CKSpectrum a, b;
        Open(a, sNoise, N, 40.0, 1500);
        Open(b, sNoise, N, 90.0, 5000);
        fft.CalculateWithWeighting(&a, &b);
        const std::vector<double> pa(a.GetAmplPower(), a.GetAmplPower() + N / 2);
        const std::vector<double> pb(b.GetAmplPower(), b.GetAmplPower() + N / 2);
        // Moved elsewhere and back: the spectra keep their z of 1500 / 5000.
        const KSPECTRUM_PROPERTY before = a.zProperty;
        for (int n : {0, 1, 2, 5, 8, N / 2 - 1, N / 2, N}) {
            std::vector<double> p1(size_t(N) + 1, -1.0), p2(p1);
            ASSERT_TRUE(fft.PowersWithWeighting(&a, &b, p1.data(), p2.data(), n));
            const int lines = std::min(n, N / 2);
            for (int m = 0; m < lines; ++m) {
                ASSERT_EQ(p1[size_t(m)], pa[size_t(m)]) << N << " " << n << " " << m;
                ASSERT_EQ(p2[size_t(m)], pb[size_t(m)]) << N << " " << n << " " << m;
            }
            EXPECT_EQ(p1[size_t(lines)], -1.0) << "a line past the count written";
        }
        EXPECT_EQ(a.zProperty, before);
    }
    CKSpectrum empty, ready;
    Open(ready, sNoise, 64, 300.0, 100);
    std::vector<double> p1(32, -1.0), p2(32, -1.0);
    EXPECT_FALSE(fft.PowersWithWeighting(&ready, &empty, p1.data(), p2.data(), 32));
    EXPECT_EQ(p1[31], 0.0);
}

TEST_F(KFFTWeighting, SpectrumWithoutItsArraysIsLeftAlone)
{
    // Before SetNFFT (and after a failed allocation) there is nothing the
    // transform may write into.
    CKSpectrum fresh, ready;
    Open(ready, sNoise, 64, 300.0, 100);
    const KSPECTRUM_PROPERTY untouched = fresh.zProperty;
    fft.CalculateWithWeighting(&fresh);
    fft.CalculateWithWeighting(&ready, &fresh);
    EXPECT_EQ(fresh.zProperty, untouched);
    // A refused size leaves the array empty, as a failed allocation does.
    EXPECT_FALSE(ready.z.SetSize(1 << 28));
    fft.CalculateWithWeighting(&ready);
    EXPECT_EQ(ready.zProperty, untouched);
}

TEST(KFFT, TransformsOnSeveralThreadsAtOnceAgreeWithOneThread)
{
    // The sonogram export computes on every core: each thread transforms
    // in a buffer of its own, so that two at once give what one gives.
    std::vector<short> x(40000);
    std::mt19937 rng(3);
    std::uniform_int_distribution<int> d(-20000, 20000);
    for (short& v : x)
        v = short(d(rng));
    const std::string path = WriteMonoWav("fft-threads.wav", 16000, x);
    CKFFT fft;
    auto spectra = [&](long first, std::vector<std::vector<Z>>& out) {
        CKSpectrum a, b;
        Open(a, path, 1024, 60, 0);
        Open(b, path, 1024, 60, 0);
        for (long c = 0; c < 200; ++c) {
            a.Wave.PositKWaveWindowOnSample(first + 100 * c);
            b.Wave.PositKWaveWindowOnSample(first + 100 * c + 50);
            fft.CalculateWithWeighting(&a, &b);
            out.emplace_back(a.GetZ(), a.GetZ() + 512);
            out.emplace_back(b.GetZ(), b.GetZ() + 512);
        }
    };
    std::vector<std::vector<Z>> alone0, alone1, both0, both1;
    spectra(1000, alone0);
    spectra(21000, alone1);
    std::thread other([&] { spectra(21000, both1); });
    spectra(1000, both0);
    other.join();
    ASSERT_EQ(both0.size(), alone0.size());
    ASSERT_EQ(both1.size(), alone1.size());
    for (size_t i = 0; i < alone0.size(); ++i)
        for (int k = 0; k < 512; ++k) {
            ASSERT_EQ(both0[i][k].re, alone0[i][k].re) << i << " " << k;
            ASSERT_EQ(both1[i][k].im, alone1[i][k].im) << i << " " << k;
        }
}
