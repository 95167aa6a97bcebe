// The stimuli against their formulas, the files, and the level rules.
#include <numbers>
#include <cmath>

#include "framework/base/ScriptedUserInteraction.h"
#include "pelmora/KModulationTest.h"
#include "pelmora/tests/PelmoraTestSupport.h"

using namespace pelmoratest;

namespace {
// The documented formulas, written out again here.
short am(double fc, double m, long i)
{
    double t = double(i) / 48000;
    double e = 32000 * (1 - m * (1 + std::cos(2 * std::numbers::pi * 7 * t)) / 2);
    return short(e * std::cos(2 * std::numbers::pi * fc * t));
}
short fm(double fc, double m, long i)
{
    double t = double(i) / 48000;
    return short(32000 * std::cos(2 * std::numbers::pi * fc * (t + m * std::sin(2 * std::numbers::pi * 7 * t) / (2 * std::numbers::pi * 7))));
}
short nm(double fc, long i)
{
    double t = double(i) / 48000;
    return short(32000 * std::cos(2 * std::numbers::pi * fc * t));
}

// The largest magnitude within half a carrier period either side of sample c.
int peakAround(const std::vector<short>& s, long c, long halfPeriod)
{
    int peak = 0;
    for (long i = std::max(0L, c - halfPeriod); i <= c + halfPeriod && i < long(s.size()); ++i)
        peak = std::max(peak, std::abs(int(s[size_t(i)])));
    return peak;
}

// The mean frequency between the first and the last rising zero crossing
// within [from, to), crossings placed by linear interpolation.
double frequencyBetween(const std::vector<short>& s, long from, long to)
{
    double first = -1, last = -1;
    int periods = -1;
    for (long i = from; i + 1 < to; ++i) {
        if (s[size_t(i)] < 0 && s[size_t(i + 1)] >= 0) {
            double x = i + double(-s[size_t(i)]) / double(s[size_t(i + 1)] - s[size_t(i)]);
            if (first < 0)
                first = x;
            last = x;
            ++periods;
        }
    }
    return periods > 0 ? periods * 48000.0 / (last - first) : 0;
}
} // namespace

TEST(KModulationTest, AmplitudeModulationDipsToHalfSevenTimesASecond)
{
    std::vector<short> s;
    CKModulationTest::MakeStimulus(KMODULATION_AM, 2000, 0.5, s);
    ASSERT_EQ(s.size(), 480000u);
    EXPECT_EQ(s[0], 16000); // the dip at t = 0, on a carrier crest
    // One carrier period is 24 samples; dips at n/7 s, full level half-way between.
    for (int n = 1; n <= 7; ++n) {
        long dip = std::lround(n * 48000.0 / 7);
        long top = std::lround((n - 0.5) * 48000.0 / 7);
        EXPECT_NEAR(peakAround(s, dip, 12), 16000, 3) << n;
        EXPECT_NEAR(peakAround(s, top, 12), 32000, 3) << n;
    }
    EXPECT_NEAR(AMDepthInDecibels(0.5), 6.0206, 5e-5);
}

TEST(KModulationTest, FrequencyModulationSwingsOnePerCent)
{
    std::vector<short> s;
    CKModulationTest::MakeStimulus(KMODULATION_FM, 2000, 0.01, s);
    // Around t = 1 s the modulation is at its crest, around 1 + 1/14 s at its trough.
    EXPECT_NEAR(frequencyBetween(s, 48000 - 96, 48000 + 96), 2020, 1);
    long trough = std::lround((1 + 1.0 / 14) * 48000);
    EXPECT_NEAR(frequencyBetween(s, trough - 96, trough + 96), 1980, 1);
    EXPECT_NEAR(FMSwingInCents(0.01), 34.6, 0.05);
}

