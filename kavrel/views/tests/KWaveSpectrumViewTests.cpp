// The instant spectrum: its scale and labels, the slope lines, the bright
// and dim parts of the spectral lines, the phase panel, the blinking caret
// row and the context menu. NFFT 1024 gives 512 lines, one row each.
#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>

#include "framework/ui/CMenu.h"
#include "kavrel/views/KWaveSpectrumView.h"
#include "kavrel/views/tests/FloatingWindowTestSupport.h"
#include "testsupport/ScriptedMenus.h"

using namespace floating_test;

namespace {

constexpr unsigned kFs = 16000;
constexpr int kNFFT = 1024;
constexpr int N = kNFFT / 2;

using View = CKWaveSpectrumView;

// Row of spectral line i (i = 1 ... 511).
int RowOfLine(int i)
{
    return (N - i) * 512 / N + 50;
}

class SpectrumWindow : public FloatingWindowTest {
protected:
    // A window on a film of the samples, the caret on sample 8000 at the
    // lowest frequency (its row lies on the frame's bottom edge).
    View* Open(const char* name, const std::vector<int>& samples)
    {
        OpenFilm(name, samples, kFs, kNFFT);
        return OpenWindowAtCaret(&CKWaveFilm::CreateKWaveSpectrumView, &CKWaveFilm::pKWaveSpectrumView);
    }
    View* OpenSilence(const char* name) { return Open(name, std::vector<int>(16000, 0)); }
    double Zero() const { return 20 * std::log10(double(kFs) * 32767); }
};

// Whether anything but the window's background lies in the rectangle.
bool HasInk(View* v, int left, int top, int right, int bottom)
{
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            if (Pixel(v, x, y) != View::kBackColour)
                return true;
    return false;
}

} // namespace

TEST_F(SpectrumWindow, ScaleGridAndLabels)
{
    View* v = OpenSilence("spectrum-scale.wav");
    // 80 dB: seven grid lines at e·224/8 + 10 over the black plot; the
    // frame and divider in yellow.
    for (int e = 1; e < 8; ++e)
        EXPECT_EQ(Pixel(v, e * 28 + 10, 300), View::kGridColour) << e;
    EXPECT_EQ(Pixel(v, 300, 50), View::kFrameColour | View::kBackColour); // merged
    EXPECT_EQ(Pixel(v, 300, 561), View::kFrameColour | View::kBackColour);
    EXPECT_EQ(Pixel(v, 5, 300), View::kBackColour);
    // The label "-10" of the first line stands above it, read upwards.
    EXPECT_TRUE(HasInk(v, 28, 0, 40, 46));

    // 120 dB: eleven lines; the label of the first is left out, "-20" is there.
    v->OnCmdMsg(View::ID_AMPL_RANGE_LAST, 0);
    EXPECT_EQ(v->nAmplRange, 12);
    Paint(v);
    for (int e = 1; e < 10; ++e)
        EXPECT_EQ(Pixel(v, e * 224 / 12 + 10, 300), View::kGridColour) << e;
    EXPECT_FALSE(HasInk(v, 26, 0, 37, 46));
    EXPECT_TRUE(HasInk(v, 42, 0, 54, 46));
    // 90 dB still labels its first line, which stands at 34.
    v->OnCmdMsg(View::ID_AMPL_RANGE_FIRST + 8, 0);
    Paint(v);
    EXPECT_TRUE(HasInk(v, 26, 0, 37, 46));
}

