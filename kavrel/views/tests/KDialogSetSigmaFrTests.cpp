#include <numbers>
#include <gtest/gtest.h>

#include <cmath>

#include "framework/base/ScriptedUserInteraction.h"
#include "kavrel/core/KWaveFilm.h"
#include "testsupport/WavBytes.h"
#include "kavrel/views/KDialogSetSigmaFr.h"

using namespace wavbytes;

namespace {

const char* const kLowResolutionQuestion =
    "Выбрана не достаточно большая высота фасфильма.\nПри этом качество спектрального анализа получается не высшим\n"
    "(на кнопке должно быть число не менее 10).\n\nЧто делать?\n\nОставить эту высоту фасфильма\n"
    "с ухудшенным спектральным анализом (Да=Yes)\nили\nвернуться и исправить ситуацию (Нет=No)?";

// Runs the dialog with a script; returns its result.
INT_PTR run(CKDialogSetSigmaFr& dlg, const std::function<void(CKDialogSetSigmaFr&)>& script)
{
    DialogDriver old = SetDialogDriver([&](CDialog& d) { script(static_cast<CKDialogSetSigmaFr&>(d)); });
    INT_PTR r = dlg.DoModal();
    SetDialogDriver(old);
    return r;
}

void at44100(CKDialogSetSigmaFr& dlg)
{
    dlg.FrADC = 44100;
    dlg.NChannels = 1;
    dlg.NFFT = 256;
    dlg.CadreStepInSamples = 50;
    dlg.SigmaFr = 100;
}

} // namespace

TEST(KDialogSetSigmaFr, DefaultsAt44100Hz)
{
    CScriptedUserInteraction ui;
    CKDialogSetSigmaFr dlg;
    at44100(dlg);
    const INT_PTR r = run(dlg, [](CKDialogSetSigmaFr& d) {
        EXPECT_EQ(d.GetDlgItemText(5002), "АЦП = 44100 Гц");
        EXPECT_FALSE(d.GetDlgItem(5111)->IsWindowEnabled());
        EXPECT_FALSE(d.GetDlgItem(5112)->IsWindowEnabled());
        EXPECT_TRUE(d.IsDlgButtonChecked(5009));
        d.ClickDlgButton(5123);
        // σF = 44100/(2π·102) = 68.8110 Hz; lines per σF 2π·N·σF/Fs = N/102.
        EXPECT_EQ(d.GetDlgItemText(5006), "2.51");
        EXPECT_EQ(d.GetDlgItemText(5007), "10.04");
        EXPECT_EQ(d.GetDlgItemText(5008), "40.16");
        EXPECT_TRUE(d.IsDlgButtonChecked(5007));
        EXPECT_EQ(d.GetDlgItemText(5012), "102");
        EXPECT_EQ(d.GetDlgItemText(5003), "68.8111"); // the float 68.81105
        EXPECT_EQ(d.GetDlgItemText(5010), "432.353"); // 44100/102
        d.ClickDlgButton(IDOK);
    });
    EXPECT_EQ(r, IDOK);
    EXPECT_EQ(dlg.NFFT, 1024);
    EXPECT_EQ(dlg.CadreStepInSamples, 102);
    EXPECT_NEAR(dlg.SigmaFr, 68.8110, 1e-3);
    EXPECT_TRUE(ui.m_messages.empty()); // 10.04 lines: no question
}

