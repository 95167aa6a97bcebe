// The signal edits against samples computed here: kept and deleted
// segments, the Hann crossfade, the raw frames of the side deletion, the
// power levelling of stepped levels, its gain cap, and its failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numbers>

#include "framework/base/FileMapping.h"
#include "framework/base/Mmio.h"
#include "framework/base/ProgressService.h"
#include "framework/base/ScriptedUserInteraction.h"
#include "framework/base/TempFile.h"
#include "kavrel/core/KWave.h"
#include "tembrix/KSignalEdits.h"
#include "tembrix/KWaveOutputSteps.h"
#include "testsupport/ByteFiles.h"
#include "testsupport/Signals.h"
#include "testsupport/WavBytes.h"

using kavrel_test::Bytes;

namespace {

constexpr unsigned kRate = 8000;

// The data chunk of a WAV file we wrote (fmt of 18 bytes at 12).
std::vector<short> DataSamples(const Bytes& b)
{
    std::vector<short> s;
    for (size_t i = 46; i + 1 < b.size(); i += 2)
        s.push_back(short(b[i] | (b[i + 1] << 8)));
    return s;
}

double Hann(long k, long n)
{
    return 0.5 * (1 - std::cos(2 * std::numbers::pi * double(k) / double(n)));
}

struct SignalEditsTest : ::testing::Test {
    ktest::ScratchDir dir;
    CScriptedUserInteraction ui;
    std::string in = dir / "in.wav", out = dir / "out.wav";
    std::vector<int> src;
    CKWave wave;

    void Open(const Bytes& bytes)
    {
        kavrel_test::WriteAll(in, bytes);
        ASSERT_TRUE(wave.OpenKWaveFile(in.c_str(), "in"));
    }
    void OpenMono(const std::vector<int>& samples)
    {
        src = samples;
        Open(wavbytes::pcm16(1, kRate, samples));
    }
    // The source sample, zero outside the file.
    int S(long i) const { return i >= 0 && i < long(src.size()) ? src[size_t(i)] : 0; }
    std::vector<short> Range(long from, long to) const // [from, to)
    {
        std::vector<short> v;
        for (long i = from; i < to; ++i)
            v.push_back(short(S(i)));
        return v;
    }
    KEditOutcome Segment(long w, long s0, long s1, int what, int quality)
    {
        CKWaveOutputSteps steps(out.c_str(), kEditedWriteFailure);
        return KWriteSegmentEdit(wave, w, s0, s1, what, quality, steps);
    }
    std::vector<short> Output() const { return DataSamples(kavrel_test::ReadAll(out)); }
    static std::vector<short> Join(std::vector<short> a, const std::vector<short>& b)
    {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    }
};

} // namespace

TEST_F(SignalEditsTest, RoughKeepRunsToTheEndOfTheBlockHoldingTheLastSample)
{
    OpenMono(ktest::Ramp(1000));
    ASSERT_EQ(Segment(64, 100, 300, 1, 0), KEditOutcome::Written);
    // Blocks start at 100, 164, 228, 292: 256 samples, 55 more than selected.
    EXPECT_EQ(Output(), Range(100, 356));
}

TEST_F(SignalEditsTest, RoughDeleteKeepsWholeBlocksAroundTheSegment)
{
    OpenMono(ktest::Ramp(1000));
    ASSERT_EQ(Segment(64, 100, 300, 0, 0), KEditOutcome::Written);
    // Blocks 0..127, then 300, 364, ... up to the block at 940 (past the end: zeros).
    EXPECT_EQ(Output(), Join(Range(0, 128), Range(300, 1004)));
}

TEST_F(SignalEditsTest, CarefulKeepFadesInFromBeforeTheFileAndOutAfterTheLastBlock)
{
    OpenMono(ktest::Sine(440, 20000, 1000, kRate));
    const long w = 32, s0 = 40, s1 = 100;
    ASSERT_EQ(Segment(w, s0, s1, 1, 1), KEditOutcome::Written);
    std::vector<short> expected;
    for (long k = 0; k < 2 * w; ++k) // from s0 - 2w = -24: zeros before the file
        expected.push_back(short(std::trunc(S(s0 - 2 * w + k) * Hann(k, 4 * w))));
    const auto middle = Range(s0, 104); // blocks at 40 and 72 (the one holding 100)
    expected.insert(expected.end(), middle.begin(), middle.end());
    for (long k = 0; k < 2 * w; ++k)
        expected.push_back(short(std::trunc(S(104 + k) * Hann(2 * w + k, 4 * w))));
    EXPECT_EQ(Output(), expected);
}

