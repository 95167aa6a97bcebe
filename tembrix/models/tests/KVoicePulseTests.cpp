#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

#include "framework/base/ScriptedUserInteraction.h"
#include "tembrix/models/KVoicePulse.h"
#include "testsupport/ByteFiles.h"
#include "testsupport/TempFiles.h"
#include "testsupport/WavBytes.h"

namespace {

const double pi = std::numbers::pi;

// The levels at which the noise and the chest resonance vanish even after
// scaling to the peak.
KVOICE_MODEL_PARAMS Quiet()
{
    KVOICE_MODEL_PARAMS R;
    R.Noise_dB = -1000;
    R.ChestA_dB = -1000;
    return R;
}

} // namespace

TEST(VoicePulse, DefaultPeriodFollowsThePiecewiseShape)
{
    CKVoicePulse m;
    // 176400 / 100 = 1764 samples; phase ends 529.7, 1058.9, 1235.3 rounded down after +0.5.
    ASSERT_EQ(m.c, 1764);
    EXPECT_EQ(m.i1, 529);
    EXPECT_EQ(m.i2, 1058);
    EXPECT_EQ(m.i3, 1235);
    EXPECT_DOUBLE_EQ(m.Params.OpeningExponent, 1.2);
    const double* P = m.Pulse.pArray;
    EXPECT_DOUBLE_EQ(P[0], 0.0);
    // Opening: 0.04·sin(π·200/1058)^1.2.
    EXPECT_NEAR(P[200], 0.04 * std::pow(std::sin(pi * 200 / 1058), 1.2), 1e-15);
    // The opening peak, then the closure at −A2, then the quadratic return.
    EXPECT_DOUBLE_EQ(P[529], 0.04);
    EXPECT_NEAR(P[800], 0.14 * std::cos(pi * 271 / 1058) - 0.1, 1e-15);
    EXPECT_DOUBLE_EQ(P[1058], -0.1);
    EXPECT_NEAR(P[1200], -0.1 * (35.0 / 177) * (35.0 / 177), 1e-15);
    EXPECT_EQ(P[1235], 0.0);
    EXPECT_EQ(P[1763], 0.0);
    EXPECT_DOUBLE_EQ(*std::max_element(P, P + 1764), 0.04);
    EXPECT_DOUBLE_EQ(*std::min_element(P, P + 1764), -0.1);
}

TEST(VoicePulse, FlowIsTheRunningMeanUpToTheReturnsEnd)
{
    CKVoicePulse m;
    const double* P = m.Pulse.pArray;
    double sum = 0;
    for (int j = 1; j < m.i3; ++j) {
        sum += P[j];
        ASSERT_NEAR(m.Flow.pArray[j], sum / j, 1e-15) << j;
    }
    for (int j = m.i3; j < m.c; ++j)
        ASSERT_EQ(m.Flow.pArray[j], 0.0) << j;
    EXPECT_EQ(m.GetResidual(), 0.0);

    // With the return ending at the period's end the residual is the mean
    // over the whole period but its first sample.
    KVOICE_MODEL_PARAMS R;
    R.T3 = 1;
    ASSERT_TRUE(m.BuildPulse(R));
    double all = 0;
    for (int j = 1; j < m.c; ++j)
        all += m.Pulse.pArray[j];
    EXPECT_NEAR(m.GetResidual(), all / (m.c - 1), 1e-15);
}

TEST(VoicePulse, PeriodLengthsAndEmptyPhases)
{
    CKVoicePulse m;
    KVOICE_MODEL_PARAMS R;
    R.F0 = 1000;
    ASSERT_TRUE(m.BuildPulse(R));
    EXPECT_EQ(m.c, 176);
    R.F0 = 1;
    ASSERT_TRUE(m.BuildPulse(R));
    EXPECT_EQ(m.c, 176400);

    // T1 = T2: no closing phase, the return starts at −A2 at once.
    R = KVOICE_MODEL_PARAMS();
    R.T2 = 0.3;
    ASSERT_TRUE(m.BuildPulse(R));
    EXPECT_EQ(m.i1, m.i2);
    EXPECT_DOUBLE_EQ(m.Pulse.pArray[m.i1], -0.1);
    EXPECT_DOUBLE_EQ(m.Pulse.pArray[m.i1 - 1], 0.04 * std::pow(std::sin(pi * 528 / 1058), 1.2));
    // T2 = T3: no return phase.
    R = KVOICE_MODEL_PARAMS();
    R.T3 = 0.6;
    ASSERT_TRUE(m.BuildPulse(R));
    EXPECT_EQ(m.Pulse.pArray[m.i2], 0.0);
    EXPECT_TRUE(std::isfinite(m.Flow.pArray[m.c - 1]));
}

