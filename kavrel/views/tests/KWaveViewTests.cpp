// The oscillogram: the waveform and its scale, the captions, the up-down's
// limits, the play button, the menu toggles, persistence and the window's
// life under its wave.
#include <gtest/gtest.h>

#include "framework/base/MciService.h"

#include <QApplication>
#include <QWidget>
#include <cmath>

#include "framework/base/CArchive.h"
#include "framework/ui/CMenu.h"
#include "framework/ui/CSurface.h"
#include "kavrel/core/KWave.h"
#include "kavrel/core/KWaveFilmHelpers.h"
#include "testsupport/WavBytes.h"
#include "kavrel/views/KWaveView.h"
#include "testsupport/RecordingMci.h"
#include "testsupport/WindowPixels.h"
#include "testsupport/ScriptedMenus.h"

namespace {

constexpr unsigned kFs = 16000;
constexpr COLORREF kGreen = 0x00FF00;

struct Oscillogram {
    CKWave wave;
    std::string path;
    CKWaveView* view = nullptr;

    bool Open(const std::string& name, const std::vector<int>& samples, long width, long position)
    {
        path = wavbytes::writeFile(name, wavbytes::pcm16(1, kFs, samples));
        if (!wave.OpenKWaveFile(path.c_str(), name.c_str()))
            return false;
        wave.SetKWaveWindowWidthInSamples(width);
        wave.PositKWaveWindowOnSample(position);
        if (!wave.CreateKWaveView(nullptr))
            return false;
        view = wave.pKWaveView;
        return view != nullptr;
    }
    ~Oscillogram()
    {
        wave.DestroyKWaveViews();
        wave.CloseKWaveFile();
        std::remove(path.c_str());
    }
    // A paint leaves the crosshair shown; one timer tick takes it away.
    void PaintWithoutCrosshair()
    {
        view->Invalidate(TRUE);
        view->UpdateWindow();
        if (view->bCrosshairShown)
            view->OnTimer(CKWaveView::nCrosshairTimer);
    }
    COLORREF Screen(int x, int y) const { return ktest::ScreenPixel(view, x, y); }
    CRect Client() const { return ktest::ClientRect(view); }
};

} // namespace

TEST(KWaveView, SilentWindowWithAutomaticGainStaysOnTheAxis)
{
    Oscillogram o;
    ASSERT_TRUE(o.Open("osc-silent.wav", std::vector<int>(8000, 0), 256, 4000));
    EXPECT_STREQ(o.view->GetWindowText(), "Осциллограмма - osc-silent.wav");
    EXPECT_EQ(CKWaveView::ScaleOf(o.wave.GetKWaveWindow(), 256, true), 1);
    o.view->bShowAmplitude = o.view->bShowDuration = o.view->bShowPosition = false;
    o.PaintWithoutCrosshair();
    const CRect rc = o.Client();
    const int half = rc.Height() / 2;
    for (int x = 30; x < rc.Width() - 30; ++x) {
        EXPECT_EQ(o.Screen(x, half), kGreen) << x;
        EXPECT_EQ(o.Screen(x, half - 1), COLORREF(0)) << x;
        EXPECT_EQ(o.Screen(x, half + 1), COLORREF(0)) << x;
    }
    // The crosshair: an XOR cross through the centre.
    o.view->OnTimer(CKWaveView::nCrosshairTimer);
    EXPECT_EQ(o.Screen(rc.Width() / 2, 20), COLORREF(0xC0C0C0));
    EXPECT_EQ(o.Screen(40, half), COLORREF(kGreen ^ 0xC0C0C0));
    o.view->OnTimer(CKWaveView::nCrosshairTimer);
    EXPECT_EQ(o.Screen(rc.Width() / 2, 20), COLORREF(0));
}

