// The modulation test run through its dialogs with a scripted listener.
#include <cmath>

#include "framework/base/ScriptedUserInteraction.h"
#include "pelmora/KAMFM_Hearing_All_Tests_Dlg.h"
#include "pelmora/KHearingTestDialogs.h"
#include "pelmora/tests/PelmoraTestSupport.h"

using namespace pelmoratest;

namespace {

// A listener: says whether it heard modulation in a presentation, and
// what to do after a wrong answer (true: repeat the cycle).
struct Listener {
    explicit Listener(std::function<bool(bool modulated, int presentation)> h,
                      std::function<bool()> r = [] { return false; })
        : hears(std::move(h)), repeat(std::move(r))
    {
    }
    std::function<bool(bool modulated, int presentation)> hears;
    std::function<bool()> repeat;
    std::vector<bool> presented; // modulated or not, in order
    std::vector<CString> captions;
    std::vector<COLORREF> backgrounds;
    int questions = 0;
};

// Runs the dialog: `steps` acts on it, then it is closed with OK when that
// is enabled, otherwise with Cancel.
INT_PTR runDialog(CKAMFM_Hearing_All_Tests_Dlg& dlg, Listener& who, const std::function<void(CDialog&)>& steps)
{
    DialogScript script([&](CDialog& d) {
        switch (d.GetTemplateID()) {
        case IDD_AMFM_HEARING_ALL_TESTS:
            steps(d);
            d.ClickDlgButton(IDOK);
            d.ClickDlgButton(IDCANCEL);
            break;
        case IDD_HEARING_TEST_WAVE_FILES: {
            auto& p = static_cast<CKHearingTestWaveFilesDlg&>(d);
            bool modulated = p.sPathName.Find("_NM_") < 0;
            who.presented.push_back(modulated);
            who.captions.push_back(d.GetDlgItemText(IDC_PRESENTATION_CAPTION));
            who.backgrounds.push_back(p.crBackground);
            EXPECT_TRUE(p.MediaWindow.IsPlaying());
            EXPECT_EQ(p.MediaWindow.GetLength(), 480000);
            d.ClickDlgButton(who.hears(modulated, int(who.presented.size())) ? IDOK : IDCANCEL);
            break;
        }
        case IDD_YES_NO_FOR_AM_FM:
            ++who.questions;
            d.ClickDlgButton(who.repeat() ? IDOK : IDCANCEL);
            break;
        default:
            d.EndDialog(IDOK);
        }
    });
    return dlg.DoModal();
}

std::vector<CString> lines(const CString& text)
{
    std::vector<CString> v;
    std::string s = text.str();
    size_t at = 0;
    while ((at = s.find('\n', at)) != std::string::npos) {
        size_t next = s.find('\n', at + 1);
        v.push_back(CString(s.substr(at + 1, next == std::string::npos ? std::string::npos : next - at - 1)));
        at = next == std::string::npos ? s.size() : next;
    }
    return v;
}

std::vector<std::string> cells(const CString& line)
{
    std::vector<std::string> v;
    std::string s = line.str();
    size_t from = 0, tab;
    while ((tab = s.find('\t', from)) != std::string::npos) {
        v.push_back(s.substr(from, tab - from));
        from = tab + 1;
    }
    v.push_back(s.substr(from));
    return v;
}

} // namespace

