// The pitch and formant overlays in the workshop: the "Вид" menu and the
// toolbar turn them on in every sonogram of the document, the status bar
// shows their values at the caret, and the parameters dialog keeps its
// values in the profile for the next document.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "kavrel/views/KDialogTrackParams.h"
#include "kavrel/views/KTrackOverlays.h"
#include "kavrel/views/KWaveFilmView.h"
#include "testsupport/Voices.h"
#include "testsupport/WindowPixels.h"

#include "tembrix/tests/TembrixWindowsFixture.h"

using namespace tembrix_test;

namespace {

// Two seconds of a 140 Hz vowel with formants at 600, 1400, 2600, 3500 and 4500 Hz.
void WriteVowel(const std::string& path)
{
    ktest::VoiceRecipe recipe;
    recipe.f0 = [](double) { return 140.0; };
    recipe.formants = {{600, 70}, {1400, 90}, {2600, 120}, {3500, 150}, {4500, 200}};
    const ktest::Voice v = ktest::MakeVoice(recipe, 2.0, kRate);
    std::vector<int> x;
    for (float s : v.samples)
        x.push_back(int(std::lround(s)));
    kavrel_test::WriteAll(path, wavbytes::pcm16(1, kRate, x));
}

struct TembrixTracks : TembrixWindows {
    TembrixTracks()
    {
        sProfileName = std::string("TembrixTracks-") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    }
    void SetUp() override
    {
        TembrixWindows::SetUp();
        // The profile outlives the run: each run starts from the defaults.
        KWriteTrackParams(app.get(), KTrackParams{});
    }
    CTembrixDoc* NewVowelDocument()
    {
        WriteVowel(wav);
        return NewDocument();
    }
    CString TracksPane()
    {
        main->m_wndStatusBar.OnUpdateCmdUI(main, TRUE);
        return main->m_wndStatusBar.GetPaneText(main->m_wndStatusBar.CommandToIndex(CKTrackOverlays::ID_INDICATOR_TRACKS));
    }
    static void Repaint(CKWaveFilmView* v)
    {
        v->Invalidate(FALSE);
        v->UpdateWindow();
    }
};

} // namespace

