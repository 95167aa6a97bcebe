// Spectra computed from real files: the cached arrays follow the samples
// actually transformed, and the window under the transform is always NFFT
// wide, whatever order the caller set things up in.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "framework/base/ScriptedUserInteraction.h"
#include "kavrel/core/KFFT.h"
#include "kavrel/core/KSpectrum.h"
#include "testsupport/WavBytes.h"

using namespace wavbytes;

namespace {

// Bin of the largest value among bins 1 .. n-1.
int Peak(const double* v, int n)
{
    return int(std::max_element(v + 1, v + n) - v);
}

} // namespace

// Left 1000 Hz, right 3000 Hz at 16 kHz: with NFFT 1024 the peaks fall on
// bins 64 and 192.
TEST(KSpectrumFromFile, AnotherChannelAtTheSamePositionIsANewSpectrum)
{
    CScriptedUserInteraction ui;
    std::vector<int> x;
    for (int n = 0; n < 4000; ++n) {
        x.push_back(int(std::lround(20000 * std::sin(2 * std::numbers::pi * 1000 * n / 16000.0))));
        x.push_back(int(std::lround(20000 * std::sin(2 * std::numbers::pi * 3000 * n / 16000.0))));
    }
    const std::string path = writeFile("spectrum_two_tones.wav", pcm16(2, 16000, x));
    CKFFT fft;
    CKSpectrum s;
    ASSERT_TRUE(s.Wave.OpenKWaveFile(path.c_str(), "two"));
    s.SetNFFT(1024);
    s.SetSigmaF(40.0);
    s.Wave.PositKWaveWindowOnSample(2000);
    fft.CalculateWithWeighting(&s);
    EXPECT_EQ(Peak(s.GetAmplPower(), 512), 64);
    EXPECT_EQ(Peak(s.GetAmplLine(), 512), 64);
    s.GetCurveBehaviour();
    EXPECT_EQ(s.GetNearestFreqSampleWithLocalMaxAmpl(60), 64);

    s.Wave.nChannel = 1;
    s.Wave.PositKWaveWindowOnSample(2000);
    fft.CalculateWithWeighting(&s);
    EXPECT_EQ(Peak(s.GetAmplPower(), 512), 192);
    EXPECT_EQ(Peak(s.GetAmplLine(), 512), 192);
    EXPECT_EQ(Peak(s.GetAmpl_dB(), 512), 192);
    s.GetCurveBehaviour();
    EXPECT_EQ(s.GetNearestFreqSampleWithLocalMaxAmpl(188), 192);

    // Float samples at the same position: the first channel's tone again.
    std::vector<float> left(1024), right(1024);
    for (int i = 0; i < 1024; ++i) {
        left[size_t(i)] = float(x[size_t(2 * (2000 - 512 + i))]);
        right[size_t(i)] = float(x[size_t(2 * (2000 - 512 + i) + 1)]);
    }
    CKSpectrum other;
    other.Wave.Format.nSamplesPerSec = 16000;
    other.SetNFFT(1024);
    other.SetSigmaF(40.0);
    fft.CalculateWithWeighting(&s, left.data(), &other, right.data());
    EXPECT_EQ(Peak(s.GetAmplPower(), 512), 64);
    EXPECT_EQ(Peak(other.GetAmplPower(), 512), 192);
}

// A full-scale sine on bin 16 of NFFT 256 at 16 kHz peaks at the zero level
// 20 log10(16000 * 32767), whether NFFT was set before or after the file
// was opened.
TEST(KSpectrumFromFile, WindowIsNFFTWideWhateverTheOrderOfSetUp)
{
    CScriptedUserInteraction ui;
    std::vector<int> x;
    for (int n = 0; n < 3000; ++n)
        x.push_back(int(std::lround(32767 * std::sin(2 * std::numbers::pi * 16 * n / 256.0))));
    const std::string path = writeFile("spectrum_bin16.wav", pcm16(1, 16000, x));
    const double zero = 20 * std::log10(16000.0 * 32767.0);
    for (bool nfftFirst : {true, false}) {
        SCOPED_TRACE(nfftFirst ? "NFFT before open" : "NFFT after open");
        CKFFT fft;
        CKSpectrum s;
        if (nfftFirst)
            s.SetNFFT(256);
        ASSERT_TRUE(s.Wave.OpenKWaveFile(path.c_str(), "sine"));
        if (!nfftFirst)
            s.SetNFFT(256);
        s.SetSigmaF(400.0);
        EXPECT_EQ(s.Wave.GetKWaveWindowWidthInSamples(), 256);
        s.Wave.PositKWaveWindowOnSample(1500);
        fft.CalculateWithWeighting(&s);
        EXPECT_NEAR(s.GetAmpl_dB()[16], zero, 0.05);
        EXPECT_EQ(Peak(s.GetAmplPower(), 128), 16);
    }
}