TEST(VoicePulse, InconsistentRecordsLeaveTheModelAsItWas)
{
    CKVoicePulse m;
    KVOICE_MODEL_PARAMS R;
    R.F0 = 1000;
    ASSERT_TRUE(m.BuildPulse(R));
    const double peak = m.Pulse.pArray[m.i1];
    for (auto spoil : {+[](KVOICE_MODEL_PARAMS& r) { r.T1 = 0.7; },  // T1 > T2
                       +[](KVOICE_MODEL_PARAMS& r) { r.T2 = 0.8; },  // T2 > T3
                       +[](KVOICE_MODEL_PARAMS& r) { r.T3 = 1.1; },  // past the period
                       +[](KVOICE_MODEL_PARAMS& r) { r.A1 = -0.01; },
                       +[](KVOICE_MODEL_PARAMS& r) { r.A2 = -0.01; },
                       +[](KVOICE_MODEL_PARAMS& r) { r.F0 = 0; }}) {
        KVOICE_MODEL_PARAMS bad;
        spoil(bad);
        EXPECT_FALSE(m.BuildPulse(bad));
        EXPECT_EQ(m.c, 176);
        EXPECT_EQ(m.Params.F0, 1000);
        EXPECT_EQ(m.Pulse.pArray[m.i1], peak);
    }
}

TEST(VoicePulse, JitterStaysWithinTheDeviationsAndUsesThemAll)
{
    KVOICE_MODEL_PARAMS R;
    R.dF0 = 0.2;
    R.dT1 = 0.1;
    R.dA2 = 0.5;
    double lo = 1e9, hi = -1e9;
    for (int k = 0; k < 2000; ++k) {
        const KVOICE_MODEL_PARAMS p = DrawJitteredParams(R);
        ASSERT_GE(p.F0, 80.0);
        ASSERT_LE(p.F0, 120.0);
        ASSERT_GE(p.T1, 0.27 - 1e-12);
        ASSERT_LE(p.T1, 0.33 + 1e-12);
        ASSERT_GE(p.A2, 0.05 - 1e-12);
        ASSERT_LE(p.A2, 0.15 + 1e-12);
        // No deviation, no change.
        ASSERT_EQ(p.T2, 0.6);
        ASSERT_EQ(p.A1, 0.04);
        lo = std::min(lo, p.F0);
        hi = std::max(hi, p.F0);
    }
    EXPECT_LT(lo, 81.0);
    EXPECT_GT(hi, 119.0);
}

TEST(VoiceSignal, WithoutJitterTheSignalIsStrictlyPeriodic)
{
    CScriptedUserInteraction ui;
    CKVoicePulse m;
    const KVOICE_MODEL_PARAMS R = Quiet();
    ASSERT_TRUE(m.BuildPulse(R));
    std::vector<short> s;
    std::vector<int> periods;
    ASSERT_TRUE(GenerateVoiceSignal(m, R, s, &periods));
    ASSERT_EQ(s.size(), 1764000u);
    // Periods while t + 3·1764 < 1764000: t = 0 … 996·1764.
    ASSERT_EQ(periods.size(), 997u);
    const size_t end = 997 * 1764;
    for (size_t k = 0; k + 1764 < end; ++k)
        ASSERT_EQ(s[k], s[k + 1764]) << k;
    for (size_t k = end; k < s.size(); ++k)
        ASSERT_EQ(s[k], 0) << k;
    // Scaled to the closure's depth: −A2 becomes −32000, A1 = 0.4·A2 12800.
    EXPECT_EQ(s[1058], -32000);
    EXPECT_EQ(s[529], 12800);
    EXPECT_EQ(*std::min_element(s.begin(), s.end()), -32000);
    EXPECT_TRUE(ui.m_messages.empty());
}

TEST(VoiceSignal, JitteredPeriodsFollowTheDrawnF0)
{
    CScriptedUserInteraction ui;
    CKVoicePulse m;
    KVOICE_MODEL_PARAMS R = Quiet();
    R.dF0 = 0.2;
    std::vector<short> s;
    std::vector<int> periods;
    ASSERT_TRUE(GenerateVoiceSignal(m, R, s, &periods));
    // F0 within 80 … 120 Hz: periods of 1470 … 2205 samples.
    long total = 0;
    for (int c : periods) {
        ASSERT_GE(c, 1470);
        ASSERT_LE(c, 2205);
        total += c;
    }
    EXPECT_GT(*std::max_element(periods.begin(), periods.end()) - *std::min_element(periods.begin(), periods.end()),
              500);
    EXPECT_LT(total, 1764000);
    EXPECT_GE(total + 3 * 2205, 1764000 - 2205);
}

