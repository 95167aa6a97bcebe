#include <gtest/gtest.h>

#include "framework/audio/AudioServices.h"
#include "framework/audio/VirtualAudio.h"
#include "framework/base/ScriptedUserInteraction.h"
#include "kavrel/core/KWaveFilm.h"
#include "testsupport/WavBytes.h"

using namespace wavbytes;

// The film plays its selection and any stretch of cadres through the
// range player: cadre c is sample first + c·step.
TEST(KWaveFilmPlay, SelectionAndCadreRangesPlayTheirSamples)
{
    CVirtualAudio::Use();
    KInstallAudioServices();
    CScriptedUserInteraction ui;
    std::vector<int> x(4000);
    for (size_t i = 0; i < x.size(); ++i)
        x[i] = int(i) - 2000;
    std::string path = writeFile("film-play.wav", pcm16(1, 8000, x));
    CKWaveFilm film;
    ASSERT_TRUE(film.OpenKWaveFile(path.c_str(), "film-play"));
    film.SetNFFTandOptimumCadreParams(1024); // step 102
    film.SetFirstAndLastSample(100, 3900);
    film.SetSelectedFragmentAbsCadres(3, 10); // samples 406 … 1120
    film.PlaySelectedFragment();
    auto played = CVirtualAudio::PlayedStreams();
    ASSERT_EQ(played.size(), 1u);
    std::vector<short> s = played[0].Samples16();
    ASSERT_EQ(s.size(), 714u);
    EXPECT_EQ(s.front(), 406 - 2000);
    EXPECT_EQ(s.back(), 1119 - 2000);

    CVirtualAudio::Use();
    film.PlayKWaveFilmFromCadreToCadre(0, 2); // samples 100 … 304
    s = CVirtualAudio::PlayedStreams().at(0).Samples16();
    ASSERT_EQ(s.size(), 204u);
    EXPECT_EQ(s.front(), 100 - 2000);
    EXPECT_TRUE(ui.m_messages.empty());
    film.CloseKWaveFile();
    std::remove(path.c_str());
}
