#include <gtest/gtest.h>

#include <QWidget>

#include <cmath>
#include <functional>

#include "framework/base/ScriptedUserInteraction.h"
#include "kavrel/views/DialogAdjustSpectraVisualLevels.h"
#include "kavrel/views/KHearingThreshold.h"
#include "kavrel/views/tests/ViewTestSupport.h"

namespace {

// NFFT 16 at 8000 Hz: 8 lines 500 Hz apart; a view 4 columns wide.
class AdjustLevels : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::vector<int> x(2000);
        for (size_t i = 0; i < x.size(); ++i)
            x[i] = int(3000 * std::sin(0.3 * double(i)));
        s = std::make_unique<CSonogramOnFile>("adjust-levels.wav", 1, 8000, x, 16, 4);
        ASSERT_TRUE(s->bOpen);
        ASSERT_EQ(s->view->nColumns, 4);
        ASSERT_EQ(s->view->nLines, 8);
        // Known amplitudes: line i of column c holds 10·i + c², so per line
        // max 10i + 9, mean 10i + 3.5, deviation sqrt(24.5 − 3.5²) = 3.5.
        for (int c = 0; c < 4; ++c)
            for (int i = 0; i < 8; ++i)
                s->view->amplBuffer.pArray[c * 8 + i] = float(10 * i + c * c);
        zero = 20 * std::log10(8000. * 32767);
    }

    INT_PTR run(const std::function<void(CDialog&)>& script)
    {
        CDialogAdjustSpectraVisualLevels dlg(s->view.get());
        DialogDriver old = SetDialogDriver([&](CDialog& d) { script(d); });
        INT_PTR r = dlg.DoModal();
        SetDialogDriver(old);
        return r;
    }
    float up(int i) const { return s->film.validUpLevel.pArray[i]; }
    float down(int i) const { return s->film.validDownLevel.pArray[i]; }

    CScriptedUserInteraction ui;
    std::unique_ptr<CSonogramOnFile> s;
    double zero = 0;
};

} // namespace

TEST_F(AdjustLevels, EveryLevelCommand)
{
    run([&](CDialog& d) {
        // Only the tracer's view chooses visible maxima.
        EXPECT_TRUE(d.GetDlgItem(5130)->GetWidget()->isHidden());
        EXPECT_TRUE(d.IsDlgButtonChecked(5064)); // the upper level
        EXPECT_TRUE(d.IsDlgButtonChecked(5045)); // coarse
        d.ClickDlgButton(5028);                  // Maxim
        for (int i = 0; i < 8; ++i) {
            EXPECT_FLOAT_EQ(up(i), 10 * i + 9) << i;
            // The lower level gives way to keep 1 dB below.
            EXPECT_NEAR(down(i), std::min(zero - 100, 10. * i + 8), 1e-4) << i;
        }
        d.ClickDlgButton(5101); // the lower level
        d.ClickDlgButton(5049); // MiL
        for (int i = 0; i < 8; ++i)
            EXPECT_FLOAT_EQ(down(i), 0) << i;
        d.ClickDlgButton(5030); // E + S
        for (int i = 0; i < 8; ++i)
            EXPECT_NEAR(down(i), 10 * i + 7, 1e-3) << i;
        d.ClickDlgButton(5029); // E
        for (int i = 0; i < 8; ++i)
            EXPECT_FLOAT_EQ(down(i), 10 * i + 3.5f) << i;
        d.ClickDlgButton(5031); // E - S
        for (int i = 0; i < 8; ++i)
            EXPECT_NEAR(down(i), 10 * i, 1e-3) << i;
        d.ClickDlgButton(5048); // MaL: 79 everywhere, the upper level rises to 80
        for (int i = 0; i < 8; ++i) {
            EXPECT_FLOAT_EQ(down(i), 79) << i;
            EXPECT_FLOAT_EQ(up(i), 80) << i;
        }
        d.ClickDlgButton(5050); // Line, lower: Z − 100
        for (int i = 0; i < 8; ++i)
            EXPECT_NEAR(down(i), zero - 100, 1e-4) << i;
        d.ClickDlgButton(5064);
        d.ClickDlgButton(5050); // Line, upper: Z
        for (int i = 0; i < 8; ++i)
            EXPECT_NEAR(up(i), zero, 1e-4) << i;
        d.ClickDlgButton(5052); // Слух, upper: Z + H(500·i); H(0) is 1000
        EXPECT_NEAR(up(0), zero + 1000, 1e-3);
        EXPECT_NEAR(up(2), zero + 3.37, 1e-4);
        EXPECT_NEAR(up(4), zero - 0.25, 1e-4);
        EXPECT_NEAR(up(7), zero - 4.86, 1e-4);
        d.ClickDlgButton(5101);
        d.ClickDlgButton(5052); // Слух, lower: 100 dB below
        EXPECT_NEAR(down(2), zero + 3.37 - 100, 1e-4);
        EXPECT_NEAR(down(7), zero - 4.86 - 100, 1e-4);
        d.ClickDlgButton(IDOK);
    });
    EXPECT_NEAR(up(4), zero - 0.25, 1e-4); // OK keeps it all
}