TEST_F(SpectrumWindow, SlopeLinesAndTheirCaption)
{
    View* v = OpenSilence("spectrum-slope.wav");
    EXPECT_TRUE(v->bHideSlopeLines);
    EXPECT_FALSE(HasInk(v, 10, 564, 300, 590));
    v->OnCmdMsg(View::ID_SHOW_SLOPE_LINES, 0);
    EXPECT_FALSE(v->bHideSlopeLines);
    Paint(v);
    // Index 6 is 6.02 dB per octave; the caption stands under the plot.
    EXPECT_EQ(std::string(v->SlopeCaption().GetString()), "Линии убывания = 6.02 дБ/окт");
    EXPECT_TRUE(HasInk(v, 10, 564, 300, 590));
    // The first line starts on the first grid line at the top and bends
    // left: line n at row 51 + (511 − n); line 256 is at row 306, x =
    // (6.0206 · log2(256/511) / 10 + 1) · 28 + 10 = 21.19.
    EXPECT_EQ(Pixel(v, 21, 306), View::kSlopeColour);
    EXPECT_EQ(Pixel(v, 38, 306), View::kGridColour);

    // Index 0: no decline, the lines stand upright under the grid lines,
    // merged with them.
    v->OnCmdMsg(View::ID_SLOPE_0, 0);
    EXPECT_EQ(v->nSlope, 0);
    Paint(v);
    EXPECT_EQ(std::string(v->SlopeCaption().GetString()), "Линии убывания = 0.00 дБ/окт");
    for (int y : {60, 306, 550}) {
        EXPECT_EQ(Pixel(v, 38, y), View::kSlopeColour | View::kGridColour) << y;
        EXPECT_EQ(Pixel(v, 66, y), View::kSlopeColour | View::kGridColour) << y;
        EXPECT_EQ(Pixel(v, 21, y), RGB(0, 0, 0)) << y;
    }
    v->OnCmdMsg(View::ID_SLOPE_40, 0);
    EXPECT_EQ(v->nSlope, 40);
}

TEST_F(SpectrumWindow, BrightPartOfEachLineLiesAboveItsDownLevel)
{
    View* v = Open("spectrum-tone.wav", Partials({1000, 3000}, 12000, 16000, kFs));
    // A down level that differs line by line: Z − 30 below line 128, Z − 50 above.
    CKWaveFilm& film = file->film;
    for (int i = 0; i < N; ++i)
        film.validDownLevel.pArray[i] = float(Zero() - (i < 128 ? 30 : 50));
    Paint(v);

    // The caret's cadre, computed here the same way the film computes cadres.
    CKSpectrum* s = film.pS0;
    s->Wave.PositKWaveWindowOnSample(8000);
    film.FFT.CalculateWithWeighting(s);
    std::vector<double> a(N);
    s->CalculateAmpl_dB_(a.data());

    int brightRows = 0;
    for (int i = 1; i < N; ++i) {
        const int y = RowOfLine(i);
        const int xa = std::clamp(int((Zero() - a[i]) / 80 * 224), 0, 224) + 10;
        // 30 or 50 dB of 80 over 224 pixels: 84 or 140, less a hair of the float's rounding.
        const int xd = int((Zero() - film.validDownLevel.pArray[i]) / 80 * 224) + 10;
        EXPECT_NEAR(xd, i < 128 ? 94 : 150, 1);
        if (xa < xd)
            ++brightRows;
        for (int x = 13; x < 234; ++x) {
            // Grid lines and the down level's own curve cross the rows.
            if ((x - 10) % 28 == 0 || x == xd || (i >= 127 && i <= 128))
                continue;
            const COLORREF p = Pixel(v, x, y);
            if (x < xa)
                EXPECT_TRUE(p != View::kStrongColour && p != View::kWeakColour) << i << " " << x;
            else if (x < xd)
                EXPECT_EQ(p, View::kStrongColour) << i << " " << x;
            else
                EXPECT_EQ(p, View::kWeakColour) << i << " " << x;
        }
    }
    EXPECT_GT(brightRows, 10); // both partials rise above their levels
}

