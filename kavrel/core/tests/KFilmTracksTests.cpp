#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "kavrel/core/KFilmTracks.h"
#include "kavrel/core/KWaveFilm.h"
#include "kavrel/core/KWaveFilmHelpers.h"
#include "testsupport/Voices.h"
#include "testsupport/WavBytes.h"

namespace {

constexpr unsigned kRate = 16000;
const std::vector<ktest::Resonance> kFormants = {{500, 60}, {1500, 90}, {2500, 120}, {3500, 150}, {4500, 200}};

std::vector<int> VoiceSamples(double f0, unsigned rate = kRate)
{
    ktest::VoiceRecipe recipe;
    recipe.f0 = [f0](double) { return f0; };
    recipe.formants = kFormants;
    const ktest::Voice v = ktest::MakeVoice(recipe, 1.0, rate);
    std::vector<int> x;
    for (float s : v.samples)
        x.push_back(int(std::lround(s)));
    return x;
}

// A film over a second of a 150 Hz voice (in the left channel; the right
// one at 220 Hz when stereo).
struct VoiceFilm {
    CKWaveFilm film;
    std::string path;
    explicit VoiceFilm(const std::string& name, bool stereo = false, unsigned rate = kRate)
    {
        const std::vector<int> left = VoiceSamples(150, rate);
        std::vector<int> samples = left;
        if (stereo) {
            const std::vector<int> right = VoiceSamples(220, rate);
            samples.clear();
            for (size_t i = 0; i < left.size(); ++i) {
                samples.push_back(left[i]);
                samples.push_back(right[i]);
            }
        }
        path = wavbytes::writeFile(name, wavbytes::pcm16(stereo ? 2 : 1, rate, samples));
        EXPECT_TRUE(OpenKWaveFilmOnWholeFile(film, path.c_str(), name.c_str(), 256));
    }
};

} // namespace

// Each cadre is analysed once: a repeat costs nothing, a scroll only the
// cadres that came in (the path's margin included), a parameter change
// only its own track, and a new film or channel everything.
TEST(KFilmTracks, AnalysesEachCadreOnceAndAnewOnlyWhatAChangeTouches)
{
    VoiceFilm v("tracks-cache.wav", true);
    CKWaveFilm& film = v.film;
    ASSERT_GT(film.GetNCadres(), 400);
    const long m = CKFilmTracks::kPathMargin;
    CKFilmTracks tracks;
    std::vector<double> f0;
    std::vector<const KFormantFrame*> frames;

    ASSERT_TRUE(tracks.Pitch(film, 200, 300, f0));
    EXPECT_EQ(f0.size(), 100u);
    EXPECT_EQ(tracks.nPitchCadresAnalysed, 100 + 2 * m);
    ASSERT_TRUE(tracks.Formants(film, 200, 300, frames));
    EXPECT_EQ(frames.size(), 100u);
    EXPECT_EQ(tracks.nFormantCadresAnalysed, 100);
    for (const KFormantFrame* f : frames)
        EXPECT_NE(f, nullptr);

    tracks.Pitch(film, 200, 300, f0);
    tracks.Formants(film, 200, 300, frames);
    EXPECT_EQ(tracks.nPitchCadresAnalysed, 100 + 2 * m);
    EXPECT_EQ(tracks.nFormantCadresAnalysed, 100);

    // Ten cadres to the right.
    tracks.Pitch(film, 210, 310, f0);
    tracks.Formants(film, 210, 310, frames);
    EXPECT_EQ(tracks.nPitchCadresAnalysed, 110 + 2 * m);
    EXPECT_EQ(tracks.nFormantCadresAnalysed, 110);

    // The pitch floor changes: the pitch anew, the formants kept.
    KTrackParams p = tracks.Params();
    p.pitch.dFloor = 100;
    tracks.SetParams(p);
    tracks.Pitch(film, 210, 310, f0);
    tracks.Formants(film, 210, 310, frames);
    EXPECT_EQ(tracks.nPitchCadresAnalysed, 110 + 2 * m + 100 + 2 * m);
    EXPECT_EQ(tracks.nFormantCadresAnalysed, 110);
    // And the formants' window: the formants anew.
    p.formants.dWindowLength = 0.03;
    tracks.SetParams(p);
    tracks.Formants(film, 210, 310, frames);
    EXPECT_EQ(tracks.nFormantCadresAnalysed, 210);

    // Another channel of the same file, then a new film: everything anew.
    film.nChannel = 1;
    tracks.Formants(film, 210, 310, frames);
    EXPECT_EQ(tracks.nFormantCadresAnalysed, 310);
    tracks.Clear();
    tracks.Formants(film, 210, 310, frames);
    EXPECT_EQ(tracks.nFormantCadresAnalysed, 410);

    // At the film's ends the path stops at its cadres, and cadres past the
    // end have no values.
    const long before = tracks.nPitchCadresAnalysed;
    const long n = film.GetNCadres();
    ASSERT_TRUE(tracks.Pitch(film, n - 5, n + 5, f0));
    ASSERT_EQ(f0.size(), 10u);
    EXPECT_EQ(tracks.nPitchCadresAnalysed - before, 5 + m);
    for (size_t i = 5; i < 10; ++i)
        EXPECT_EQ(f0[i], 0.0);
    ASSERT_TRUE(tracks.Formants(film, n - 5, n + 5, frames));
    EXPECT_NE(frames[4], nullptr);
    EXPECT_EQ(frames[5], nullptr);
}