TEST(KWaveView, WaveformScaledToItsPeakOrToFullScale)
{
    // A square wave between 8000 and -4000.
    std::vector<int> x(8000);
    for (size_t i = 0; i < x.size(); ++i)
        x[i] = (i / 16) % 2 ? 8000 : -4000;
    Oscillogram o;
    ASSERT_TRUE(o.Open("osc-square.wav", x, 64, 4000));
    o.view->bShowAmplitude = o.view->bShowDuration = o.view->bShowPosition = false;
    o.PaintWithoutCrosshair();
    const CRect rc = o.Client();
    const int W = rc.Width(), half = rc.Height() / 2;
    // Window sample i is file sample 3968 + i; its x is i * W / 63.
    auto y = [&](int s, double m) { return half - int(s * half / m); };
    for (int i : {1, 20, 40}) {
        const int s = x[size_t(3968 + i)];
        EXPECT_EQ(o.Screen(i * W / 63, y(s, 8000)), kGreen) << i;
    }
    o.view->OnCmdMsg(CKWaveView::ID_AUTOMATIC_GAIN);
    EXPECT_FALSE(o.view->bAutomaticGain);
    o.PaintWithoutCrosshair();
    for (int i : {1, 20, 40}) {
        const int s = x[size_t(3968 + i)];
        EXPECT_EQ(o.Screen(i * W / 63, y(s, 32768)), kGreen) << i;
        EXPECT_NE(o.Screen(i * W / 63, y(s, 8000)), kGreen) << i;
    }
}

TEST(KWaveView, CaptionsInPhysicalAndRawUnits)
{
    std::vector<int> x(16000, 0);
    x[8000 + 100] = 16384;
    Oscillogram o;
    ASSERT_TRUE(o.Open("osc-captions.wav", x, 1024, 8000));
    const long m = CKWaveView::ScaleOf(o.wave.GetKWaveWindow(), 1024, true);
    EXPECT_EQ(m, 16384);
    // 20 log10(16384 / 32767) = -6.0203; 1024 / 16000 s = 64 ms; 8000 / 16000 s.
    EXPECT_EQ(o.view->AmplitudeCaption(m), "-6.02 дБ");
    EXPECT_EQ(o.view->DurationCaption(1024), "64.00 мс");
    EXPECT_EQ(o.view->PositionCaption(8000), "0.500 с");
    o.PaintWithoutCrosshair();
    const CRect rc = o.Client();
    auto hasColour = [&](const CRect& r, COLORREF c) {
        for (int yy = r.top; yy < r.bottom; ++yy)
            for (int xx = r.left; xx < r.right; ++xx)
                if (o.Screen(xx, yy) == c)
                    return true;
        return false;
    };
    // Where the captions go (the controls keep the other two corners).
    const CRect topLeft(0, 0, 40, 14);
    const CRect bottomRight(rc.Width() - 40, rc.Height() - 14, rc.Width(), rc.Height());
    const CRect bottomCentre(rc.Width() / 2 - 20, rc.Height() - 14, rc.Width() / 2 + 20, rc.Height());
    auto anyCaption = [&](COLORREF c) {
        return hasColour(topLeft, c) || hasColour(bottomRight, c) || hasColour(bottomCentre, c);
    };
    EXPECT_TRUE(hasColour(topLeft, 0x00FFFF));
    EXPECT_TRUE(hasColour(bottomRight, 0x00FFFF));
    EXPECT_TRUE(hasColour(bottomCentre, 0x00FFFF));

    o.view->OnCmdMsg(CKWaveView::ID_PHYSICAL_UNITS);
    EXPECT_EQ(o.view->AmplitudeCaption(m), "16384");
    EXPECT_EQ(o.view->DurationCaption(1024), "1024");
    EXPECT_EQ(o.view->PositionCaption(8000), "8000");
    o.PaintWithoutCrosshair();
    EXPECT_TRUE(hasColour(topLeft, 0xFFFFFF));
    EXPECT_TRUE(hasColour(bottomRight, 0xFFFFFF));
    EXPECT_FALSE(anyCaption(0x00FFFF));
    // Without captions nothing is written.
    o.view->OnCmdMsg(CKWaveView::ID_SHOW_AMPLITUDE);
    o.view->OnCmdMsg(CKWaveView::ID_SHOW_DURATION);
    o.view->OnCmdMsg(CKWaveView::ID_SHOW_POSITION);
    o.PaintWithoutCrosshair();
    EXPECT_FALSE(anyCaption(0xFFFFFF));
}