TEST_F(SignalEditsTest, CarefulDeleteCrossfadesTheSamplesBeforeTheEndIntoThoseAfterTheBoundary)
{
    OpenMono(ktest::Sine(440, 30000, 1000, kRate));
    const long w = 16, s0 = 100, s1 = 500;
    ASSERT_EQ(Segment(w, s0, s1, 0, 1), KEditOutcome::Written);
    std::vector<short> expected = Range(0, 112); // the first boundary past 100
    for (long k = 0; k < 2 * w; ++k) {
        const double y = S(s1 - 2 * w + k) * Hann(k, 4 * w) + S(112 + k) * Hann(2 * w + k, 4 * w);
        expected.push_back(short(std::trunc(y)));
    }
    expected = Join(expected, Range(s1, 1012)); // blocks from 500 while p <= 1000
    EXPECT_EQ(Output(), expected);
}

TEST_F(SignalEditsTest, SegmentOfAStereoEightBitSourceIsSixteenBitMonoOfTheAnalysedChannel)
{
    std::vector<int> frames; // left 100 + i, right 200 - i, unsigned bytes
    Bytes data;
    for (int i = 0; i < 64; ++i) {
        data.push_back(BYTE(100 + i));
        data.push_back(BYTE(200 - i));
    }
    Open(wavbytes::riff({wavbytes::chunk("fmt ", wavbytes::fmtBody(1, 2, 11025, 8)), wavbytes::chunk("data", data)}));
    ASSERT_EQ(Segment(8, 8, 15, 1, 0), KEditOutcome::Written);
    const Bytes b = kavrel_test::ReadAll(out);
    ASSERT_GE(b.size(), 46u);
    // tag 1, one channel, 11025 Hz, 22050 bytes/s, alignment 2, 16 bits, extra 0.
    EXPECT_EQ(Bytes(b.begin() + 20, b.begin() + 38),
              (Bytes{1, 0, 1, 0, 0x11, 0x2B, 0, 0, 0x22, 0x56, 0, 0, 2, 0, 16, 0, 0, 0}));
    std::vector<short> expected;
    for (int i = 8; i < 16; ++i)
        expected.push_back(short((100 + i - 128) * 256));
    EXPECT_EQ(DataSamples(b), expected);
}

TEST_F(SignalEditsTest, SideDeletionCopiesRawFramesAndNothingAfterTheDataChunk)
{
    std::vector<int> st;
    for (int i = 0; i < 300; ++i) {
        st.push_back(i);
        st.push_back(-i);
    }
    const Bytes samples = wavbytes::samples16(st);
    // Another chunk follows the data: it is no sound and must not be copied.
    Open(wavbytes::riff({wavbytes::chunk("fmt ", wavbytes::fmtBody(1, 2, kRate, 16)), wavbytes::chunk("data", samples),
                         wavbytes::chunk("LIST", Bytes(40, 0x7F))}));
    auto run = [&](long c, int side) {
        CKWaveOutputSteps steps(out.c_str(), kEditedWriteFailure);
        EXPECT_EQ(KWriteSideDeletion(wave, c, side, 64, steps), KEditOutcome::Written);
        return kavrel_test::ReadAll(out);
    };
    auto frames = [&](long a, long b) { return Bytes(samples.begin() + 4 * a, samples.begin() + 4 * b); };

    Bytes b = run(100, 1); // keep the left part: blocks of 64 up to the one holding 100
    EXPECT_EQ(Bytes(b.begin() + 20, b.begin() + 36), wavbytes::fmtBody(1, 2, kRate, 16));
    EXPECT_EQ(Bytes(b.begin() + 46, b.end()), frames(0, 128));
    b = run(100, 0); // keep the right part
    EXPECT_EQ(Bytes(b.begin() + 46, b.end()), frames(100, 300));
    b = run(0, 0); // marker at the start: the whole sound
    EXPECT_EQ(Bytes(b.begin() + 46, b.end()), samples);
    b = run(299, 1); // marker in the last block: the whole sound, no more
    EXPECT_EQ(Bytes(b.begin() + 46, b.end()), samples);
}

TEST(CrossfadeSamples, ProductsTruncateTowardZeroAndHoldTheSixteenBitRange)
{
    EXPECT_EQ(KToSample16(-2.9), -2);
    EXPECT_EQ(KToSample16(2.9), 2);
    EXPECT_EQ(KToSample16(32766.95), 32767);
    EXPECT_EQ(KToSample16(40000), 32767);
    EXPECT_EQ(KToSample16(-32767.95), -32768);
    EXPECT_EQ(KToSample16(-32767.5), -32767);
}