TEST(KDialogSetSigmaFr, CadreRatePresetsChooseTheTransform)
{
    CScriptedUserInteraction ui;
    CKDialogSetSigmaFr dlg;
    at44100(dlg);
    struct Case {
        int button, step, nfft;
    };
    // σF = 44100/(2π·step); the window 5·Fs/(π·σF) = 10·step samples picks the NFFT.
    const Case cases[] = {{5113, 2, 256}, {5116, 7, 256}, {5115, 28, 1024}, {5117, 108, 4096}, {5114, 409, 4096}};
    for (const Case& c : cases) {
        run(dlg, [&](CKDialogSetSigmaFr& d) {
            d.ClickDlgButton(c.button);
            EXPECT_EQ(d.CadreStepInSamples, c.step) << c.button;
            EXPECT_NEAR(d.SigmaFr, 44100 / (2 * std::numbers::pi * c.step), 1e-3 * d.SigmaFr) << c.button;
            EXPECT_EQ(d.NFFT, c.nfft) << c.button;
            d.ClickDlgButton(IDCANCEL);
        });
    }
    // "Максимальная": σF = 3509.3 Hz, 20 samples of window: NFFT 256.
    run(dlg, [&](CKDialogSetSigmaFr& d) {
        d.ClickDlgButton(5113);
        EXPECT_NEAR(d.SigmaFr, 3509.37, 0.01); // 44100/(4π)
        EXPECT_TRUE(d.IsDlgButtonChecked(5006));
    });
    // Uncoupled, a preset changes the step alone; σF keeps choosing the NFFT.
    run(dlg, [&](CKDialogSetSigmaFr& d) {
        d.SigmaFr = 30;
        d.bLinkOptimally = 0;
        d.ClickDlgButton(5113);
        EXPECT_EQ(d.CadreStepInSamples, 2);
        EXPECT_FLOAT_EQ(d.SigmaFr, 30);
        EXPECT_EQ(d.NFFT, 4096); // 5·44100/(π·30) = 2339.5
    });
}

TEST(KDialogSetSigmaFr, AnalysisPresets)
{
    CScriptedUserInteraction ui;
    CKDialogSetSigmaFr dlg;
    at44100(dlg);
    run(dlg, [](CKDialogSetSigmaFr& d) {
        d.ClickDlgButton(5118); // 44100/(2π·240) = 29.24 → step 29, σF = 242.02, window 290
        EXPECT_EQ(d.CadreStepInSamples, 29);
        EXPECT_NEAR(d.SigmaFr, 242.02, 0.01);
        EXPECT_EQ(d.NFFT, 1024);
        d.ClickDlgButton(5119); // 44100/(2π·30) = 233.96 → step 233, window 2330
        EXPECT_EQ(d.CadreStepInSamples, 233);
        EXPECT_NEAR(d.SigmaFr, 30.123, 0.001);
        EXPECT_EQ(d.NFFT, 4096);
    });
}

TEST(KDialogSetSigmaFr, SpinsMoveByTwoPointEightPercent)
{
    CScriptedUserInteraction ui;
    CKDialogSetSigmaFr dlg;
    at44100(dlg);
    dlg.CadreStepInSamples = 102;
    run(dlg, [](CKDialogSetSigmaFr& d) {
        d.SigmaFr = 100;
        d.PressSpin(5004, true); // range 1 … 2: the upper arrow multiplies
        EXPECT_NEAR(d.SigmaFr, 102.8, 1e-3);
        EXPECT_EQ(d.CadreStepInSamples, 68); // 44100/(2π·102.8) = 68.27
        d.PressSpin(5004, false);
        d.PressSpin(5004, false);
        EXPECT_NEAR(d.SigmaFr, 100 / 1.028, 1e-3);
        d.CadreStepInSamples = 102;
        d.PressSpin(5011, true); // the default range: the upper arrow lowers the step
        EXPECT_EQ(d.CadreStepInSamples, 99); // 102/1.028 = 99.2
        EXPECT_NEAR(d.SigmaFr, 44100 / (2 * std::numbers::pi * 99), 1e-3);
        d.PressSpin(5011, false);
        EXPECT_EQ(d.CadreStepInSamples, 101); // 99·1.028 = 101.8
        EXPECT_EQ(d.GetDlgItemText(5012), "101");
        // Where 2.8 % is less than one sample the step moves by one, within 2 … 409.
        d.CadreStepInSamples = 3;
        d.PressSpin(5011, false);
        EXPECT_EQ(d.CadreStepInSamples, 4);
        d.CadreStepInSamples = 2;
        d.PressSpin(5011, true);
        EXPECT_EQ(d.CadreStepInSamples, 2);
        d.CadreStepInSamples = 409;
        d.PressSpin(5011, false);
        EXPECT_EQ(d.CadreStepInSamples, 409);
        // Uncoupled, the step moves alone.
        d.ClickDlgButton(5009);
        const float sigma = d.SigmaFr;
        d.PressSpin(5011, true);
        EXPECT_EQ(d.CadreStepInSamples, 397);
        EXPECT_FLOAT_EQ(d.SigmaFr, sigma);
    });
}