TEST_F(AdjustLevels, AmplitudeSpinMovesTheChosenLevelWithTheMargin)
{
    const int requests = s->view->nPictureRequests;
    run([&](CDialog& d) {
        const float up0 = up(3), down0 = down(3);
        d.PressSpin(5044, true); // coarse: +10 dB
        EXPECT_FLOAT_EQ(up(3), up0 + 10);
        d.ClickDlgButton(5045); // fine: 1 dB a step
        d.PressSpin(5044, false);
        d.PressSpin(5044, false);
        EXPECT_FLOAT_EQ(up(3), up0 + 8);
        EXPECT_FLOAT_EQ(down(3), down0);
        d.ClickDlgButton(5045);
        for (int k = 0; k < 11; ++k)
            d.PressSpin(5044, false); // 110 dB down: the lower level follows 1 dB below
        EXPECT_FLOAT_EQ(up(3), up0 - 102);
        EXPECT_FLOAT_EQ(down(3), up0 - 103);
        d.ClickDlgButton(5101);
        d.PressSpin(5044, true); // lower up 10: the upper gives way
        EXPECT_FLOAT_EQ(down(3), up0 - 93);
        EXPECT_FLOAT_EQ(up(3), up0 - 92);
        d.ClickDlgButton(IDOK);
    });
    // Initialisation, the coarse toggles change nothing; every move asks for a picture.
    EXPECT_GE(s->view->nPictureRequests - requests, 1 + 3 + 11 + 1 + 1);
}