// ---- power levelling ------------------------------------------------------------

namespace {

// Frames from a vector of interleaved samples, zeros past it.
KReadFrames VectorFrames(const std::vector<int>& v, int C)
{
    return [&v, C](long long u, long long n, short* buf) {
        for (long long i = 0; i < n * C; ++i) {
            const long long k = u * C + i;
            buf[i] = k < (long long)v.size() ? short(v[size_t(k)]) : 0;
        }
    };
}

double PeakOf(const std::vector<float>& Y, long long from, long long to)
{
    double p = 0;
    for (long long i = from; i < to; ++i)
        p = std::max(p, double(std::fabs(Y[size_t(i)])));
    return p;
}

} // namespace

TEST(PowerLevelling, StepsOfLevelEachReachTheTargetPeak)
{
    // 200 Hz at 8 kHz: 40 samples a period, so every window of 2h = 320 holds whole periods.
    std::vector<int> s = ktest::Sine(200, 1000, 8000, kRate);
    const std::vector<int> loud = ktest::Sine(200, 12000, 8000, kRate);
    s.insert(s.end(), loud.begin(), loud.end());
    const long long h = KAGCHop(kRate, 50);
    ASSERT_EQ(h, 160);
    std::vector<float> Y(s.size());
    ASSERT_TRUE(KLevelPower(VectorFrames(s, 1), (long long)s.size(), 1, h, 0.5, 1e5, Y.data()));
    // Away from the step, every window covering a sample has the same gain.
    EXPECT_NEAR(PeakOf(Y, 1000, 7000), 0.5, 1e-4);
    EXPECT_NEAR(PeakOf(Y, 9000, 15000), 0.5, 1e-4);
    // The head and the tail get the full window sum too.
    EXPECT_NEAR(PeakOf(Y, 0, 160), 0.5, 1e-3);
    EXPECT_NEAR(PeakOf(Y, 16000 - 160, 16000), 0.5, 1e-3);
}

TEST(PowerLevelling, GainOfAWindowStopsAtItsLimitAndSilenceGetsNone)
{
    EXPECT_DOUBLE_EQ(KAGCGain(0.5, 0.25, 1e9), 0.5);
    EXPECT_DOUBLE_EQ(KAGCGain(0.01, 1.0, 10.0), 10.0);
    EXPECT_DOUBLE_EQ(KAGCGain(0.0, 1.0, 10.0), 0.0);

    const std::vector<int> quiet = ktest::Sine(200, 100, 4000, kRate);
    std::vector<float> Y(quiet.size());
    ASSERT_TRUE(KLevelPower(VectorFrames(quiet, 1), 4000, 1, 160, 1.0, std::pow(10.0, 20.0 / 20), Y.data()));
    EXPECT_NEAR(PeakOf(Y, 500, 3500), 1000 / 32767.0, 1e-6); // 100 raised by 20 dB

    const std::vector<int> flat(4000, 500); // all equal: nothing but its mean
    std::fill(Y.begin(), Y.end(), 0.f);
    ASSERT_TRUE(KLevelPower(VectorFrames(flat, 1), 4000, 1, 160, 1.0, 1e3, Y.data()));
    EXPECT_EQ(PeakOf(Y, 0, 4000), 0.0);
}

TEST(PowerLevelling, FileShorterThanTheHopIsLevelledByTheTailAndHeadAlone)
{
    // Two channels of 50 frames under a hop of 160: the head window stays inside the file.
    std::vector<int> s;
    for (int i = 0; i < 50; ++i) {
        s.push_back(i % 2 ? 300 : -300);
        s.push_back(i % 2 ? -3000 : 3000);
    }
    std::vector<float> Y(s.size() + 8, 7.f); // a guard zone after the result
    std::fill(Y.begin(), Y.begin() + 100, 0.f);
    ASSERT_TRUE(KLevelPower(VectorFrames(s, 2), 50, 2, 160, 0.5, 1e5, Y.data()));
    // One window: the rising and falling halves add to 1, the louder channel sets the gain.
    for (size_t i = 0; i < 100; ++i)
        EXPECT_NEAR(Y[i], s[i] * 0.5 / 3000, 1e-6) << i;
    for (size_t i = 100; i < Y.size(); ++i)
        EXPECT_EQ(Y[i], 7.f);
}