TEST(KAMFM_Hearing_All_Tests_Dlg, SevenRightAnswersSetUpperAndDivide)
{
    CScriptedUserInteraction ui;
    CKAMFM_Hearing_All_Tests_Dlg dlg;
    dlg.sUserName = "Иванов Иван";
    Listener right{[](bool modulated, int) { return modulated; }};
    CString radio;
    int checkedBefore = 0, checkedAfter = 0;
    runDialog(dlg, right, [&](CDialog& d) {
        checkedBefore = d.GetCheckedRadioButton(IDC_TEST_FIRST, IDC_TEST_LAST);
        EXPECT_FALSE(d.GetDlgItem(IDOK)->IsWindowEnabled());
        d.ClickDlgButton(IDC_START_TRIALS);
        radio = d.GetDlgItemText(IDC_TEST_FIRST);
        checkedAfter = d.GetCheckedRadioButton(IDC_TEST_FIRST, IDC_TEST_LAST);
    });
    // All tests equally uncertain: the first, AM 125 Hz, is checked.
    EXPECT_EQ(checkedBefore, int(IDC_TEST_FIRST));
    ASSERT_EQ(right.presented.size(), 7u);
    int modulated = 0;
    for (int p = 0; p < 6; ++p)
        modulated += right.presented[size_t(p)];
    // The seventh balances the cycle.
    EXPECT_EQ(right.presented[6], !(6 - modulated < modulated));
    modulated += right.presented[6];
    for (int p = 0; p < 7; ++p)
        EXPECT_EQ(right.captions[size_t(p)], CString(std::to_string(p + 1) + " попытка"));
    for (COLORREF c : right.backgrounds) {
        for (int v : {GetRValue(c), GetGValue(c), GetBValue(c)}) {
            EXPECT_GE(v, 160);
            EXPECT_LE(v, 254);
        }
    }
    CKModulationTest& t = dlg.Test(0);
    EXPECT_DOUBLE_EQ(t.upper, 0.14277);
    EXPECT_DOUBLE_EQ(t.lower, 0);
    EXPECT_DOUBLE_EQ(t.m, 0.14277 / 1.676625541);
    EXPECT_EQ(t.i_m, modulated);
    EXPECT_EQ(t.i_nm, 7 - modulated);
    // The file now holds the new level.
    std::vector<short> s = samplesAfterHeader(readFile(t.sFilePath.GetString()));
    ASSERT_EQ(s.size(), 480000u);
    EXPECT_EQ(s[3000], CKModulationTest::StimulusSample(KMODULATION_AM, 125, t.m, 3000));
    // Depth and half-width in dB, error in per cent.
    char want[128];
    std::snprintf(want, sizeof want, "%6.4f±%6.4f dB; error=%4.2f %%", -20 * std::log10(1 - t.m),
                  -10 * std::log10(1 - 0.14277), 100.0);
    EXPECT_EQ(radio, want);
    EXPECT_EQ(checkedAfter, int(IDC_TEST_FIRST)); // still all at 100 %
    std::vector<CString> log = lines(dlg.sTrialLog);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_GT(log[0].Find("Ошибка оценки абсолютной модуляции (%)\t"), 0); // through the formatter
    EXPECT_LT(log[0].Find("%%"), 0);
    std::vector<std::string> c = cells(log[1]);
    ASSERT_EQ(c.size(), 15u);
    EXPECT_EQ(c[0], "Иванов Иван");
    EXPECT_EQ(c[3], "AM");
    EXPECT_EQ(c[4], "125");
    char m[32];
    std::snprintf(m, sizeof m, "%f", t.m);
    EXPECT_EQ(c[5], m);
    EXPECT_EQ(c[6], "0.000000");
    EXPECT_EQ(c[7], "0.142770");
    EXPECT_EQ(c[8], "100.000000");
    EXPECT_EQ(c[11], std::to_string(modulated));
    EXPECT_EQ(c[12], std::to_string(7 - modulated));
    EXPECT_EQ(c[13], "7");
    EXPECT_EQ(c[14], "1");
}

TEST(KAMFM_Hearing_All_Tests_Dlg, WrongAnswerRepeatedRestartsTheCycle)
{
    CScriptedUserInteraction ui;
    CKAMFM_Hearing_All_Tests_Dlg dlg;
    // The first answer is wrong by a slip; everything after it is right.
    Listener slip{[](bool modulated, int presentation) { return presentation == 1 ? !modulated : modulated; },
                  [] { return true; }};
    runDialog(dlg, slip, [](CDialog& d) { d.ClickDlgButton(IDC_START_TRIALS); });
    EXPECT_EQ(slip.questions, 1);
    ASSERT_EQ(slip.presented.size(), 8u); // one, then a whole new cycle
    EXPECT_EQ(slip.captions[1], "1 попытка");
    CKModulationTest& t = dlg.Test(0);
    EXPECT_EQ(t.i_m + t.i_nm, 8);
    EXPECT_DOUBLE_EQ(t.upper, 0.14277); // the repeated cycle was at the same level
    EXPECT_DOUBLE_EQ(t.m, 0.14277 / 1.676625541);
    std::vector<CString> log = lines(dlg.sTrialLog);
    ASSERT_EQ(log.size(), 3u);
    std::vector<std::string> first = cells(log[1]), second = cells(log[2]);
    EXPECT_EQ(first[5], "0.142770"); // logged without a change of level
    EXPECT_EQ(first[13], "1");
    EXPECT_EQ(first[14], "1");
    EXPECT_EQ(second[13], "7");
    EXPECT_EQ(second[14], "2"); // one more attempt
}