TEST(KFilmTracks, AFilmWithoutItsSoundGivesNothingAndNoCrash)
{
    CKWaveFilm film;
    CKFilmTracks tracks;
    std::vector<double> f0;
    std::vector<const KFormantFrame*> frames;
    EXPECT_FALSE(tracks.Pitch(film, 0, 10, f0));
    EXPECT_EQ(f0, std::vector<double>(10, 0.0));
    EXPECT_FALSE(tracks.Formants(film, 0, 10, frames));
    EXPECT_EQ(tracks.AtCadre(film, 3, true, true).dF0, 0.0);
}

TEST(KFilmTracks, ParametersOutOfRangeAreRefusedWithWhatIsWrong)
{
    EXPECT_TRUE(KTrackParamsProblem(KTrackParams{}).IsEmpty());
    struct Case {
        void (*spoil)(KTrackParams&);
        const char* words;
    } cases[] = {
        {[](KTrackParams& p) { p.pitch.dFloor = std::nan(""); }, "Нижняя граница основного тона"},
        {[](KTrackParams& p) { p.pitch.dCeiling = 70; }, "Верхняя граница основного тона должна быть выше нижней"},
        {[](KTrackParams& p) { p.pitch.dOctaveJumpCost = 11; }, "Штрафы"},
        {[](KTrackParams& p) { p.formants.nFormants = 0; }, "Число формант"},
        {[](KTrackParams& p) { p.formants.dWindowLength = 0.5; }, "Длина окна формант"},
    };
    for (const Case& c : cases) {
        KTrackParams p;
        c.spoil(p);
        const std::string problem = KTrackParamsProblem(p).GetString();
        EXPECT_NE(problem.find(c.words), std::string::npos) << problem;
    }
}

// What the sonogram shows is what the batch tool computes over the whole
// file: the same formants exactly, the same pitch away from the stretch's
// ends; and both at the voice's truth, in the film's analysed channel.
TEST(KFilmTracks, AStretchOfCadresGivesTheWholeFilesTracksAtTheVoicesTruth)
{
    VoiceFilm v("tracks-values.wav", true);
    CKWaveFilm& film = v.film;
    const long c0 = 150, c1 = 350;
    std::vector<double> times;
    for (long c = c0; c < c1; ++c)
        times.push_back(film.GetTimeInSecondsFromCadre(c));
    const std::vector<int> left = VoiceSamples(150);
    const CKArraySampleSource whole(std::vector<float>(left.begin(), left.end()), kRate);
    const std::vector<KFormantFrame> batch = KTrackFormants(whole, times, KFormantParams{});
    std::vector<double> allTimes;
    for (long c = 0; c < film.GetNCadres(); ++c)
        allTimes.push_back(film.GetTimeInSecondsFromCadre(c));
    const std::vector<KPitchFrame> batchPitch = KTrackPitch(whole, allTimes, KPitchParams{});

    CKFilmTracks tracks;
    std::vector<double> f0;
    std::vector<const KFormantFrame*> frames;
    ASSERT_TRUE(tracks.Pitch(film, c0, c1, f0));
    ASSERT_TRUE(tracks.Formants(film, c0, c1, frames));
    ASSERT_EQ(batch.size(), frames.size());
    for (size_t i = 0; i < frames.size(); ++i) {
        ASSERT_NE(frames[i], nullptr);
        ASSERT_EQ(frames[i]->formants.size(), batch[i].formants.size()) << i;
        for (size_t k = 0; k < batch[i].formants.size(); ++k)
            EXPECT_EQ(frames[i]->formants[k].dFrequency, batch[i].formants[k].dFrequency) << i;
        ASSERT_GE(frames[i]->formants.size(), 3u) << i;
        EXPECT_NEAR(frames[i]->formants[0].dFrequency, 500, 50) << i;
        EXPECT_NEAR(frames[i]->formants[1].dFrequency, 1500, 100) << i;
        EXPECT_NEAR(frames[i]->formants[2].dFrequency, 2500, 150) << i;
        EXPECT_NEAR(f0[i], 150, 3) << i;
        EXPECT_NEAR(f0[i], batchPitch[size_t(c0) + i].dF0, 0.01) << i;
    }
    const KTracksAtCadre at = tracks.AtCadre(film, 250, true, true);
    EXPECT_EQ(at.dF0, f0[100]);
    EXPECT_EQ(at.formants.size(), frames[100]->formants.size());

    film.nChannel = 1;
    ASSERT_TRUE(tracks.Pitch(film, c0, c1, f0));
    for (double f : f0)
        EXPECT_NEAR(f, 220, 4);
}

// A sound of 8000 Hz holds nothing above 4000 Hz: the highest formant and
// the pitch ceiling give way to that, as the batch tool's defaults do.
TEST(KFilmTracks, ParametersGiveWayToHalfTheSoundsRate)
{
    KTrackParams p;
    p.pitch.dCeiling = 5000;
    const KTrackParams fit = KTrackParamsForRate(p, 8000);
    EXPECT_EQ(fit.pitch.dCeiling, 4000);
    EXPECT_EQ(fit.formants.dMaxFormant, 4000);
    EXPECT_EQ(KTrackParamsForRate(KTrackParams{}, 44100).formants.dMaxFormant, 5500);
    p.pitch.dFloor = 900;
    EXPECT_FALSE(HasPitchRange(KTrackParamsForRate(p, 1600).pitch));

    VoiceFilm v("tracks-8k.wav", false, 8000);
    CKFilmTracks tracks;
    std::vector<const KFormantFrame*> frames;
    ASSERT_TRUE(tracks.Formants(v.film, 20, 40, frames));
    for (const KFormantFrame* f : frames)
        for (const KFormant& k : f->formants)
            EXPECT_LT(k.dFrequency, 4000);
}
