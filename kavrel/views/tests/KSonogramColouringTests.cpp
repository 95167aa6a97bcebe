// The sonogram's colour mapping as plain functions: levels to greys, a
// column's balance over the musical scale to a hue, phase derivatives to
// tints. No window is made.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "kavrel/views/KSonogramColouring.h"

namespace {

// A film with no file: four lines scaled from 0 (down) to 100 dB (up).
struct Scale {
    CKWaveFilm film;
    Scale()
    {
        film.validDownLevel.SetSize(4);
        film.validUpLevel.SetSize(4);
        film.validDownLevel.Clear(0.0f);
        film.validUpLevel.Clear(100.0f);
    }
    // The four lines' (blue, green, red) for these levels and phases.
    std::vector<std::vector<int>> Colours(std::vector<float> level, std::vector<float> phase = {0, 0, 0, 0})
    {
        std::vector<float> scratch(4);
        KSonogramColumn c;
        c.level = level.data();
        c.phase = phase.data();
        c.scratch = scratch.data();
        c.nLines = 4;
        unsigned char px[4 * 4] = {};
        EXPECT_TRUE(KFillSonogramColumn(film, c, px, 4));
        std::vector<std::vector<int>> out;
        for (int k = 0; k < 4; ++k)
            out.push_back({px[4 * k], px[4 * k + 1], px[4 * k + 2]});
        return out;
    }
};

using Rgb = std::vector<std::vector<int>>;

} // namespace

// Grey: 255 (U - a) / (U - D), the level clamped to the line's scale;
// inverted: 255 (a - D) / (U - D).
TEST(KSonogramColouring, GreyIsLinearInTheLevelAndClamped)
{
    Scale s;
    s.film.displayFlags = CKWaveFilm::DisplayAmplitudeGrey;
    EXPECT_EQ(s.Colours({-10, 25, 60, 150}), (Rgb{{255, 255, 255}, {191, 191, 191}, {102, 102, 102}, {0, 0, 0}}));
    s.film.displayFlags = CKWaveFilm::DisplayAmplitudeGrey | CKWaveFilm::DisplayInverse;
    EXPECT_EQ(s.Colours({-10, 25, 60, 150}), (Rgb{{0, 0, 0}, {63, 63, 63}, {153, 153, 153}, {255, 255, 255}}));
    // ФИОТ draws nothing and says so.
    s.film.displayFlags = CKWaveFilm::DisplayFiot;
    std::vector<float> level(4, 50), phase(4, 0), scratch(4);
    KSonogramColumn c{level.data(), phase.data(), scratch.data(), 4};
    unsigned char px[16] = {7};
    EXPECT_FALSE(KFillSonogramColumn(s.film, c, px, 4));
    EXPECT_EQ(px[0], 7);
}

// Phase by amplitude growth: the grey of the level, brightened toward 255 in
// green by a positive derivative and in red by a negative one, in
// proportion to the limits.
TEST(KSonogramColouring, PhaseTintsFollowTheSignOfTheDerivative)
{
    Scale s;
    s.film.displayFlags = CKWaveFilm::DisplayPhaseAmplGrowth;
    s.film.phaseLimitPos = 2.0f;
    s.film.phaseLimitNeg = -4.0f;
    // Level 50: grey 127.5; t = 1 of 2: green 127.5 + 0.5 * 127.5; t = -1 of -4: red 127.5 + 0.25 * 127.5;
    // beyond the limit the tint is full.
    EXPECT_EQ(s.Colours({50, 50, 50, 50}, {1, -1, 5, 0}),
              (Rgb{{127, 191, 127}, {127, 127, 159}, {127, 255, 127}, {127, 127, 127}}));
    // By frequency growth the derivative is taken between neighbouring lines.
    s.film.displayFlags = CKWaveFilm::DisplayPhaseFreqGrowth;
    s.film.phaseFreqLimitPos = 2.0f;
    s.film.phaseFreqLimitNeg = -4.0f;
    EXPECT_EQ(s.Colours({50, 50, 50, 50}, {0, 1, 0, 0}),
              (Rgb{{127, 127, 127}, {127, 191, 127}, {127, 127, 159}, {127, 127, 127}}));
}

// The bands: red below 440 Hz · 2^0.25, green within 440 Hz · 2^(-3.25 .. 3.75),
// blue above 440 Hz · 2^0.25; each w(s) = 1 + cos(pi/2 (s - centre)/21) over
// semitones s, times 3/(42 ln2 f), red doubled and blue eightfold.
TEST(KSonogramColouring, ColourWeightsFollowTheMusicalScale)
{
    const std::vector<double> f = {0, 110, 440, 3520, 3};
    std::vector<double> r(f.size()), g(f.size()), b(f.size());
    KSonogramColourWeights(int(f.size()), [&](int k) { return f[size_t(k)]; }, r.data(), g.data(), b.data());
    auto w = [](double fr, double centre) {
        const double s = 12 * std::log2(fr / 440);
        return (1 + std::cos(std::numbers::pi / 2 * (s - centre) / 21)) * 3 / (42 * std::log(2.0) * fr);
    };
    EXPECT_EQ(r[0] + g[0] + b[0], 0.0); // line 0 weighs nothing
    EXPECT_DOUBLE_EQ(r[1], 2 * w(110, -39));
    EXPECT_DOUBLE_EQ(g[1], w(110, 3));
    EXPECT_EQ(b[1], 0.0);
    EXPECT_DOUBLE_EQ(r[2], 2 * w(440, -39));
    EXPECT_DOUBLE_EQ(g[2], w(440, 3));
    EXPECT_EQ(b[2], 0.0);
    EXPECT_EQ(r[3], 0.0);
    EXPECT_DOUBLE_EQ(g[3], w(3520, 3)); // 440 · 2^3 is still inside green's band
    EXPECT_DOUBLE_EQ(b[3], 8 * w(3520, 45));
    EXPECT_EQ(r[4] + g[4] + b[4], 0.0); // 3 Hz is below every band (red starts at 440 · 2^-6.75)

    // A column of one strong line at 110 Hz takes red's hue, green in the
    // ratio of the weights.
    CKWaveFilm film;
    film.displayFlags = CKWaveFilm::DisplayAmplitudeColour;
    film.validDownLevel.SetSize(5);
    film.validUpLevel.SetSize(5);
    film.validDownLevel.Clear(0.0f);
    film.validUpLevel.Clear(100.0f);
    std::vector<float> level = {0, 100, 0, 0, 0}, phase(5), scratch(5);
    KSonogramColumn c{level.data(), phase.data(), scratch.data(), 5, r.data(), g.data(), b.data(), 5};
    unsigned char px[5 * 4] = {};
    ASSERT_TRUE(KFillSonogramColumn(film, c, px, 4));
    EXPECT_EQ(px[4 + 2], 255);
    const double R = 1e10 * r[1] + r[2], G = 1e10 * g[1] + g[2] + g[3];
    EXPECT_NEAR(px[4 + 1], 255 * G / R, 1.0);
    EXPECT_EQ(px[4 + 0], 0);
}