TEST(VoiceSignal, NoiseAndChestResonanceFollowTheFlow)
{
    CScriptedUserInteraction ui;
    // Where the flow is zero (after the return) nothing is added; inside the
    // period the noise makes equal periods differ.
    CKVoicePulse m;
    KVOICE_MODEL_PARAMS R = Quiet();
    R.Noise_dB = 0;
    ASSERT_TRUE(m.BuildPulse(R));
    std::vector<short> s;
    ASSERT_TRUE(GenerateVoiceSignal(m, R, s));
    for (size_t p = 0; p < 990; ++p)
        for (size_t k = 1235; k < 1764; ++k)
            ASSERT_EQ(s[p * 1764 + k], 0) << p << " " << k;
    int differ = 0;
    for (size_t k = 1; k < 1235; ++k)
        differ += s[k] != s[k + 1764];
    EXPECT_GT(differ, 1000);
}

TEST(VoiceSignal, MeansThatContradictEachOtherEndTheGenerationWithOneMessage)
{
    CScriptedUserInteraction ui;
    CKVoicePulse m;
    KVOICE_MODEL_PARAMS R = Quiet();
    R.T1 = 0.65; // beyond T2, and no deviation to ever bring it back
    std::vector<short> s;
    EXPECT_FALSE(GenerateVoiceSignal(m, R, s));
    ASSERT_EQ(ui.m_messages.size(), 1u);
    EXPECT_EQ(ui.m_messages[0].sText,
              CString("В процессе генерации сигнала встретились противоречивые входные параметры модели."));

    // A jitter that only sometimes crosses T2 tells once and goes on.
    ui.m_messages.clear();
    R = Quiet();
    R.T1 = 0.59;
    R.dT1 = 0.1;
    ASSERT_TRUE(m.BuildPulse(R));
    std::vector<int> periods;
    EXPECT_TRUE(GenerateVoiceSignal(m, R, s, &periods));
    EXPECT_EQ(ui.m_messages.size(), 1u);
    EXPECT_EQ(periods.size(), 997u);
}

TEST(VoiceSignal, ASilentModelStaysSilent)
{
    CScriptedUserInteraction ui;
    CKVoicePulse m;
    KVOICE_MODEL_PARAMS R = Quiet();
    R.A1 = 0;
    R.A2 = 0;
    ASSERT_TRUE(m.BuildPulse(R));
    std::vector<short> s;
    ASSERT_TRUE(GenerateVoiceSignal(m, R, s));
    EXPECT_EQ(std::count(s.begin(), s.end(), 0), 1764000);
}

TEST(VoiceSignalFile, HeaderWithTheEighteenByteFormatRecord)
{
    CScriptedUserInteraction ui;
    ktest::ScratchDir dir;
    std::vector<short> s(1764000);
    for (size_t k = 0; k < s.size(); ++k)
        s[k] = short(int(k % 65536) - 32768);
    const std::string path = dir / "v.wav";
    ASSERT_TRUE(WriteVoiceSignalFile(path.c_str(), s));
    const kavrel_test::Bytes got = kavrel_test::ReadAll(path);
    ASSERT_EQ(got.size(), 3528046u);
    // RIFF, WAVE, "fmt " of 18 bytes (PCM, mono, 176400 Hz, 352800 B/s, 2, 16 bits, no extra), data.
    wavbytes::Bytes fmt = wavbytes::fmtBody(1, 1, 176400, 16);
    wavbytes::put16(fmt, 0);
    const wavbytes::Bytes expected = wavbytes::riff({wavbytes::chunk("fmt ", fmt), wavbytes::chunk("data", wavbytes::samples16(std::vector<int>(s.begin(), s.end())))});
    EXPECT_TRUE(std::equal(got.begin(), got.end(), expected.begin(), expected.end()));
    EXPECT_TRUE(ui.m_messages.empty());

    EXPECT_FALSE(WriteVoiceSignalFile((dir / "no/such/folder.wav").c_str(), s));
    ASSERT_EQ(ui.m_messages.size(), 1u);
    EXPECT_EQ(ui.m_messages[0].sText, CString("Не удается открыть файл с генерируемым сигналом"));
}