TEST(KWaveView, UpDownKeepsTheWindowWithinTwoAnd4096Samples)
{
    Oscillogram o;
    ASSERT_TRUE(o.Open("osc-spin.wav", std::vector<int>(8000, 0), 1024, 4000));
    ASSERT_NE(o.view->GetDlgItem(CKWaveView::IDC_WAVE_VIEW_SPIN), nullptr);
    // Halving: 1024 512 ... 4 2, and no further.
    std::vector<long> widths;
    for (int k = 0; k < 11; ++k) {
        o.view->Spin.PressArrow(true);
        widths.push_back(o.wave.GetKWaveWindowWidthInSamples());
    }
    EXPECT_EQ(widths, (std::vector<long>{512, 256, 128, 64, 32, 16, 8, 4, 2, 2, 2}));
    // Doubling up to 4096, and no further.
    for (int k = 0; k < 13; ++k)
        o.view->Spin.PressArrow(false);
    EXPECT_EQ(o.wave.GetKWaveWindowWidthInSamples(), 4096);
    // Two samples at a time: 4096 does not grow, 4094 does.
    o.view->OnCmdMsg(CKWaveView::ID_DOUBLE_OR_HALVE);
    o.view->Spin.PressArrow(false);
    EXPECT_EQ(o.wave.GetKWaveWindowWidthInSamples(), 4096);
    o.view->Spin.PressArrow(true);
    EXPECT_EQ(o.wave.GetKWaveWindowWidthInSamples(), 4094);
    o.view->Spin.PressArrow(false);
    EXPECT_EQ(o.wave.GetKWaveWindowWidthInSamples(), 4096);
    o.wave.SetKWaveWindowWidthInSamples(6);
    o.view->Spin.PressArrow(true);
    o.view->Spin.PressArrow(true);
    o.view->Spin.PressArrow(true);
    EXPECT_EQ(o.wave.GetKWaveWindowWidthInSamples(), 2);
}

TEST(KWaveView, MenuTogglesAndTheirChecksAndTheControls)
{
    Oscillogram o;
    ASSERT_TRUE(o.Open("osc-menu.wav", std::vector<int>(8000, 0), 256, 4000));
    ktest::ScriptedMenus menus(CKWaveView::ID_SHOW_SPIN);
    menus.OpenContextMenu(o.view);
    int toggles = 0;
    for (const KShownMenuItem& it : menus.shown.items) {
        if (it.nID >= 36771 && it.nID <= 36778) {
            EXPECT_TRUE(it.bChecked) << it.nID; // everything is on at first
            ++toggles;
        }
    }
    EXPECT_EQ(toggles, 8);
    EXPECT_FALSE(o.view->bSpinShown);
    EXPECT_FALSE(o.view->Spin.GetWidget()->isVisibleTo(o.view->GetWidget()));
    CCmdUI ui(CKWaveView::ID_SHOW_SPIN);
    ASSERT_TRUE(o.view->OnUpdateCmdUI(&ui));
    EXPECT_EQ(ui.m_nCheck, 0);
    o.view->OnCmdMsg(CKWaveView::ID_SHOW_PLAY_BUTTON);
    EXPECT_FALSE(o.view->PlayButton.GetWidget()->isVisibleTo(o.view->GetWidget()));
    // The controls sit in the corners: up-down bottom left, button top right.
    o.view->OnCmdMsg(CKWaveView::ID_SHOW_SPIN);
    o.view->OnCmdMsg(CKWaveView::ID_SHOW_PLAY_BUTTON);
    const CRect rc = o.Client();
    EXPECT_EQ(o.view->Spin.GetWidget()->geometry(), QRect(0, rc.Height() - 14, 28, 14));
    EXPECT_EQ(o.view->PlayButton.GetWidget()->geometry(), QRect(rc.Width() - 14, 0, 14, 14));
    EXPECT_EQ(o.view->GetWidget()->minimumSize(), QSize(300, 100));
}

TEST(KWaveView, SerializeWritesSixBytesInOrderAndAShortArchiveFailsCleanly)
{
    Oscillogram o;
    ASSERT_TRUE(o.Open("osc-archive.wav", std::vector<int>(8000, 0), 256, 4000));
    CKWaveView& v = *o.view;
    v.bAutomaticGain = true;
    v.bDoubleOrHalve = false;
    v.bShowAmplitude = true;
    v.bPhysicalUnits = false;
    v.bShowPosition = false;
    v.bShowDuration = true;
    std::vector<BYTE> bytes;
    {
        CArchive ar(&bytes, CArchive::store);
        v.Serialize(ar);
        ar.Close();
    }
    // Gain, double-or-halve, amplitude, units, position, duration.
    EXPECT_EQ(bytes, (std::vector<BYTE>{1, 0, 1, 0, 0, 1}));

    std::vector<BYTE> in{0, 1, 0, 1, 1, 0};
    {
        CArchive ar(&in, CArchive::load);
        v.Serialize(ar);
    }
    EXPECT_FALSE(v.bAutomaticGain);
    EXPECT_TRUE(v.bDoubleOrHalve);
    EXPECT_FALSE(v.bShowAmplitude);
    EXPECT_TRUE(v.bPhysicalUnits);
    EXPECT_TRUE(v.bShowPosition);
    EXPECT_FALSE(v.bShowDuration);

    std::vector<BYTE> shortOne{1, 0, 1, 0, 0};
    int cause = -1;
    try {
        CArchive ar(&shortOne, CArchive::load);
        v.Serialize(ar);
    } catch (const CArchiveException& e) {
        cause = e.m_cause;
    }
    EXPECT_EQ(cause, int(CArchiveException::endOfFile));
    EXPECT_FALSE(v.bAutomaticGain); // unchanged
    EXPECT_TRUE(v.bShowPosition);
}