TEST_F(AdjustLevels, TypesInversionAndPhaseControls)
{
    s->film.displayFlags = 0x100 | 0x020;
    run([&](CDialog& d) {
        EXPECT_TRUE(d.IsDlgButtonChecked(5124));
        EXPECT_TRUE(d.IsDlgButtonChecked(5106));
        EXPECT_FALSE(d.GetDlgItem(5122)->IsWindowEnabled()); // ФИОТ
        for (int id : {5105, 5065, 5107, 5063, 5067, 5051})
            EXPECT_FALSE(d.GetDlgItem(id)->IsWindowEnabled()) << id;
        d.ClickDlgButton(5102);
        EXPECT_EQ(s->film.displayFlags, 0x002 | 0x020);
        for (int id : {5105, 5065, 5107, 5063, 5067, 5051})
            EXPECT_TRUE(d.GetDlgItem(id)->IsWindowEnabled()) << id;
        for (int slot = 0; slot < 4; ++slot)
            EXPECT_EQ(s->view->spectraColumnMap.pArray[slot], CKWaveFilmView::SlotDisplayTypeChanged);
        d.ClickDlgButton(5106);
        EXPECT_EQ(s->film.displayFlags, 0x002);
        const int types[6][2] = {{5074, 1}, {5124, 0x100}, {5102, 2}, {5069, 4}, {5121, 0x40}};
        for (int k = 0; k < 5; ++k) {
            d.ClickDlgButton(types[k][0]);
            EXPECT_EQ(s->film.displayFlags, types[k][1]);
        }
        d.ClickDlgButton(5122); // disabled: nothing
        EXPECT_EQ(s->film.displayFlags, 0x40);

        // Harmonogram: the spin moves its bounds by a tenth.
        d.PressSpin(5044, true);
        EXPECT_DOUBLE_EQ(s->film.harmonogramUp, 1.1);
        d.ClickDlgButton(5101);
        d.PressSpin(5044, false);
        EXPECT_DOUBLE_EQ(s->film.harmonogramDown, -0.1);

        // Phase of amplitude growth: the target chooses the limits.
        d.ClickDlgButton(5102);
        d.ClickDlgButton(5051); // Initial, "Роста": the positive limit alone
        EXPECT_FLOAT_EQ(s->film.phaseLimitPos, 1e-3f);
        EXPECT_FLOAT_EQ(s->film.phaseLimitNeg, -1e-25f);
        d.ClickDlgButton(5107); // both
        d.ClickDlgButton(5067); // Maximum
        EXPECT_FLOAT_EQ(s->film.phaseLimitPos, 1e-25f);
        EXPECT_FLOAT_EQ(s->film.phaseLimitNeg, -1e-25f);
        d.PressSpin(5063, true); // coarse: × 2
        EXPECT_FLOAT_EQ(s->film.phaseLimitPos, 2e-25f);
        EXPECT_FLOAT_EQ(s->film.phaseLimitNeg, -2e-25f);
        d.ClickDlgButton(5065); // the negative limit alone
        d.PressSpin(5063, false);
        EXPECT_FLOAT_EQ(s->film.phaseLimitNeg, -1e-25f);
        d.PressSpin(5063, false); // −5e−26 would saturate less than the floor: back to −1e−25
        EXPECT_FLOAT_EQ(s->film.phaseLimitNeg, -1e-25f);
        EXPECT_FLOAT_EQ(s->film.phaseLimitPos, 2e-25f);
        d.ClickDlgButton(5105);
        d.ClickDlgButton(5045); // fine: × 2^(−1/10)
        d.PressSpin(5063, false);
        EXPECT_NEAR(s->film.phaseLimitPos, 2e-25 * std::pow(2, -0.1), 1e-31);
        d.ClickDlgButton(5045);
        d.PressSpin(5063, false); // 9.33e−26
        d.PressSpin(5063, false); // 4.67e−26 < 5e−26: reset to 1e−25
        EXPECT_FLOAT_EQ(s->film.phaseLimitPos, 1e-25f);

        // Phase of frequency growth works on its own limits.
        d.ClickDlgButton(5069);
        d.ClickDlgButton(5107);
        d.ClickDlgButton(5051);
        EXPECT_FLOAT_EQ(s->film.phaseFreqLimitPos, 1e-4f);
        EXPECT_FLOAT_EQ(s->film.phaseFreqLimitNeg, -1e-4f);
        d.ClickDlgButton(5067);
        EXPECT_FLOAT_EQ(s->film.phaseFreqLimitPos, 1e-28f);
        d.PressSpin(5063, false); // 5e−29: not below 5e−29, kept; the negative −5e−29 is reset
        EXPECT_FLOAT_EQ(s->film.phaseFreqLimitPos, 5e-29f);
        EXPECT_FLOAT_EQ(s->film.phaseFreqLimitNeg, -1e-28f);
        EXPECT_FLOAT_EQ(s->film.phaseLimitPos, 1e-25f);
        d.ClickDlgButton(IDOK);
    });
    EXPECT_EQ(s->film.displayFlags, 0x004);
}

