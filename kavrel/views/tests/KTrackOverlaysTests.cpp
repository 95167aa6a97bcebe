#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <string>
#include <vector>

#include "framework/base/ScriptedUserInteraction.h"
#include "framework/ui/CDC.h"
#include "framework/ui/CWinApp.h"
#include "kavrel/views/KDialogTrackParams.h"
#include "kavrel/views/KTrackOverlays.h"
#include "testsupport/DialogAnswers.h"
#include "testsupport/PlainWindow.h"
#include "testsupport/WindowPixels.h"

namespace {

// A profile of each test's own: ctest runs the tests side by side.
class CTracksTestApp : public CWinApp {
public:
    CTracksTestApp()
        : CWinApp((std::string("TrackOverlaysTest-") + ::testing::UnitTest::GetInstance()->current_test_info()->name())
                      .c_str())
    {
    }
};

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

TEST(KTrackOverlays, FormantDotsSitOnTheirRowsAndSkipWhatLiesAboveTheBand)
{
    CWnd wnd;
    ASSERT_TRUE(ktest::CreatePlainWindow(wnd, 40, 140));
    KFormantFrame frame;
    frame.formants = {{500, 50}, {1500, 80}, {7990, 100}};
    const std::vector<const KFormantFrame*> frames = {&frame, nullptr, &frame};
    {
        CClientDC dc(&wnd);
        dc.FillSolidRect(0, 0, 40, 140, 0);
        KDrawFormantTracks(&dc, 10, frames, 16000, 256, 128);
    }
    EXPECT_EQ(ktest::ScreenPixel(&wnd, 10, 119), kFormantDotColour);
    EXPECT_EQ(ktest::ScreenPixel(&wnd, 12, 127 - 24), kFormantDotColour);
    for (int y = 0; y < 140; ++y)
        if (ktest::ScreenPixel(&wnd, 11, y) == kFormantDotColour)
            EXPECT_TRUE(y == 118 || y == 119 || y == 120 || (y >= 102 && y <= 104)) << y; // the dots' edges
    for (int x = 0; x < 40; ++x)
        EXPECT_NE(ktest::ScreenPixel(&wnd, x, 0), kFormantDotColour);
}

// The dialog refuses what the analyses cannot take, says why, and on OK the
// values go to the profile, from which a new set of overlays reads them; a
// profile holding nonsense gives the defaults.
TEST(KTrackOverlays, DialogValuesGoToTheProfileAndComeBack)
{
    ktest::EnsureQtApplication();
    CTracksTestApp app;
    KWriteTrackParams(&app, KTrackParams{}); // the profile outlives the run
    CScriptedUserInteraction ui;
    IUserInteraction* old = SetUserInteraction(&ui);
    std::deque<ktest::DialogAnswer> answers;
    answers.push_back([&](CDialog& d) {
        ktest::ExpectTexts(d, {{CKDialogTrackParams::IDC_PITCH_FLOOR, "75"},
                               {CKDialogTrackParams::IDC_PITCH_CEILING, "600"},
                               {CKDialogTrackParams::IDC_NUMBER_OF_FORMANTS, "5"},
                               {CKDialogTrackParams::IDC_MAX_FORMANT, "5500"}});
        d.SetDlgItemText(CKDialogTrackParams::IDC_PITCH_FLOOR, "120");
        d.SetDlgItemText(CKDialogTrackParams::IDC_PITCH_CEILING, "100");
        d.ClickDlgButton(IDOK);
        EXPECT_TRUE(ktest::WasTold(ui, "Верхняя граница основного тона должна быть выше нижней"));
        d.SetDlgItemText(CKDialogTrackParams::IDC_PITCH_CEILING, "400");
        d.SetDlgItemText(CKDialogTrackParams::IDC_MAX_FORMANT, "5000");
        d.SetDlgItemText(CKDialogTrackParams::IDC_NUMBER_OF_FORMANTS, "4");
        d.SetDlgItemText(CKDialogTrackParams::IDC_FORMANT_WINDOW, "0,03");
        d.ClickDlgButton(IDOK);
    });
    DialogDriver oldDriver = ktest::AnswerDialogsInTurn(answers, {});
    {
        auto overlays = std::make_shared<CKTrackOverlays>();
        overlays->ReadProfile();
        ASSERT_TRUE(overlays->EditParams(nullptr));
        EXPECT_EQ(overlays->Cache.Params().pitch.dFloor, 120);
    }
    SetDialogDriver(oldDriver);
    SetUserInteraction(old);
    EXPECT_TRUE(answers.empty());

    auto again = std::make_shared<CKTrackOverlays>();
    again->ReadProfile();
    const KTrackParams& p = again->Cache.Params();
    EXPECT_EQ(p.pitch.dFloor, 120);
    EXPECT_EQ(p.pitch.dCeiling, 400);
    EXPECT_EQ(p.formants.dMaxFormant, 5000);
    EXPECT_EQ(p.formants.nFormants, 4);
    EXPECT_EQ(p.formants.dWindowLength, 0.03);
    EXPECT_EQ(p.pitch.dSilenceThreshold, KPitchParams{}.dSilenceThreshold);
    EXPECT_STREQ(app.GetProfileString("Tracks", "PitchFloor", ""), "120");

    app.WriteProfileString("Tracks", "PitchCeiling", "много");
    EXPECT_EQ(KReadTrackParams(&app).pitch.dCeiling, 600); // unreadable: that one at its default
    EXPECT_EQ(KReadTrackParams(&app).pitch.dFloor, 120);
    app.WriteProfileString("Tracks", "PitchCeiling", "50");
    EXPECT_EQ(KReadTrackParams(&app).pitch.dFloor, 75); // out of range: all at their defaults
}
