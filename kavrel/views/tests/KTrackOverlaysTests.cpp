#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "framework/ui/CDC.h"
#include "kavrel/views/KTrackOverlays.h"
#include "testsupport/PlainWindow.h"
#include "testsupport/WindowPixels.h"

namespace {

bool IsPitchColour(COLORREF c)
{
    return c == kPitchLineColour;
}

} // namespace

TEST(KTrackOverlays, StatusTextShowsTheTracksOnWithDashesWhereThereIsNoValue)
{
    KTracksAtCadre at;
    at.dF0 = 212.6;
    at.formants = {{511.7, 80}, {1490.2, 100}, {2480, 120}, {3500, 200}};
    EXPECT_STREQ(KTracksStatusText(at, true, true), "F0 = 213 Гц, F1 = 512, F2 = 1490, F3 = 2480 Гц");
    EXPECT_STREQ(KTracksStatusText(at, true, false), "F0 = 213 Гц");
    EXPECT_STREQ(KTracksStatusText(at, false, true), "F1 = 512, F2 = 1490, F3 = 2480 Гц");
    at.dF0 = 0;
    at.formants.resize(1);
    EXPECT_STREQ(KTracksStatusText(at, true, true), "F0 —, F1 = 512 Гц");
    at.formants.clear();
    EXPECT_STREQ(KTracksStatusText(at, true, true), "F0 —, F1–F3 —");
    EXPECT_STREQ(KTracksStatusText(at, false, false), "");
}

// The pitch scale is logarithmic between the margins; the formants sit on
// the sonogram's own rows.
TEST(KTrackOverlays, ScalesPlaceFrequenciesWhereTheyAreDrawn)
{
    // Floor 75 at row 191, ceiling 600 (three octaves up) at row 8: an
    // octave is 61 rows.
    const KPitchScale s = KPitchScaleOver(KPitchParams{}, 0, 200);
    EXPECT_EQ(s.yTop, 8);
    EXPECT_EQ(s.yBottom, 191);
    EXPECT_DOUBLE_EQ(s.Y(75), 191);
    EXPECT_DOUBLE_EQ(s.Y(150), 130);
    EXPECT_DOUBLE_EQ(s.Y(300), 69);
    EXPECT_DOUBLE_EQ(s.Y(600), 8);
    EXPECT_EQ(KPitchScaleTicks(75, 600), (std::vector<double>{75, 100, 150, 200, 300, 500, 600}));
    EXPECT_EQ(KPitchScaleTicks(100, 200), (std::vector<double>{100, 150, 200}));
    EXPECT_TRUE(KPitchScaleTicks(200, 100).empty());

    // 16 kHz, NFFT 256: 62.5 Hz a line; 128 rows, line k on row 127 - k.
    EXPECT_EQ(KSonogramRowOfFrequency(500, 16000, 256, 128), 119);
    EXPECT_EQ(KSonogramRowOfFrequency(1530, 16000, 256, 128), 127 - 24);
    EXPECT_EQ(KSonogramRowOfFrequency(0, 16000, 256, 128), 127);
    EXPECT_EQ(KSonogramRowOfFrequency(7969, 16000, 256, 128), -1); // line 128: above the band
    EXPECT_EQ(KSonogramRowOfFrequency(500, 0, 256, 128), -1);
}

TEST(KTrackOverlays, PitchLineBreaksWhereUnvoicedAndItsScaleStandsAtTheRightEdge)
{
    CWnd wnd;
    ASSERT_TRUE(ktest::CreatePlainWindow(wnd, 300, 200));
    std::vector<double> f0(250, 0.0);
    for (int x = 0; x < 100; ++x)
        f0[size_t(x)] = 150;
    for (int x = 150; x < 250; ++x)
        f0[size_t(x)] = 300;
    {
        CClientDC dc(&wnd);
        dc.FillSolidRect(0, 0, 300, 200, 0x707070);
        KDrawPitchTrack(&dc, CRect(0, 0, 300, 200), KPitchScaleOver(KPitchParams{}, 0, 200), 0, f0);
    }
    auto pixel = [&](int x, int y) { return ktest::ScreenPixel(&wnd, x, y); };
    EXPECT_TRUE(IsPitchColour(pixel(50, 130)));
    EXPECT_TRUE(IsPitchColour(pixel(200, 69)));
    // Three rows wide, dark on either side.
    EXPECT_TRUE(IsPitchColour(pixel(50, 129)) && IsPitchColour(pixel(50, 131)));
    EXPECT_EQ(pixel(50, 128), kPitchHaloColour);
    EXPECT_EQ(pixel(50, 132), kPitchHaloColour);
    for (int y = 0; y < 200; ++y)
        EXPECT_EQ(pixel(125, y), COLORREF(0x707070)) << y;
    // The scale from the floor's row to the ceiling's.
    for (int y = 8; y <= 191; ++y)
        EXPECT_TRUE(IsPitchColour(pixel(299, y))) << y;
    EXPECT_FALSE(IsPitchColour(pixel(299, 4)));
}

TEST(KTrackOverlays, FormantDotsOnlyWhereTheSoundIsWithinTheDynamicRangeOfTheLoudest)
{
    CWnd wnd;
    ASSERT_TRUE(ktest::CreatePlainWindow(wnd, 300, 200));
    auto frameAt = [](double level) {
        KFormantFrame f;
        f.dLevel = level;
        f.formants = {{1000, 80}};
        return f;
    };
    const KFormantFrame loud = frameAt(80), near = frameAt(80 - kFormantDynamicRange + 1),
                        quiet = frameAt(80 - kFormantDynamicRange - 1);
    const std::vector<const KFormantFrame*> frames = {&loud, nullptr, &near, nullptr, &quiet};
    {
        CClientDC dc(&wnd);
        dc.FillSolidRect(0, 0, 300, 200, 0x707070);
        KDrawFormantTracks(&dc, 10, frames, 16000, 256, 128);
    }
    const int y = KSonogramRowOfFrequency(1000, 16000, 256, 128);
    EXPECT_EQ(ktest::ScreenPixel(&wnd, 10, y), kFormantDotColour);
    EXPECT_EQ(ktest::ScreenPixel(&wnd, 12, y), kFormantDotColour);
    EXPECT_EQ(ktest::ScreenPixel(&wnd, 14, y), COLORREF(0x707070));
}