TEST(KDialogSetSigmaFr, TypingSigmaFollowsTheStepWhenCoupled)
{
    CScriptedUserInteraction ui;
    CKDialogSetSigmaFr dlg;
    at44100(dlg);
    run(dlg, [](CKDialogSetSigmaFr& d) {
        d.SetDlgItemText(5003, "50");
        d.OnCommand(5003, EN_CHANGE);
        EXPECT_EQ(d.CadreStepInSamples, 140); // 44100/(2π·50) = 140.4
        EXPECT_EQ(d.GetDlgItemText(5012), "140");
        EXPECT_EQ(d.GetDlgItemText(5003), "50");
        d.SetDlgItemText(5003, "5");
        d.OnCommand(5003, EN_CHANGE);
        EXPECT_EQ(d.CadreStepInSamples, 409); // 1403.7, limited
        // A half-typed number changes nothing and says nothing yet.
        d.SetDlgItemText(5003, "");
        d.OnCommand(5003, EN_CHANGE);
        EXPECT_EQ(d.CadreStepInSamples, 409);
    });
    EXPECT_TRUE(ui.m_messages.empty());
}

TEST(KDialogSetSigmaFr, CouplingAsksHowToUnderstandIt)
{
    CScriptedUserInteraction ui;
    CKDialogSetSigmaFr dlg;
    at44100(dlg);
    run(dlg, [&](CKDialogSetSigmaFr& d) {
        d.SigmaFr = 100;
        d.CadreStepInSamples = 50;
        d.ClickDlgButton(5009); // unchecked: no question
        EXPECT_EQ(d.bLinkOptimally, 0);
        EXPECT_TRUE(ui.m_messages.empty());
        ui.QueueAnswer(IDYES); // keep the cadre rate, change the resolution
        d.ClickDlgButton(5009);
        ASSERT_EQ(ui.m_messages.size(), 1u);
        EXPECT_EQ(ui.m_messages[0].sText,
                  "YES - Изменить разрешение спектров по частоте, а частоту кадров оставить неизменной;\n"
                  "NO - Изменить частоту кадров, а разрешение по частоте оставить неизменной.");
        EXPECT_EQ(ui.m_messages[0].sCaption, "Как понимать это задание?");
        EXPECT_EQ(ui.m_messages[0].nStyle & MB_TYPEMASK, UINT(MB_YESNOCANCEL));
        EXPECT_EQ(d.CadreStepInSamples, 50);
        EXPECT_NEAR(d.SigmaFr, 140.37, 0.01);
        d.ClickDlgButton(5009);
        d.SigmaFr = 100;
        ui.QueueAnswer(IDNO); // keep the resolution, change the cadre rate
        d.ClickDlgButton(5009);
        EXPECT_EQ(d.CadreStepInSamples, 70);
        EXPECT_FLOAT_EQ(d.SigmaFr, 100);
        EXPECT_TRUE(d.IsDlgButtonChecked(5009));
        d.ClickDlgButton(5009);
        ui.QueueAnswer(IDCANCEL);
        d.ClickDlgButton(5009);
        EXPECT_FALSE(d.IsDlgButtonChecked(5009));
        EXPECT_EQ(d.bLinkOptimally, 0);
    });
}

TEST(KDialogSetSigmaFr, TooFewLinesAsksBeforeClosing)
{
    CScriptedUserInteraction ui;
    CKDialogSetSigmaFr dlg;
    at44100(dlg);
    const INT_PTR r = run(dlg, [&](CKDialogSetSigmaFr& d) {
        d.ClickDlgButton(5123);
        d.ClickDlgButton(5006); // 2.51 lines per σF
        EXPECT_EQ(d.NFFT, 256);
        ui.QueueAnswer(IDNO);
        d.ClickDlgButton(IDOK);
        ASSERT_EQ(ui.m_messages.size(), 1u);
        EXPECT_EQ(ui.m_messages[0].sText, kLowResolutionQuestion);
        EXPECT_EQ(ui.m_messages[0].sCaption, "Уточняющий вопрос");
        EXPECT_EQ(ui.m_messages[0].nStyle, UINT(MB_YESNO | MB_ICONQUESTION));
        EXPECT_FALSE(d.IsEnded()); // No: back to the dialog
        ui.QueueAnswer(IDYES);
        d.ClickDlgButton(IDOK);
        EXPECT_TRUE(d.IsEnded());
    });
    EXPECT_EQ(r, IDOK);
    EXPECT_EQ(dlg.NFFT, 256);
}