TEST_F(SignalEditsTest, LevellingKeepsTheStereoRecordAndRemovesItsDraft)
{
    std::vector<int> st;
    const std::vector<int> l = ktest::Sine(200, 2000, 4000, kRate), r = ktest::Sine(400, 500, 4000, kRate);
    for (size_t i = 0; i < l.size(); ++i) {
        st.push_back(l[i]);
        st.push_back(r[i]);
    }
    Open(wavbytes::pcm16(2, kRate, st));
    const auto drafts = [] {
        int n = 0;
        for (const auto& e : std::filesystem::directory_iterator(KGetTempPath().GetString()))
            n += e.path().filename().string().rfind("TBX", 0) == 0;
        return n;
    };
    const int before = drafts();
    KAGCSettings settings;
    settings.nNewMaxAmplitude = 16384;
    settings.dAGCFrameRate = 50;
    settings.dMaxFrameGain_dB = 60;
    CKWaveOutputSteps steps(out.c_str(), "w");
    ASSERT_EQ(KWriteLevelledPower(wave, settings, steps), KEditOutcome::Written);
    EXPECT_EQ(drafts(), before);
    const Bytes b = kavrel_test::ReadAll(out);
    EXPECT_EQ(Bytes(b.begin() + 20, b.begin() + 36), wavbytes::fmtBody(1, 2, kRate, 16));
    const std::vector<short> y = DataSamples(b);
    ASSERT_EQ(y.size(), st.size());
    // The louder left channel sets each window's gain: its peak becomes 16384 (within truncation).
    int peak = 0;
    for (size_t i = 1000; i < 7000; i += 2)
        peak = std::max(peak, std::abs(int(y[i])));
    EXPECT_NEAR(peak, 16384, 2);
    EXPECT_TRUE(ui.m_messages.empty());
}

TEST_F(SignalEditsTest, LevellingFailuresShowTheirMessageAndLeaveNoOutput)
{
    OpenMono(ktest::Sine(200, 2000, 2000, kRate));
    KAGCSettings settings;
    auto run = [&] {
        ui.m_messages.clear();
        CKWaveOutputSteps steps(out.c_str(), "w");
        EXPECT_NE(KWriteLevelledPower(wave, settings, steps), KEditOutcome::Written);
        EXPECT_FALSE(std::filesystem::exists(out));
        return ui.m_messages.empty() ? std::string() : std::string(ui.m_messages[0].sText.GetString());
    };
    KFailNextCreateFileMapping();
    EXPECT_EQ(run(), "Не удалось нормально создать временный файл.\nПроцесс прерван.\n\nCould not create file mapping object.");
    KFailNextMapViewOfFile();
    EXPECT_EQ(run(), "Не удалось нормально открыть для обзора временный файл.\nПроцесс прерван.\n\nCould not map view of file.");
    settings.dAGCFrameRate = 3 * kRate; // a hop of no frames
    EXPECT_NE(run().find("Частота кадров АРУ"), std::string::npos);
    settings.dAGCFrameRate = 7;
    KFailMmioCall(KMmioCall::Write, MMIOERR_CANNOTWRITE, 1);
    EXPECT_EQ(run(), "w");
    KClearMmioFailures();
}

TEST_F(SignalEditsTest, LowestFrameRateLevelsAnEightBitFileAsOneWindowInSixteenBits)
{
    Bytes data;
    for (int i = 0; i < 2000; ++i) // 200 Hz, amplitude 50 around 128
        data.push_back(BYTE(128 + std::lround(50 * std::sin(2 * std::numbers::pi * i / 40.0))));
    Open(wavbytes::riff({wavbytes::chunk("fmt ", wavbytes::fmtBody(1, 1, kRate, 8)), wavbytes::chunk("data", data)}));
    CScriptedProgressService progress;
    KAGCSettings settings;
    settings.dAGCFrameRate = 0.0001; // a window of 160 million frames over 2000
    CKWaveOutputSteps steps(out.c_str(), "w");
    ASSERT_EQ(KWriteLevelledPower(wave, settings, steps), KEditOutcome::Written);
    const Bytes b = kavrel_test::ReadAll(out);
    EXPECT_EQ(Bytes(b.begin() + 20, b.begin() + 36), wavbytes::fmtBody(1, 1, kRate, 16));
    const auto y = DataSamples(b);
    ASSERT_EQ(y.size(), 2000u);
    int peak = 0;
    for (short v : y)
        peak = std::max(peak, std::abs(int(v)));
    EXPECT_NEAR(peak, 32767, 2);
    EXPECT_GE(progress.m_nOpened, 1);
    EXPECT_EQ(progress.m_nClosed, progress.m_nOpened);
}