TEST_F(AdjustLevels, CancelRestoresEverythingAfterLiveChanges)
{
    CKWaveFilm& f = s->film;
    f.validUpLevel.pArray[5] = 150;
    f.validDownLevel.pArray[5] = 20;
    std::vector<float> up0(f.validUpLevel.pArray, f.validUpLevel.pArray + 8);
    std::vector<float> down0(f.validDownLevel.pArray, f.validDownLevel.pArray + 8);
    f.phaseLimitPos = 3e-20f;
    f.harmonogramUp = 2.5;
    f.auxRangeUp = 77;
    int requests = 0;
    const INT_PTR r = run([&](CDialog& d) {
        d.ClickDlgButton(5028);
        d.ClickDlgButton(5101);
        d.ClickDlgButton(5048);
        d.PressSpin(5044, true);
        d.ClickDlgButton(5102);
        d.ClickDlgButton(5051);
        d.ClickDlgButton(5107);
        d.PressSpin(5063, true);
        d.ClickDlgButton(5121);
        d.PressSpin(5044, true);
        d.ClickDlgButton(5106);
        EXPECT_NE(f.displayFlags, 1);
        EXPECT_NE(f.validUpLevel.pArray[5], 150);
        requests = s->view->nPictureRequests;
        d.ClickDlgButton(IDCANCEL);
    });
    EXPECT_EQ(r, IDCANCEL);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(f.validUpLevel.pArray[i], up0[size_t(i)]) << i;
        EXPECT_EQ(f.validDownLevel.pArray[i], down0[size_t(i)]) << i;
    }
    EXPECT_EQ(f.displayFlags, 1);
    EXPECT_FLOAT_EQ(f.phaseLimitPos, 3e-20f);
    EXPECT_FLOAT_EQ(f.phaseLimitNeg, -1e-25f);
    EXPECT_DOUBLE_EQ(f.harmonogramUp, 2.5);
    EXPECT_DOUBLE_EQ(f.harmonogramDown, 0.0);
    EXPECT_DOUBLE_EQ(f.auxRangeUp, 77);
    // The picture is asked for once more, and the spectra, computed last as
    // a harmonogram, are computed again for the type restored.
    EXPECT_EQ(s->view->nPictureRequests, requests + 1);
    for (int slot = 0; slot < 4; ++slot)
        EXPECT_EQ(s->view->spectraColumnMap.pArray[slot], CKWaveFilmView::SlotDisplayTypeChanged);
    EXPECT_TRUE(ui.m_messages.empty());
}

TEST(KHearingThreshold, TableAndCurve)
{
    const auto& t = KHearingThresholdTable();
    ASSERT_EQ(t.size(), 324u);
    EXPECT_EQ(t.front(), std::make_pair(31.25, 58.23));
    EXPECT_EQ(t.back(), std::make_pair(20000., 124.47));
    for (size_t i = 1; i < t.size(); ++i)
        ASSERT_LT(t[i - 1].first, t[i].first) << i;
    const std::pair<double, double> rows[] = {
        {31.25, 58.23}, {46.88, 42.1},  {62.5, 33.44},   {125, 19.2},     {406.25, 7.44},  {1000, 3.37},
        {2000, -0.25},  {3500, -4.86},  {6000, 2.08},    {10250, 11.6},   {15000, 51.04},  {16000, 65.67},
        {17000, 80.37}, {18000, 95.07}, {19000, 109.77}, {20000, 124.47}};
    for (const auto& row : rows)
        EXPECT_DOUBLE_EQ(KHearingThreshold_dB(row.first), row.second) << row.first;
    // Between two measured rows the curve stays between their levels.
    for (size_t k = 0; k + 1 < std::size(rows); ++k) {
        const double lo = std::min(rows[k].second, rows[k + 1].second);
        const double hi = std::max(rows[k].second, rows[k + 1].second);
        for (int j = 1; j < 40; ++j) {
            const double f = rows[k].first + (rows[k + 1].first - rows[k].first) * j / 40;
            const double h = KHearingThreshold_dB(f);
            EXPECT_GE(h, lo - 1e-9) << f;
            EXPECT_LE(h, hi + 1e-9) << f;
        }
    }
    // Outside the table: straight lines continuing its ends.
    EXPECT_GT(KHearingThreshold_dB(20), 58.23);
    EXPECT_NEAR(KHearingThreshold_dB(20) - KHearingThreshold_dB(25), KHearingThreshold_dB(25) - KHearingThreshold_dB(30),
                1e-9);
    EXPECT_GT(KHearingThreshold_dB(21000), 124.47);
    EXPECT_NEAR(KHearingThreshold_dB(22000) - KHearingThreshold_dB(21000),
                KHearingThreshold_dB(21000) - KHearingThreshold_dB(20000), 1e-9);
    EXPECT_EQ(KHearingThreshold_dB(0), 1000);
    EXPECT_EQ(KHearingThreshold_dB(-3), 1000);
}
