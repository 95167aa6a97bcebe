#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "kavrel/views/KTrackOverlays.h"
#include "kavrel/views/tests/SonogramTestSupport.h"
#include "testsupport/Voices.h"

using namespace sonogram_test;

namespace {

// A second of a 150 Hz vowel with formants at 500, 1500, 2500, 3500 and 4500 Hz.
std::vector<int> Vowel()
{
    ktest::VoiceRecipe recipe;
    recipe.f0 = [](double) { return 150.0; };
    recipe.formants = {{500, 60}, {1500, 90}, {2500, 120}, {3500, 150}, {4500, 200}};
    const ktest::Voice v = ktest::MakeVoice(recipe, 1.0, kFs);
    std::vector<int> x;
    for (float s : v.samples)
        x.push_back(int(std::lround(s)));
    return x;
}

// The rows of a client column that hold a colour.
std::vector<int> RowsOf(const Sonogram& s, int x, COLORREF colour)
{
    std::vector<int> rows;
    for (int y = 0; y < 128; ++y)
        if (s.Screen(x, y) == colour)
            rows.push_back(y);
    return rows;
}

bool AnyRowWithin(const std::vector<int>& rows, double y, double tolerance)
{
    for (int r : rows)
        if (std::fabs(r - y) <= tolerance)
            return true;
    return false;
}

} // namespace

// The host's overlays reach the view by hint 13: the pitch line lies at its
// own logarithmic scale's row of 150 Hz and moves with the ceiling; a
// scroll analyses only the cadres that came in, and a new film all anew.
// (The formants' rows: the workshop's test.)
TEST(KWaveFilmViewTracks, OverlaysDrawTheVoicesTracksWhereTheirScalesPutThem)
{
    Sonogram s;
    ASSERT_TRUE(s.Open("tracks-view.wav", Vowel(), kFs, kNFFT, kWidth, kHeight));
    auto overlays = std::make_shared<CKTrackOverlays>();
    s.view->OnUpdate(nullptr, HintTracks, overlays.get());
    s.Paint();
    EXPECT_TRUE(RowsOf(s, 100, kPitchLineColour).empty());
    EXPECT_EQ(overlays->Cache.nPitchCadresAnalysed + overlays->Cache.nFormantCadresAnalysed, 0);

    overlays->bPitch = overlays->bFormants = true;
    s.view->OnUpdate(nullptr, HintTracks, overlays.get());
    s.Paint();
    // 128 rows shown: the scale from row 119 (75 Hz) up to row 8 (600 Hz);
    // 150 Hz an octave, a third of the way, up.
    const double y150 = 119 - std::log(150.0 / 75) / std::log(600.0 / 75) * (119 - 8);
    // (The scale's labels cover the last forty columns or so.)
    for (int x = 20; x < 150; x += 10)
        EXPECT_TRUE(AnyRowWithin(RowsOf(s, x, kPitchLineColour), y150, 1.5)) << x;
    long x0 = 0, n = 0;
    s.view->VisibleCadres(x0, n);
    EXPECT_EQ(n, kWidth);
    EXPECT_EQ(overlays->Cache.nPitchCadresAnalysed, n + CKFilmTracks::kPathMargin);
    EXPECT_EQ(overlays->Cache.nFormantCadresAnalysed, n);

    // Ten cadres on: ten new cadres of each.
    s.PaintFrom(10);
    EXPECT_EQ(overlays->Cache.nPitchCadresAnalysed, n + CKFilmTracks::kPathMargin + 10);
    EXPECT_EQ(overlays->Cache.nFormantCadresAnalysed, n + 10);
    s.Paint();
    EXPECT_EQ(overlays->Cache.nFormantCadresAnalysed, n + 10);

    // A ceiling of 300 Hz puts 150 Hz half way up.
    KTrackParams p = overlays->Cache.Params();
    p.pitch.dCeiling = 300;
    overlays->Cache.SetParams(p);
    s.view->OnUpdate(nullptr, HintTracks, overlays.get());
    s.Paint();
    EXPECT_TRUE(AnyRowWithin(RowsOf(s, 100, kPitchLineColour), (119 + 8) / 2.0, 1.5));
    EXPECT_EQ(overlays->Cache.nFormantCadresAnalysed, n + 10);

    // A new film: all anew.
    const long pitchBefore = overlays->Cache.nPitchCadresAnalysed;
    s.view->OnUpdate(nullptr, HintNewFilm, &s.hint);
    s.Paint();
    EXPECT_GT(overlays->Cache.nPitchCadresAnalysed, pitchBefore + n);

}