TEST(KModulationTest, FilesHoldTheFormulasTruncated)
{
    CScriptedUserInteraction ui;
    struct Case {
        int type;
        int carrier;
        double m;
        const char* name;
    };
    for (Case c : {Case{KMODULATION_AM, 500, 0.1, "./Pelmora_AM_0500.wav"}, Case{KMODULATION_FM, 125, 0.0307, "./Pelmora_FM_0125.wav"},
                   Case{KMODULATION_NONE, 8000, 0.05, "./Pelmora_NM_8000.wav"}}) {
        {
            CKModulationTest t;
            t.SetTest(c.type, c.carrier, c.m, 2);
            EXPECT_EQ(t.sFilePath, c.name);
            ASSERT_TRUE(t.GenerateStimulus());
            Bytes b = readFile(c.name);
            ASSERT_EQ(b.size(), 46u + 960000u);
            EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
            EXPECT_EQ(le32(b, 4), 960038u);
            EXPECT_EQ(le32(b, 16), 18u);
            EXPECT_EQ(le16(b, 20), 1u);
            EXPECT_EQ(le16(b, 22), 1u);
            EXPECT_EQ(le32(b, 24), 48000u);
            EXPECT_EQ(le32(b, 28), 96000u);
            EXPECT_EQ(le16(b, 32), 2u);
            EXPECT_EQ(le16(b, 34), 16u);
            EXPECT_EQ(std::string(b.begin() + 38, b.begin() + 42), "data");
            EXPECT_EQ(le32(b, 42), 960000u);
            std::vector<short> s = samplesAfterHeader(b);
            for (long i = 0; i < 480000; ++i) {
                short want = c.type == KMODULATION_AM ? am(c.carrier, c.m, i)
                             : c.type == KMODULATION_FM ? fm(c.carrier, c.m, i)
                                                        : nm(c.carrier, i);
                ASSERT_EQ(s[size_t(i)], want) << c.name << " sample " << i;
            }
        }
        // The test takes its file with it.
        EXPECT_FALSE(std::filesystem::exists(c.name));
    }
    EXPECT_TRUE(ui.m_messages.empty());
    EXPECT_GT(ui.m_nWaitCursorShown, 0);
}

TEST(KModulationTest, NextLevelRules)
{
    CScriptedUserInteraction ui;
    CKModulationTest t;
    t.SetTest(KMODULATION_AM, 125, 0.1, 2);
    // The bounds known so far and the present level, then the next level
    // (checked to within `within`, or exactly where it is 0).
    struct Step {
        const char* rule;
        double lower, upper, m, next, within;
    };
    const Step steps[] = {
        {"neither bound: the level stays", 0, 1, 0.1, 0.1, 0},
        {"heard, nothing missed yet: divided by the step", 0, 0.1, 0.1, 0.05, 0},
        {"missed, nothing heard yet: multiplied", 0.3, 1, 0.3, 0.6, 0},
        {"missed: never beyond the top", 0.3, 1, 0.6, 0.9999999999999, 0},
        {"both known: the midpoint in dB", 0.02, 0.08, 0.9999999999999, 0.05047, 5e-6},
    };
    for (const Step& step : steps) {
        t.lower = step.lower;
        t.upper = step.upper;
        t.m = step.m;
        ASSERT_TRUE(t.NextLevel()) << step.rule;
        if (step.within == 0)
            EXPECT_DOUBLE_EQ(t.m, step.next) << step.rule;
        else
            EXPECT_NEAR(t.m, step.next, step.within) << step.rule;
    }
    EXPECT_NEAR(AMDepthInDecibels(t.m), (AMDepthInDecibels(0.02) + AMDepthInDecibels(0.08)) / 2, 1e-12);
    EXPECT_NEAR(t.RelativeError(), 0.6, 1e-12);
    EXPECT_NEAR(t.HalfWidth(), 0.27438, 5e-5); // -10 log10(0.92 / 0.98)
    // The stimulus follows the level.
    std::vector<short> s = samplesAfterHeader(readFile(t.sFilePath.GetString()));
    ASSERT_EQ(s.size(), 480000u);
    EXPECT_EQ(s[1000], am(125, t.m, 1000));

    // FM: the midpoint in cents.
    CKModulationTest f;
    f.SetTest(KMODULATION_FM, 500, 0.01, 20);
    EXPECT_DOUBLE_EQ(f.HalfWidth(), 1200);
    f.lower = 0.001;
    f.upper = 0.02;
    f.NextLevel();
    EXPECT_NEAR(FMSwingInCents(f.m), (FMSwingInCents(0.001) + FMSwingInCents(0.02)) / 2, 1e-9);
    EXPECT_NEAR(f.HalfWidth(), (FMSwingInCents(0.02) - FMSwingInCents(0.001)) / 2, 1e-9);
    EXPECT_TRUE(ui.m_messages.empty());
}

TEST(KModulationTest, UnwritableFileIsReported)
{
    CScriptedUserInteraction ui;
    CKModulationTest t;
    t.SetTest(KMODULATION_AM, 2000, 0.1, 2);
    t.sFilePath = "./no-such-folder/Pelmora_AM_2000.wav";
    t.upper = 0.1;
    EXPECT_FALSE(t.NextLevel());
    EXPECT_DOUBLE_EQ(t.m, 0.05); // the level moved all the same
    ASSERT_EQ(ui.m_messages.size(), 2u);
    EXPECT_EQ(ui.m_messages[0].sText,
              "./no-such-folder/Pelmora_AM_2000.wav\n- не удается открыть этот файл для записи в него звуковой сигнал.");
    EXPECT_EQ(ui.m_messages[1].sText, "Неисправимая ошибка - сбой в создании звукового файла.");
}