TEST(KDialogSetSigmaFr, DataExchangeRefusesValuesOutOfRange)
{
    CScriptedUserInteraction ui;
    CKDialogSetSigmaFr dlg;
    at44100(dlg);
    run(dlg, [&](CKDialogSetSigmaFr& d) {
        d.SetDlgItemText(5003, "0.0001");
        d.ClickDlgButton(IDOK);
        EXPECT_FALSE(d.IsEnded());
        d.SetDlgItemText(5003, "1000");
        d.SetDlgItemText(5012, "1");
        d.ClickDlgButton(IDOK);
        EXPECT_FALSE(d.IsEnded());
        d.SetDlgItemText(5012, "1000001");
        d.ClickDlgButton(IDOK);
        EXPECT_FALSE(d.IsEnded());
        d.SetDlgItemText(5012, "2");
        d.ClickDlgButton(IDOK);
        EXPECT_TRUE(d.IsEnded());
    });
    ASSERT_EQ(ui.m_messages.size(), 3u);
    EXPECT_EQ(ui.m_messages[0].sText, "Введите число от 0.001 до 1e+06.");
    EXPECT_EQ(ui.m_messages[1].sText, "Введите целое число от 2 до 1000000.");
    EXPECT_EQ(ui.m_messages[2].sText, "Введите целое число от 2 до 1000000.");
    EXPECT_FLOAT_EQ(dlg.SigmaFr, 1000);
    EXPECT_EQ(dlg.CadreStepInSamples, 2);
}

TEST(KWaveFilmDialogSetSigmaFr, OkSetsTheFilmAndCancelKeepsIt)
{
    CScriptedUserInteraction ui;
    std::string path = writeFile("sigmafr-stereo.wav", pcm16(2, 16000, std::vector<int>(2 * 8000, 100)));
    CKWaveFilm film;
    ASSERT_TRUE(film.OpenKWaveFile(path.c_str(), "sigmafr-stereo"));
    film.SetNFFTandOptimumCadreParams(1024);
    film.validUpLevel.pArray[5] = 7; // lines 4 … 7 become line 1 of 256
    DialogDriver old = SetDialogDriver([](CDialog& d) {
        EXPECT_EQ(d.GetDlgItemText(5012), "102");
        EXPECT_TRUE(d.GetDlgItem(5112)->IsWindowEnabled());
        d.ClickDlgButton(IDCANCEL);
    });
    EXPECT_EQ(film.DialogSetSigmaFr(), IDCANCEL);
    EXPECT_EQ(film.GetNFFT(), 1024);
    EXPECT_EQ(film.GetCadreStepInSamples(), 102);
    SetDialogDriver([](CDialog& d) {
        d.ClickDlgButton(5113); // step 2, σF = 16000/(4π) = 1273.24, NFFT 256
        d.ClickDlgButton(5112);
        d.ClickDlgButton(IDOK);
    });
    EXPECT_EQ(film.DialogSetSigmaFr(), IDOK);
    SetDialogDriver(old);
    EXPECT_EQ(film.GetNFFT(), 256);
    EXPECT_EQ(film.validUpLevel.nSize, 128);
    EXPECT_FLOAT_EQ(film.validUpLevel.pArray[1], float(20 * std::log10(16000. * 32767)));
    EXPECT_EQ(film.GetCadreStepInSamples(), 2);
    EXPECT_NEAR(film.GetSigmaFr(), 1273.24, 0.01);
    EXPECT_EQ(film.nChannel, 1);
    EXPECT_EQ(film.GetKWaveWindowWidthInSamples(), 4);
    for (CKSpectrum* s : {film.pS0, film.pS1, film.pS2, film.pS3}) {
        EXPECT_EQ(s->Wave.nChannel, 1);
        EXPECT_EQ(s->GetNFFT(), 256);
    }
    EXPECT_NEAR(film.pS0->GetSigmaF(), 1273.24, 0.01);
    EXPECT_NEAR(film.pS2->GetSigmaF(), 4 * 1273.24, 0.04);
}
