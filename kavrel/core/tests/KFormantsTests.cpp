// The formant analysis on synthetic vowels whose resonances are known:
// five below the analysis's 5500 Hz, as in a real vowel, so that the
// predictor's ten poles have their formants to go to.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "kavrel/core/KFormants.h"
#include "testsupport/Voices.h"

TEST(KFormants, VowelsAtTheirResonators)
{
    struct Case {
        double rate, f0;
        std::vector<ktest::Resonance> formants;
    };
    const Case cases[] = {
        {44100, 100, {{500, 60}, {1500, 90}, {2500, 120}, {3500, 150}, {4500, 200}}},
        {22050, 110, {{500, 80}, {1500, 100}, {2500, 120}, {3500, 150}, {4500, 200}}},
        {16000, 120, {{300, 60}, {2300, 100}, {3000, 120}, {3700, 150}, {4700, 200}}},
        {48000, 130, {{700, 90}, {1200, 100}, {2600, 120}, {3500, 150}, {4500, 200}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rate << " Hz, F0 " << c.f0 << ", F1 " << c.formants[0].frequency);
        ktest::VoiceRecipe recipe{[&c](double) { return c.f0; }, 0.0, c.formants};
        const ktest::Voice voice = ktest::MakeVoice(recipe, 0.6, c.rate);
        CKArraySampleSource source(voice.samples, c.rate);
        std::vector<double> times;
        for (double t = 0.1; t <= 0.5; t += 0.01)
            times.push_back(t);
        const std::vector<KFormantFrame> frames = KTrackFormants(source, times, KFormantParams());
        ASSERT_EQ(frames.size(), times.size());
        double worst = 0;
        for (const KFormantFrame& f : frames) {
            ASSERT_GE(f.formants.size(), 3u) << f.dTime;
            for (int k = 0; k < 3; ++k)
                worst = std::max(worst, std::fabs(f.formants[size_t(k)].dFrequency / c.formants[size_t(k)].frequency - 1));
        }
        EXPECT_LT(worst, 0.03);
    }
}

TEST(KFormants, AStretchOfTheGridGivesTheWholeSoundsFrames)
{
    // What a view computes for its visible cadres must be what the batch
    // tool prints for the whole file, to the bit.
    ktest::VoiceRecipe recipe{[](double t) { return 100 + 40 * t; }, 0.005, {{600, 80}, {1700, 100}, {2600, 120}, {3500, 150}, {4500, 200}}};
    const ktest::Voice voice = ktest::MakeVoice(recipe, 1.0, 44100);
    CKArraySampleSource source(voice.samples, 44100);
    const std::vector<double> times = {0.0, 0.2, 0.5173, 0.9999};
    // 5500 Hz: the rates' ratio has weights per phase; 5123.4 Hz has none.
    for (double highest : {5500.0, 5123.4}) {
        KFormantParams params;
        params.dMaxFormant = highest;
        const std::vector<KFormantFrame> whole = KTrackFormants(source, times, params);
        CKFormantAnalysis analysis(params, 44100);
        for (size_t i = 0; i < times.size(); ++i) {
            long first, count;
            analysis.FrameSpan(times[i], first, count);
            std::vector<float> grid;
            analysis.Resample(source, first - 7, count + 20, grid);
            KFormantFrame frame;
            analysis.Frame(grid.data(), first - 7, times[i], frame);
            ASSERT_EQ(frame.formants.size(), whole[i].formants.size()) << times[i];
            ASSERT_FALSE(frame.formants.empty());
            for (size_t k = 0; k < frame.formants.size(); ++k) {
                EXPECT_EQ(frame.formants[k].dFrequency, whole[i].formants[k].dFrequency);
                EXPECT_EQ(frame.formants[k].dBandwidth, whole[i].formants[k].dBandwidth);
            }
        }
    }
}

TEST(KFormants, SilenceAndSoundsShorterThanAWindowHaveNoFormants)
{
    for (long n : {0L, 1L, 300L, 22050L}) {
        CKArraySampleSource source(std::vector<float>(size_t(n), 0.f), 22050);
        const std::vector<KFormantFrame> frames = KTrackFormants(source, {0.0, 0.01, 0.5}, KFormantParams());
        ASSERT_EQ(frames.size(), 3u);
        for (const KFormantFrame& f : frames)
            EXPECT_TRUE(f.formants.empty());
    }
}