TEST(KAMFM_Hearing_All_Tests_Dlg, TheLeastCertainTestIsCheckedNext)
{
    CScriptedUserInteraction ui;
    CKAMFM_Hearing_All_Tests_Dlg dlg;
    Listener threshold{nullptr};
    std::vector<int> checked;
    std::vector<std::vector<double>> errors;
    // Each test's listener threshold; the dialog runs the least certain test.
    const double thresholds[8] = {0.05, 0.03, 0.02, 0.02, 0.003, 0.002, 0.001, 0.001};
    int running = 0;
    threshold.hears = [&](bool modulated, int) { return modulated && dlg.Test(running).m >= thresholds[running]; };
    runDialog(dlg, threshold, [&](CDialog& d) {
        for (int run = 0; run < 40; ++run) {
            running = d.GetCheckedRadioButton(IDC_TEST_FIRST, IDC_TEST_LAST) - int(IDC_TEST_FIRST);
            d.ClickDlgButton(IDC_START_TRIALS);
            std::vector<double> e;
            for (int i = 0; i < 8; ++i)
                e.push_back(dlg.Test(i).RelativeError());
            errors.push_back(e);
            checked.push_back(d.GetCheckedRadioButton(IDC_TEST_FIRST, IDC_TEST_LAST) - int(IDC_TEST_FIRST));
        }
    });
    std::vector<int> seen(8, 0);
    for (size_t r = 0; r < checked.size(); ++r) {
        const std::vector<double>& e = errors[r];
        int worst = 0;
        for (int i = 1; i < 8; ++i)
            worst = e[size_t(i)] > e[size_t(worst)] ? i : worst;
        ASSERT_EQ(checked[r], worst) << "after run " << r;
        ++seen[size_t(worst)];
    }
    // Every test has been brought below 100 %, so every one had its turn.
    for (int i = 0; i < 8; ++i) {
        EXPECT_GT(seen[size_t(i)], 0) << i;
        EXPECT_LT(dlg.Test(i).RelativeError(), 1) << i;
        EXPECT_GE(dlg.Test(i).upper, thresholds[i]) << i;
        EXPECT_LT(dlg.Test(i).lower, thresholds[i]) << i;
    }
}

