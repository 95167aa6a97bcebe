#include <gtest/gtest.h>

#include "framework/base/ScriptedUserInteraction.h"
#include "kavrel/core/KWaveFilm.h"
#include "kavrel/views/KWaveFilmDialogHowToShowTooltip.h"

namespace {
const int kFrequencyRadios[4] = {5108, 5109, 5120, 5110};
const int kTimeRadios[3] = {5111, 5112, 5113};
const int kPowerRadios[3] = {5117, 5118, 5119};

template <int N> int checkedIndex(CDialog& d, const int (&ids)[N])
{
    int index = -1;
    for (int i = 0; i < N; ++i) {
        if (d.IsDlgButtonChecked(ids[i]))
            index = index < 0 ? i : 100; // two checked is wrong
    }
    return index;
}
} // namespace

TEST(KWaveFilmDialogHowToShowTooltip, EveryFlagWordRoundTrips)
{
    // Every pattern of each group's bits, the meaningless ones included:
    // those read as "Не показывать" and come back as no bits.
    const int timeBits[4] = {0, 1, 2, 3}, timeIndex[4] = {2, 0, 1, 2}, timeBack[4] = {0, 1, 2, 0};
    const int freqBits[8] = {0, 4, 8, 12, 16, 20, 24, 28}, freqIndex[8] = {3, 0, 1, 3, 2, 3, 3, 3},
              freqBack[8] = {0, 4, 8, 0, 16, 0, 0, 0};
    const int powerBits[4] = {0, 0x20, 0x40, 0x60}, powerIndex[4] = {2, 0, 1, 2}, powerBack[4] = {0, 0x20, 0x40, 0};
    int checked = 0;
    for (int high : {0, 0x180}) {
        for (int t = 0; t < 4; ++t) {
            for (int f = 0; f < 8; ++f) {
                for (int p = 0; p < 4; ++p) {
                    CKWaveFilmDialogHowToShowTooltip dlg;
                    dlg.tooltipFlags = high | timeBits[t] | freqBits[f] | powerBits[p];
                    DialogDriver old = SetDialogDriver([&](CDialog& d) {
                        EXPECT_EQ(checkedIndex(d, kTimeRadios), timeIndex[t]);
                        EXPECT_EQ(checkedIndex(d, kFrequencyRadios), freqIndex[f]);
                        EXPECT_EQ(checkedIndex(d, kPowerRadios), powerIndex[p]);
                        d.ClickDlgButton(IDOK);
                    });
                    ASSERT_EQ(dlg.DoModal(), IDOK);
                    SetDialogDriver(old);
                    EXPECT_EQ(dlg.tooltipFlags, high | timeBack[t] | freqBack[f] | powerBack[p]);
                    ++checked;
                }
            }
        }
    }
    EXPECT_EQ(checked, 256);
}

TEST(KWaveFilmDialogHowToShowTooltip, TheFilmStoresTheChoiceOnlyOnOk)
{
    CScriptedUserInteraction ui;
    CKWaveFilm film;
    EXPECT_EQ(film.tooltipFlags, 37); // time absolute, frequency absolute, power absolute
    DialogDriver old = SetDialogDriver([](CDialog& d) {
        d.ClickDlgButton(5120);
        d.ClickDlgButton(5112);
        d.ClickDlgButton(5119);
        d.ClickDlgButton(IDCANCEL);
    });
    film.SetHowToShowTooltip();
    EXPECT_EQ(film.tooltipFlags, 37);
    SetDialogDriver([](CDialog& d) {
        d.ClickDlgButton(5120);
        d.ClickDlgButton(5112);
        d.ClickDlgButton(5119);
        d.ClickDlgButton(IDOK);
    });
    film.SetHowToShowTooltip();
    SetDialogDriver(old);
    EXPECT_EQ(film.tooltipFlags, 0x10 | 0x02);
}