TEST_F(TembrixTracks, ViewMenuAndToolbarShowTheTracksInTheSonogramAndTheirValuesAtTheCaret)
{
    CTembrixDoc* doc = NewVowelDocument();
    ASSERT_NE(doc, nullptr);
    CKWaveFilmView* sonogram = Frame()->SonogramView(2);
    ASSERT_NE(sonogram, nullptr);
    EXPECT_EQ(sonogram->pTrackOverlays, doc->pTrackOverlays);

    // Both off at first, in the menu and on the toolbar.
    const auto menu = main->GetShownMenu();
    const KShownMenuItem* pitch = FindItem(menu, CKTrackOverlays::ID_SHOW_PITCH_TRACK);
    const KShownMenuItem* formants = FindItem(menu, CKTrackOverlays::ID_SHOW_FORMANT_TRACKS);
    const KShownMenuItem* params = FindItem(menu, CKTrackOverlays::ID_TRACK_PARAMETERS);
    ASSERT_TRUE(pitch && formants && params);
    EXPECT_STREQ(pitch->sText, "Основной тон");
    EXPECT_FALSE(pitch->bChecked || formants->bChecked);
    EXPECT_STREQ(TracksPane(), "");
    CToolBar& bar = main->m_wndToolBar;
    const int pitchButton = bar.CommandToIndex(CKTrackOverlays::ID_SHOW_PITCH_TRACK);
    ASSERT_GE(pitchButton, 0);

    // The pitch from the menu (the command goes through the document), the
    // formants from the toolbar.
    main->SendMessage(WM_COMMAND, CKTrackOverlays::ID_SHOW_PITCH_TRACK);
    bar.PressButton(bar.CommandToIndex(CKTrackOverlays::ID_SHOW_FORMANT_TRACKS));
    Pump();
    bar.OnUpdateCmdUI(main, TRUE);
    EXPECT_TRUE(bar.IsButtonChecked(pitchButton));
    EXPECT_TRUE(FindItem(main->GetShownMenu(), CKTrackOverlays::ID_SHOW_FORMANT_TRACKS)->bChecked);
    EXPECT_TRUE(doc->pTrackOverlays->bPitch && doc->pTrackOverlays->bFormants);

    Repaint(sonogram);
    CKWaveFilm& film = doc->WaveFilm;
    const CRect rc = ktest::ClientRect(sonogram);
    const CPoint pos = sonogram->GetScrollPosition();
    // The scale spans the rows shown; the sonogram's rows are lines of
    // fs/NFFT Hz, in client rows counted from the scroll position.
    const int top = 0, bottom = std::min<int>(rc.Height(), sonogram->nLines - pos.y);
    const double yTop = top + 8, yBottom = bottom - 1 - 8;
    const double y140 = yBottom - std::log(140.0 / 75) / std::log(600.0 / 75) * (yBottom - yTop);
    const double hzPerLine = double(kRate) / film.GetNFFT();
    auto rowOf = [&](double f) { return sonogram->nLines - 1 - f / hzPerLine - pos.y; };
    auto near = [&](int x, COLORREF colour, double y, double tolerance) {
        for (int r = 0; r < rc.Height(); ++r)
            if (ktest::ScreenPixel(sonogram, x, r) == colour && std::fabs(r - y) <= tolerance)
                return true;
        return false;
    };
    int checked = 0;
    for (int x = 40; x < rc.Width() - 60 && long(x + pos.x) < film.GetNCadres() - 40; x += 25, ++checked) {
        EXPECT_TRUE(near(x, kPitchLineColour, y140, 1.5)) << x;
        EXPECT_TRUE(near(x, kFormantDotColour, rowOf(600), 2.5)) << x;
        EXPECT_TRUE(near(x, kFormantDotColour, rowOf(1400), 2.5)) << x;
        EXPECT_TRUE(near(x, kFormantDotColour, rowOf(2600), 3.5)) << x;
    }
    EXPECT_GT(checked, 5);

    // The caret in the middle of the sound: F0 and F1–F3 there.
    film.SetKCaretCadre(film.GetNCadres() / 2);
    doc->UpdateAllViews(nullptr, HintCaret, nullptr);
    const std::string text = TracksPane().GetString();
    // "F0 = 140 Гц, F1 = 574, F2 = 1405, F3 = 2593 Гц"
    auto after = [&](const char* name, const char* unit) {
        const size_t at = text.find(std::string(name) + " = ");
        if (at == std::string::npos)
            return -1.0;
        size_t used = 0;
        const double v = std::stod(text.substr(at + std::strlen(name) + 3), &used);
        return text.compare(at + std::strlen(name) + 3 + used, std::strlen(unit), unit) == 0 ? v : -1.0;
    };
    const double f0 = after("F0", " Гц, "), f1 = after("F1", ", "), f2 = after("F2", ", "), f3 = after("F3", " Гц");
    EXPECT_EQ(text.size(), text.rfind(" Гц") + std::strlen(" Гц")) << text;
    EXPECT_NEAR(f0, 140, 3);
    EXPECT_NEAR(f1, 600, 60);
    EXPECT_NEAR(f2, 1400, 100);
    EXPECT_NEAR(f3, 2600, 150);

    // Off again: nothing of them drawn or written.
    main->SendMessage(WM_COMMAND, CKTrackOverlays::ID_SHOW_PITCH_TRACK);
    main->SendMessage(WM_COMMAND, CKTrackOverlays::ID_SHOW_FORMANT_TRACKS);
    Pump();
    Repaint(sonogram);
    EXPECT_FALSE(near(100, kPitchLineColour, y140, 200));
    EXPECT_FALSE(near(100, kFormantDotColour, rowOf(600), 600));
    EXPECT_STREQ(TracksPane(), "");
}