TEST(KWaveView, CloseBoxOnlyHidesAndTheWaveOwnsTheWindow)
{
    Oscillogram o;
    ASSERT_TRUE(o.Open("osc-life.wav", std::vector<int>(8000, 0), 256, 4000));
    o.wave.ShowKWaveWindow(true);
    EXPECT_TRUE(o.view->IsWindowVisible());
    EXPECT_TRUE(o.view->GetWidget()->isWindow());
    CRect rc;
    o.view->GetWindowRect(&rc);
    EXPECT_EQ(o.view->GetWidget()->size(), QSize(300, 150));
    o.view->GetWidget()->close();
    EXPECT_FALSE(o.view->IsWindowVisible());
    EXPECT_EQ(o.wave.pKWaveView, o.view);
    o.wave.ShowKWaveWindow(true);
    EXPECT_TRUE(o.view->IsWindowVisible());
    o.wave.ShowKWaveWindow(false);
    EXPECT_FALSE(o.view->IsWindowVisible());

    // A repaint request through the core's hook.
    o.PaintWithoutCrosshair();
    o.wave.RepaintKWaveWindow();
    CRect dirty;
    EXPECT_TRUE(o.view->GetUpdateRect(&dirty));

    o.wave.DestroyKWaveViews();
    EXPECT_EQ(o.wave.pKWaveView, nullptr);
    o.wave.RepaintKWaveWindow(); // nothing there: nothing happens

    // A wave that goes away takes its window along.
    auto other = std::make_unique<CKWave>();
    ASSERT_TRUE(other->OpenKWaveFile(o.path.c_str(), "osc-life.wav"));
    ASSERT_TRUE(other->CreateKWaveView(nullptr));
    other.reset();
}

TEST(KWaveView, PlayButtonPlaysTheWindow)
{
    Oscillogram o;
    ASSERT_TRUE(o.Open("osc-play.wav", std::vector<int>(8000, 0), 256, 4000));
    CRecordingMci mci;
    IMciService* before = SetMciService(&mci);
    o.view->ClickDlgButton(CKWaveView::IDC_WAVE_VIEW_PLAY);
    SetMciService(before);
    EXPECT_EQ(mci.played, (std::vector<std::pair<long, long>>{{4000 - 128, 4000 + 128}}));
}

TEST(KWaveView, CaretMovesOfTheFilmRepaintItsOscillogram)
{
    std::vector<int> x(16000);
    for (size_t i = 0; i < x.size(); ++i)
        x[i] = int(i % 200) * 100 - 10000;
    const std::string path = wavbytes::writeFile("osc-caret.wav", wavbytes::pcm16(1, kFs, x));
    CKWaveFilm film;
    ASSERT_TRUE(OpenKWaveFilmOnWholeFile(film, path.c_str(), "osc-caret.wav", 1024));
    ASSERT_TRUE(film.CreateKWaveView(nullptr));
    CKWaveView* view = film.pKWaveView;
    view->UpdateWindow();
    CRect dirty;
    ASSERT_FALSE(view->GetUpdateRect(&dirty));
    // A click in the sonogram moves the film's caret: the window follows it.
    film.SetKCaretCadre(40);
    EXPECT_TRUE(view->GetUpdateRect(&dirty));
    EXPECT_EQ(film.GetKWaveWindowSamplePosition(), 40 * 102);
    EXPECT_EQ(view->PositionCaption(film.GetKWaveWindowSamplePosition()), "0.255 с"); // 4080 / 16000
    film.DestroyKWaveViews();
    film.CloseKWaveFile();
    std::remove(path.c_str());
}
