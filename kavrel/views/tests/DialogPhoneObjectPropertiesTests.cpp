#include <gtest/gtest.h>

#include <utility>

#include "framework/base/ScriptedUserInteraction.h"
#include "kavrel/core/KPhoneObject.h"
#include "kavrel/views/DialogPhoneObjectProperties.h"

namespace {
void fillSample(CKPhoneObject& o)
{
    o.sName = "Гласная а";
    o.sComment = "ударная";
    o.nFirstSample = 1200;
    o.nLastSample = 5400;
    o.nType = 1;
    o.nIndex = 3;
    o.nLevel = 17;
    o.sPhoneObjectDocFilePathName = "/tmp/a.gsr";
    o.sPhoneObjectFloatWaveFilePathName = "/tmp/a.kfw";
    o.dLevelChange_dB = 3.5;
}
} // namespace

TEST(DialogPhoneObjectProperties, ShowsTheObjectAndWritesBackOnOk)
{
    CScriptedUserInteraction ui;
    CKPhoneObject o;
    fillSample(o);
    CDialogPhoneObjectProperties dlg(&o);
    DialogDriver old = SetDialogDriver([](CDialog& d) {
        EXPECT_EQ(d.GetDlgItemText(5056), "Гласная а");
        EXPECT_EQ(d.GetDlgItemText(5057), "ударная");
        EXPECT_EQ(d.GetDlgItemText(5053), "микрогармоники.");
        EXPECT_EQ(d.GetDlgItemText(5058), "Временные границы фонообъекта = 1200 - 5400 (отсчеты).");
        EXPECT_EQ(d.GetDlgItemText(5061), "Файл-документ фонообъекта = /tmp/a.gsr");
        EXPECT_EQ(d.GetDlgItemText(5062), "FloatWave файл = /tmp/a.kfw");
        EXPECT_EQ(d.GetDlgItemText(5059), "Индекс = 3");
        EXPECT_EQ(d.GetDlgItemText(5060), "Уровень объекта = 17");
        EXPECT_EQ(d.GetDlgItemText(5054), "3.5 дБ");
        CSpinButtonCtrl* spin = d.GetDlgItemAs<CSpinButtonCtrl>(5055);
        int lo, hi;
        spin->GetRange(lo, hi);
        EXPECT_EQ(lo, -1100);
        EXPECT_EQ(hi, 1100);
        EXPECT_EQ(spin->GetPos(), 35);
        d.PressSpin(5055, true);
        EXPECT_EQ(d.GetDlgItemText(5054), "3.6 дБ");
        d.PressSpin(5055, false);
        d.PressSpin(5055, false);
        EXPECT_EQ(d.GetDlgItemText(5054), "3.4 дБ");
        EXPECT_EQ(spin->GetPos(), 34);
        d.SetDlgItemText(5056, "Гласная о");
        d.SetDlgItemText(5057, "безударная");
        d.ClickDlgButton(IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    SetDialogDriver(old);
    EXPECT_EQ(o.sName, "Гласная о");
    EXPECT_EQ(o.sComment, "безударная");
    EXPECT_NEAR(o.dLevelChange_dB, 3.4, 1e-12);
    EXPECT_EQ(o.nLevel, 17);
}

TEST(DialogPhoneObjectProperties, LevelChangeStaysWithin110dB)
{
    CScriptedUserInteraction ui;
    CKPhoneObject o;
    fillSample(o);
    o.dLevelChange_dB = 109.9;
    CDialogPhoneObjectProperties dlg(&o);
    DialogDriver old = SetDialogDriver([](CDialog& d) {
        // Each step: the spin up or down, or the sign buttons, and what the field shows after it.
        enum Step { Up, Down, Minus, Plus };
        const std::pair<Step, const char*> steps[] = {{Up, "110.0 дБ"},    {Up, "110.0 дБ"},     {Minus, "-110.0 дБ"},
                                                      {Down, "-110.0 дБ"}, {Up, "-109.9 дБ"}, {Plus, "110.0 дБ"}};
        for (const auto& [step, shown] : steps) {
            if (step == Up || step == Down)
                d.PressSpin(5055, step == Up);
            else
                d.ClickDlgButton(step == Minus ? 5074 : 5073);
            EXPECT_EQ(d.GetDlgItemText(5054), shown);
        }
        d.ClickDlgButton(IDCANCEL);
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    SetDialogDriver(old);
    EXPECT_DOUBLE_EQ(o.dLevelChange_dB, 109.9); // Cancel writes nothing back
}

TEST(DialogPhoneObjectProperties, NoObjectEndsAtOnce)
{
    CDialogPhoneObjectProperties dlg(nullptr);
    bool driven = false;
    DialogDriver old = SetDialogDriver([&](CDialog&) { driven = true; });
    EXPECT_EQ(dlg.DoModal(), 0);
    SetDialogDriver(old);
    EXPECT_FALSE(driven);
}
