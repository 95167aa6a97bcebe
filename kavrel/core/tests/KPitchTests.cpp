// The pitch tracker on synthetic vowels whose fundamental is known sample
// by sample: steady, jittered and gliding, low and high, with silence around.
#include <gtest/gtest.h>

#include <cmath>

#include "kavrel/core/KPitch.h"
#include "testsupport/Voices.h"

namespace {

constexpr double kRate = 22050;
const std::vector<ktest::Resonance> kVowelA = {{500, 60}, {1500, 90}, {2500, 120}};

struct Score {
    int voicedFrames = 0, voicingRight = 0, frames = 0;
    double worstError = 0;
};

// Frames every 10 ms over the whole sound. A frame whose whole window is
// voiced must be voiced at the window's mean fundamental; one whose window
// begins 30 ms after the voice has stopped (the resonators have rung down
// by 50 dB) must be unvoiced; frames between are not counted.
Score Track(const ktest::Voice& voice, const KPitchParams& params)
{
    CKArraySampleSource source(voice.samples, kRate);
    std::vector<double> times;
    for (double t = 0; t < double(voice.samples.size()) / kRate; t += 0.01)
        times.push_back(t);
    const std::vector<KPitchFrame> frames = KTrackPitch(source, times, params);
    EXPECT_EQ(frames.size(), times.size());
    const double half = 1.5 / params.dFloor;
    Score s;
    for (const KPitchFrame& f : frames) {
        const double truth = voice.MeanF0(f.dTime, half, kRate);
        const bool silent = voice.Silent(f.dTime - half - 0.03, f.dTime + half, kRate);
        const bool centreVoiced = truth > 0;
        if (truth == 0 && !silent)
            continue;
        if (truth > 0) {
            ++s.voicedFrames;
            if (f.dF0 > 0)
                s.worstError = std::max(s.worstError, std::fabs(f.dF0 / truth - 1));
            else
                s.worstError = 1;
        }
        ++s.frames;
        s.voicingRight += (f.dF0 > 0) == centreVoiced;
    }
    return s;
}

} // namespace

TEST(KPitch, SteadyAndJitteredVowelsFromLowToHigh)
{
    for (double f0 : {70.0, 100.0, 220.0, 400.0})
        for (double jitter : {0.0, 0.005}) {
            SCOPED_TRACE(testing::Message() << f0 << " Hz, jitter " << jitter);
            ktest::VoiceRecipe recipe{[f0](double t) { return t >= 0.2 && t < 1.0 ? f0 : 0; }, jitter, kVowelA};
            const ktest::Voice voice = ktest::MakeVoice(recipe, 1.2, kRate);
            KPitchParams params;
            params.dFloor = f0 < 75 ? 60 : 75;
            const Score s = Track(voice, params);
            EXPECT_GT(s.voicedFrames, 60);
            EXPECT_LT(s.worstError, 0.005);
            EXPECT_GE(s.voicingRight, 0.98 * s.frames);
        }
}

TEST(KPitch, GlideUpAnOctaveAndBack)
{
    // An octave a second, as steep as intonation goes on a stressed syllable.
    ktest::VoiceRecipe recipe{[](double t) { return 100 * std::pow(2.0, 1 - std::fabs(t - 1)); }, 0.0, {{300, 60}, {2300, 100}, {3000, 120}}};
    const ktest::Voice voice = ktest::MakeVoice(recipe, 2.0, kRate);
    const Score s = Track(voice, KPitchParams());
    EXPECT_GT(s.voicedFrames, 190);
    EXPECT_LT(s.worstError, 0.005);
}

TEST(KPitch, SilenceAndSoundsShorterThanAWindowAreUnvoiced)
{
    for (long n : {0L, 1L, 300L, 22050L}) {
        CKArraySampleSource source(std::vector<float>(size_t(n), 0.f), kRate);
        const std::vector<KPitchFrame> frames = KTrackPitch(source, {0.0, 0.01, 0.5}, KPitchParams());
        ASSERT_EQ(frames.size(), 3u);
        for (const KPitchFrame& f : frames)
            EXPECT_EQ(f.dF0, 0);
    }
    EXPECT_TRUE(KTrackPitch(CKArraySampleSource({}, kRate), {}, KPitchParams()).empty());
}