TEST_F(SpectrumWindow, LevelCurvesAndAFlatPhaseSum)
{
    View* v = OpenSilence("spectrum-flat.wav");
    // Silence: no spectral line reaches into the panel, every phase step is 0.
    // The up level at Z sits at x = 10 (on the frame), the down level at Z − 100
    // lies beyond 224 pixels and is drawn at the divider; then the flat phase
    // sum covers the panel's left edge in the dim colour.
    for (int y = 60; y < 550; y += 7) {
        EXPECT_EQ(Pixel(v, 234, y), View::kWeakColour) << y;
        for (int x = 236; x < 433; ++x)
            ASSERT_EQ(Pixel(v, x, y), RGB(0, 0, 0)) << x << " " << y;
        EXPECT_EQ(Pixel(v, 100, y), RGB(0, 0, 0)) << y;
    }
    // A down level 40 dB below zero is a blue curve at 40/80 · 224 + 10 = 122
    // (on a grid line: it covers it).
    file->film.MoveSpectrumAmplValidDownLevel_dB(60);
    Paint(v);
    EXPECT_EQ(Pixel(v, 122, 300), View::kDownLevelColour);
    EXPECT_EQ(Pixel(v, 234, 300), View::kWeakColour);
}

TEST_F(SpectrumWindow, CaretRowBlinksAndFollowsTheFrequency)
{
    View* v = OpenSilence("spectrum-caret.wav");
    CKWaveFilm& film = file->film;
    film.SetKCaretFrequency(4000); // row (1 − 2·4000/16000)·512 = 256, y = 306
    Paint(v);
    const COLORREF on = View::kGridColour; // XOR over the black phase panel
    EXPECT_TRUE(v->bCaretShown);
    EXPECT_EQ(Pixel(v, 300, 306), on);
    v->OnTimer(View::nBlinkTimer);
    EXPECT_FALSE(v->bCaretShown);
    EXPECT_EQ(Pixel(v, 300, 306), RGB(0, 0, 0));
    v->OnTimer(View::nBlinkTimer);
    EXPECT_EQ(Pixel(v, 300, 306), on);
    // A new frequency: the old row is cleared, the new one drawn at once.
    film.SetKCaretFrequency(2000); // row 384, y = 434
    v->OnTimer(View::nBlinkTimer);
    EXPECT_TRUE(v->bCaretShown);
    EXPECT_EQ(Pixel(v, 300, 306), RGB(0, 0, 0));
    EXPECT_EQ(Pixel(v, 300, 434), on);
}

TEST_F(SpectrumWindow, ContextMenuRangesAndSlopes)
{
    View* v = OpenSilence("spectrum-menu.wav");
    ktest::ScriptedMenus menus(View::ID_AMPL_RANGE_FIRST + 9); // "100 дБ"
    menus.OpenContextMenu(v);
    EXPECT_EQ(v->nAmplRange, 10);
    std::vector<UINT> checked;
    for (const KShownMenuItem& it : menus.shown.items)
        if (it.bChecked)
            checked.push_back(it.nID);
    // Range 80 dB and slope 6 were current.
    EXPECT_EQ(checked, std::vector<UINT>({36824, 36850}));

    // "20" stands in both submenus as one command, checked in both.
    menus.choice = 36857;
    menus.OpenContextMenu(v, CPoint(100, 100));
    EXPECT_EQ(v->nSlope, 20);
    menus.choice = View::ID_SHOW_SLOPE_LINES;
    menus.OpenContextMenu(v, CPoint(100, 100));
    EXPECT_FALSE(v->bHideSlopeLines);
    checked.clear();
    int twenties = 0;
    for (const KShownMenuItem& it : menus.shown.items) {
        if (it.bChecked)
            checked.push_back(it.nID);
        twenties += it.nID == 36857;
    }
    EXPECT_EQ(twenties, 2);
    EXPECT_EQ(checked, std::vector<UINT>({36826, 36857, 36857}));
    // Every command repaints.
    Paint(v);
    EXPECT_FALSE(v->GetUpdateRect(nullptr));
    v->OnCmdMsg(View::ID_SLOPE_2, 0);
    EXPECT_TRUE(v->GetUpdateRect(nullptr));
}