TEST(KAMFM_Hearing_All_Tests_Dlg, ReachingTheTargetEnablesOkAndBuildsTheSummary)
{
    CScriptedUserInteraction ui;
    CKAMFM_Hearing_All_Tests_Dlg dlg;
    dlg.sUserName = "Петров";
    dlg.dTargetError = 0.5;
    dlg.nStage = 2;
    const double thresholds[8] = {0.1, 0.05, 0.04, 0.03, 0.01, 0.004, 0.003, 0.002};
    int running = 0;
    Listener who{[&](bool modulated, int) { return modulated && dlg.Test(running).m >= thresholds[running]; }};
    CString okText;
    int runs = 0;
    INT_PTR result = runDialog(dlg, who, [&](CDialog& d) {
        while (!d.GetDlgItem(IDOK)->IsWindowEnabled() && runs < 200) {
            running = d.GetCheckedRadioButton(IDC_TEST_FIRST, IDC_TEST_LAST) - int(IDC_TEST_FIRST);
            d.ClickDlgButton(IDC_START_TRIALS);
            ++runs;
        }
        okText = d.GetDlgItemText(IDOK);
    });
    ASSERT_EQ(result, IDOK);
    EXPECT_EQ(okText, "Испытания ЗАВЕРШИТЬ.\nДОСТИГНУТЫ заданные погрешности всех испытаний.");
    ASSERT_FALSE(ui.m_messages.empty());
    EXPECT_EQ(ui.m_messages.back().sText, "Испытания можно завершить - достигнуты заданные погрешности всех измерений.");
    EXPECT_EQ(ui.m_messageBeeps.size(), 1u);
    for (int i = 0; i < 8; ++i)
        EXPECT_LT(dlg.Test(i).RelativeError(), 0.5);

    // The summary: its header keeps "%%" and has no attempts column.
    std::vector<CString> s = lines(dlg.sSummary);
    ASSERT_GE(s.size(), 12u);
    EXPECT_EQ(s[0], "");
    EXPECT_EQ(s[1], "Резюме:");
    EXPECT_GE(s[2].Find("Ошибка оценки абсолютной модуляции (%%)"), 0);
    EXPECT_LT(s[2].Find("Число попыток"), 0);
    EXPECT_EQ(cells(s[2]).size(), 14u);
    for (int i = 0; i < 8; ++i) {
        const CKModulationTest& t = dlg.Test(i);
        std::vector<std::string> c = cells(s[size_t(3 + i)]);
        ASSERT_EQ(c.size(), 14u);
        EXPECT_EQ(c[0], "Петров");
        EXPECT_EQ(c[3], i < 4 ? "AM" : "FM");
        EXPECT_EQ(c[4], std::to_string(CKAMFM_Hearing_All_Tests_Dlg::kCarriers[i % 4]));
        EXPECT_EQ(c[11], std::to_string(t.i_m));
        EXPECT_EQ(c[12], std::to_string(t.i_nm));
        EXPECT_EQ(c[13], std::to_string(t.i_m + t.i_nm));
    }
    // Then the trial log, one line per run.
    EXPECT_EQ(s[11].Find("Имя испытуемого"), 0);
    EXPECT_EQ(int(s.size()), 12 + runs);

    // The database cells of stage 2.
    std::vector<std::string> head = cells(dlg.sDatabaseHeader), values = cells(dlg.sDatabaseValues);
    ASSERT_EQ(head.size(), 17u);
    ASSERT_EQ(values.size(), 17u);
    EXPECT_EQ(head[1], "2-AM-0125 - Чувствительность (дБ или полутона)");
    EXPECT_EQ(head[2], "2-AM-0125 - Ошибка чувствительности (дБ или полутона)");
    EXPECT_EQ(head[16], "2-FM-8000 - Ошибка чувствительности (дБ или полутона)");
    const CKModulationTest& fm8000 = dlg.Test(7);
    double cents = 1200 * std::log2((1 + fm8000.m) / (1 - fm8000.m));
    double half = 600 * std::log2(((1 + fm8000.upper) / (1 - fm8000.upper)) / ((1 + fm8000.lower) / (1 - fm8000.lower)));
    EXPECT_NEAR(std::stod(values[15]), cents, 1e-6);
    EXPECT_NEAR(std::stod(values[16]), half, 1e-6);
}

TEST(KAMFM_Hearing_All_Tests_Dlg, PlayButtonsPlayTheCheckedTest)
{
    CScriptedUserInteraction ui;
    CKAMFM_Hearing_All_Tests_Dlg dlg;
    std::vector<CString> played;
    DialogScript script([&](CDialog& d) {
        if (d.GetTemplateID() == IDD_AMFM_HEARING_ALL_TESTS) {
            d.CheckRadioButton(IDC_TEST_FIRST, IDC_TEST_LAST, IDC_TEST_FIRST + 6); // FM 2000 Hz
            d.ClickDlgButton(IDC_PLAY_UNMODULATED);
            d.ClickDlgButton(IDC_PLAY_MODULATED);
            d.ClickDlgButton(IDCANCEL);
        } else if (d.GetTemplateID() == IDD_PLAY_WAVE_FILE) {
            played.push_back(static_cast<CKPlayWaveFileDlg&>(d).sPathName);
            d.EndDialog(IDOK);
        }
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(played, (std::vector<CString>{"./Pelmora_NM_2000.wav", "./Pelmora_FM_2000.wav"}));
    EXPECT_TRUE(ui.m_messages.empty());
}