TEST_F(TembrixTracks, ParametersDialogRefusesNonsenseRecomputesAndItsValuesStartTheNextDocument)
{
    CTembrixDoc* doc = NewVowelDocument();
    ASSERT_NE(doc, nullptr);
    CKWaveFilmView* sonogram = Frame()->SonogramView(2);
    main->SendMessage(WM_COMMAND, CKTrackOverlays::ID_SHOW_PITCH_TRACK);
    Pump();
    Repaint(sonogram);
    const long analysed = doc->pTrackOverlays->Cache.nPitchCadresAnalysed;
    EXPECT_GT(analysed, 0);

    // A ceiling under the floor is refused with what is wrong; then OK.
    DialogDriver old = SetDialogDriver([this](CDialog& d) {
        EXPECT_EQ(d.GetTemplateID(), UINT(CKDialogTrackParams::IDD));
        EXPECT_EQ(d.GetDlgItemText(CKDialogTrackParams::IDC_PITCH_FLOOR), CString("75"));
        d.SetDlgItemText(CKDialogTrackParams::IDC_PITCH_FLOOR, "100");
        d.SetDlgItemText(CKDialogTrackParams::IDC_PITCH_CEILING, "90");
        d.ClickDlgButton(IDOK);
        EXPECT_TRUE(HasMessage("Верхняя граница основного тона должна быть выше нижней"));
        d.SetDlgItemText(CKDialogTrackParams::IDC_PITCH_CEILING, "300");
        d.SetDlgItemText(CKDialogTrackParams::IDC_NUMBER_OF_FORMANTS, "4");
        d.SetDlgItemText(CKDialogTrackParams::IDC_FORMANT_WINDOW, "0,03");
        EXPECT_EQ(d.IsDlgButtonChecked(CKDialogTrackParams::IDC_GAUSSIAN_WINDOW), 0);
        d.CheckDlgButton(CKDialogTrackParams::IDC_GAUSSIAN_WINDOW, 1);
        d.ClickDlgButton(IDOK);
    });
    main->SendMessage(WM_COMMAND, CKTrackOverlays::ID_TRACK_PARAMETERS);
    SetDialogDriver(old);
    Pump();
    EXPECT_EQ(doc->pTrackOverlays->Cache.Params().pitch.dFloor, 100);
    Repaint(sonogram);
    EXPECT_GT(doc->pTrackOverlays->Cache.nPitchCadresAnalysed, analysed);
    EXPECT_STREQ(app->GetProfileString("Tracks", "PitchCeiling", ""), "300");

    // The next document starts with them, its overlays off.
    CTembrixDoc* next = NewVowelDocument();
    ASSERT_NE(next, nullptr);
    ASSERT_NE(next, doc);
    const KTrackParams& p = next->pTrackOverlays->Cache.Params();
    EXPECT_EQ(p.pitch.dFloor, 100);
    EXPECT_EQ(p.pitch.dCeiling, 300);
    EXPECT_EQ(p.formants.nFormants, 4);
    EXPECT_EQ(p.formants.dWindowLength, 0.03);
    EXPECT_TRUE(p.pitch.bGaussian);
    EXPECT_EQ(p.pitch.dSilenceThreshold, KPitchParams{}.dSilenceThreshold);
    EXPECT_FALSE(next->pTrackOverlays->bPitch);

    // A profile edited into nonsense: an unreadable value at its default,
    // values out of range all at theirs.
    app->WriteProfileString("Tracks", "PitchCeiling", "много");
    EXPECT_EQ(KReadTrackParams(app.get()).pitch.dCeiling, 600);
    EXPECT_EQ(KReadTrackParams(app.get()).pitch.dFloor, 100);
    app->WriteProfileString("Tracks", "PitchCeiling", "50");
    EXPECT_EQ(KReadTrackParams(app.get()).pitch.dFloor, 75);
}
