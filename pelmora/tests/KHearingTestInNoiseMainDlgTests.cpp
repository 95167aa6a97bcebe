// The noise test run through its dialogs: the rounds, the mixes, the
// answers, the finish and the database cells.
#include <cmath>
#include <filesystem>

#include "framework/base/ScriptedUserInteraction.h"
#include "pelmora/KHearingTestDialogs.h"
#include "pelmora/KHearingTestInNoiseMainDlg.h"
#include "pelmora/tests/PelmoraTestSupport.h"

using namespace pelmoratest;

namespace {
const char* const kNames[8] = {"s1", "s2", "m1", "m2", "sn1", "sn2", "mn1", "mn2"};
// The combinations in their documented order: (signal, noise) as indexes of kNames.
const int kCombination[8][2] = {{0, 4}, {0, 5}, {1, 4}, {1, 5}, {2, 6}, {2, 7}, {3, 6}, {3, 7}};

// Eight small sources, each unlike the others; noises longer than signals.
std::vector<std::vector<int>> makeSources(const char* folder, int noiseLength = 80)
{
    std::filesystem::create_directories(folder);
    std::vector<std::vector<int>> all;
    for (int k = 0; k < 8; ++k) {
        std::vector<int> x(size_t(k < 4 ? 60 : noiseLength));
        for (size_t i = 0; i < x.size(); ++i)
            x[i] = k < 4 ? int((k + 1) * 1000 * std::sin(double(i) * (k + 1) / 7))
                         : (k + 3) * 37 * (int((i * 13 + size_t(k)) % 17) - 8);
        Bytes b = pcm16(1, 8000, x);
        FILE* f = std::fopen((std::string(folder) + "/" + kNames[k] + ".wav").c_str(), "wb");
        std::fwrite(b.data(), 1, b.size(), f);
        std::fclose(f);
        all.push_back(x);
    }
    return all;
}

// The documented mix: signal + 10^(-L/20) noise over the signal's length,
// scaled so that the largest magnitude is 32767, truncated.
std::vector<short> expectedMix(const std::vector<int>& signal, const std::vector<int>& noise, int level)
{
    std::vector<double> mix(signal.size());
    double peak = 0;
    for (size_t j = 0; j < signal.size(); ++j) {
        mix[j] = signal[j] + std::pow(10.0, -level / 20.0) * noise[j];
        peak = std::max(peak, std::fabs(mix[j]));
    }
    std::vector<short> out;
    for (double v : mix)
        out.push_back(short(32767 / peak * v));
    return out;
}
} // namespace

TEST(KHearingTestInNoiseMainDlg, EighteenRoundsBeforeTheFinish)
{
    auto sources = makeSources("./1");
    CScriptedUserInteraction ui;
    ui.QueueAnswer(IDNO);
    ui.QueueAnswer(IDYES);
    CKHearingTestInNoiseMainDlg dlg;
    dlg.sUserName = "Сидоров";
    int level = -20;
    int mixes = 0, unmatched = 0;
    std::vector<int> round;
    std::vector<bool> finishEnabled;
    bool okWaitedForAnswer = false;
    CString prefilled;
    CString status, question, questionCaption;
    DialogScript script([&](CDialog& d) {
        if (d.GetTemplateID() == IDD_HEARING_TEST_IN_NOISE) {
            EXPECT_TRUE(d.GetDlgItem(IDC_NOISE_ROUND)->IsWindowEnabled());
            for (int r = 1; r <= 18; ++r) {
                round.clear();
                d.ClickDlgButton(IDC_NOISE_ROUND);
                ASSERT_EQ(round.size(), 8u);
                std::vector<int> sorted = round;
                std::sort(sorted.begin(), sorted.end());
                EXPECT_EQ(sorted, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7})) << "round " << r;
                level += 2;
                finishEnabled.push_back(d.GetDlgItem(IDC_NOISE_FINISH)->IsWindowEnabled());
            }
            status = d.GetDlgItemText(IDC_NOISE_STATUS);
            d.ClickDlgButton(IDC_NOISE_FINISH); // No: stays
            EXPECT_FALSE(d.IsEnded());
            d.ClickDlgButton(IDC_NOISE_FINISH);
            return;
        }
        ASSERT_EQ(d.GetTemplateID(), UINT(IDD_HEARING_TEST_IN_NOISE_SAMPLE));
        auto& s = static_cast<CKHearingTestInNoiseSampleDlg&>(d);
        ++mixes;
        EXPECT_EQ(d.GetWindowText(), s.sPathName);
        EXPECT_EQ(d.GetDlgItemText(IDC_SAMPLE_CAPTION), CString(std::to_string(round.size() + 1) + " комбинация сигналов и шумов"));
        // Which combination is it? Exactly one must match the formula.
        std::vector<short> heard = samplesAfterHeader(readFile(s.sPathName.GetString()));
        int found = -1, matches = 0;
        for (int c = 0; c < 8; ++c) {
            if (heard == expectedMix(sources[size_t(kCombination[c][0])], sources[size_t(kCombination[c][1])], level)) {
                found = c;
                ++matches;
            }
        }
        if (matches != 1) {
            ++unmatched;
            d.ClickDlgButton(IDCANCEL);
            return;
        }
        round.push_back(found);
        if (mixes == 1) {
            d.ClickDlgButton(IDOK);
            okWaitedForAnswer = !d.IsEnded();
        }
        if (mixes == 2)
            prefilled = d.GetDlgItemText(IDC_TEXT_SPEECH_1);
        // Speech 1 is recognised, everything else is only noise.
        if (kCombination[found][0] == 0) {
            d.SetDlgItemText(IDC_TEXT_SPEECH_1, "мама мыла раму");
            d.ClickDlgButton(IDC_ANSWER_FIRST);
        } else {
            d.ClickDlgButton(IDC_ANSWER_FIRST + 1);
            d.ClickDlgButton(IDC_ANSWER_LAST); // the last pressed counts
        }
        d.ClickDlgButton(IDOK);
    });
    ASSERT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(unmatched, 0);
    EXPECT_EQ(mixes, 144);
    EXPECT_TRUE(okWaitedForAnswer);
    ASSERT_EQ(finishEnabled.size(), 18u);
    for (int r = 0; r < 17; ++r)
        EXPECT_FALSE(finishEnabled[size_t(r)]) << "after round " << r + 1;
    EXPECT_TRUE(finishEnabled[17]);
    EXPECT_EQ(status, "Конечный = 16 дБ\nНачальный = -20 дБ\nШаг = 2 дБ\nТекущий = 16 дБ");
    EXPECT_EQ(ui.m_messageBeeps, std::vector<UINT>{MB_ICONINFORMATION});
    ASSERT_EQ(ui.m_messages.size(), 2u);
    EXPECT_EQ(ui.m_messages[0].sCaption, "Вопрос");
    EXPECT_EQ(ui.m_messages[0].sText,
              "Вы действительно хотите завершить этот этап испытаний на достигнутых результатах?\n"
              "Ответьте \"Да\", если не менее двух раз Вы полностью разобрали в шумах весь текст в обоих речевых высказываниях.\n"
              "Иначе проведите одно испытание ещё один раз, пожалуйста.");
    EXPECT_EQ(ui.m_messages[0].nStyle & MB_TYPEMASK, UINT(MB_YESNO));

    // The table and the log.
    ASSERT_EQ(dlg.Results.size(), 144u);
    for (const auto& row : dlg.Results) {
        if (row.nSound == 1) {
            EXPECT_EQ(row.nAnswer, 1);
            EXPECT_EQ(row.sText, "мама мыла раму");
        } else {
            EXPECT_EQ(row.nAnswer, 12);
            EXPECT_EQ(row.sText, "");
        }
    }
    EXPECT_EQ(dlg.Results.front().nLevel, -20);
    EXPECT_EQ(dlg.Results.back().nLevel, 14);
    size_t lines = std::count(dlg.sLog.str().begin(), dlg.sLog.str().end(), '\n');
    EXPECT_EQ(lines, 145u);
    EXPECT_EQ(dlg.sLog.Find("\nИмя испытуемого\tДата испытания\tВремя испытания\tУровень шумов - отношение (речь или музыка)/(шум-помеха) [дБ]\t"
                            "Звук (тип)\tШум (тип)\tВыбранный ответ\tТекст ответа\nСидоров\t"),
              0);
    EXPECT_GE(dlg.sLog.Find("\t-20\tРечь 1\tРечевая помеха\tРечь 1\tмама мыла раму"), 0);
    EXPECT_GE(dlg.sLog.Find("\t14\tМузыка 2\tМузыкальный шум\tНикаких звуков в шумах (или в помехах) не услышано"), 0);
    // The texts of the last answer are offered again.
    EXPECT_TRUE(prefilled == "" || prefilled == "мама мыла раму");
    EXPECT_FALSE(dlg.sDatabaseHeader.IsEmpty());
}

TEST(KHearingTestInNoiseMainDlg, DatabaseCellsFromTheFinalRuns)
{
    CKHearingTestInNoiseMainDlg dlg;
    using R = CKHearingTestInNoiseMainDlg::Row;
    dlg.Results = {
        R{-20, 1, 5, 12, ""},         R{-20, 3, 7, 3, ""},          R{-18, 1, 5, 1, "мама"},
        R{-18, 3, 7, 10, ""},         R{-16, 1, 5, 11, ""},         R{-16, 3, 7, 3, ""},
        R{-14, 1, 5, 1, "мама мыла"}, R{-14, 3, 7, 3, ""},          R{-12, 1, 5, 1, "мама мыла раму"},
        R{-12, 2, 6, 2, "поезд"},     R{-10, 1, 5, 1, "мама мыла раму"}, R{-10, 2, 6, 9, ""},
        R{-10, 4, 8, 4, ""},
    };
    dlg.BuildDatabaseCells();
    EXPECT_EQ(dlg.sDatabaseHeader,
              "\tS1–SN1 - начало – дБ\tS1–SN1 – начало – текст\tS1–SN1 - конец – дБ\tS1–SN1 – конец – текст"
              "\tS1–SN2 - начало – дБ\tS1–SN2 – начало – текст\tS1–SN2 - конец – дБ\tS1–SN2 – конец – текст"
              "\tS2–SN1 - начало – дБ\tS2–SN1 – начало – текст\tS2–SN1 - конец – дБ\tS2–SN1 – конец – текст"
              "\tS2–SN2 - начало – дБ\tS2–SN2 – начало – текст\tS2–SN2 - конец – дБ\tS2–SN2 – конец – текст"
              "\tM1–MN1 – дБ\tM1–MN2 – дБ\tM2–MN1 – дБ\tM2–MN2 – дБ");
    // S1-SN1: the final run of texts starts at -14; of the final text at -12.
    // S2-SN2: its only text was followed by an empty answer: the run is that one row.
    // M1-MN1: music 1 named at -16 and -14 last; M2-MN2 at -10.
    EXPECT_EQ(dlg.sDatabaseValues,
              "\t-14\tмама мыла\t-12\tмама мыла раму"
              "\t\t\t\t"
              "\t\t\t\t"
              "\t-12\tпоезд\t-12\tпоезд"
              "\t-16\t\t\t-10");
}

TEST(KHearingTestInNoiseMainDlg, NoRoundWithoutAllSources)
{
    makeSources("./1");
    std::filesystem::remove("./1/mn2.wav");
    CScriptedUserInteraction ui;
    CKHearingTestInNoiseMainDlg dlg;
    bool roundEnabled = true;
    int samples = 0;
    DialogScript script([&](CDialog& d) {
        if (d.GetTemplateID() == IDD_HEARING_TEST_IN_NOISE) {
            roundEnabled = d.GetDlgItem(IDC_NOISE_ROUND)->IsWindowEnabled();
            d.ClickDlgButton(IDC_NOISE_ROUND);
            dlg.OnRound(); // not even by a direct call
            d.ClickDlgButton(IDCANCEL);
        } else {
            ++samples;
            d.EndDialog(IDCANCEL);
        }
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_FALSE(roundEnabled);
    EXPECT_EQ(samples, 0);
    ASSERT_EQ(ui.m_messages.size(), 2u);
    EXPECT_EQ(ui.m_messages[0].sText, "Сообщение о звуковом файле - \n./1/mn2.wav:\n\nФайл не открывается.");
    EXPECT_EQ(ui.m_messages[1].sText,
              "Испытание в шумах провести нельзя: не удалось прочитать все восемь звуковых файлов из папки\n./1/");
    EXPECT_EQ(dlg.sFolder, "./1/");
    EXPECT_EQ(dlg.sMixPath, "./1/mix.wav");
}

TEST(KHearingTestInNoiseMainDlg, NoiseShorterThanSignalIsRefused)
{
    makeSources("./1", 50);
    CScriptedUserInteraction ui;
    CKHearingTestInNoiseMainDlg dlg;
    bool roundEnabled = true;
    DialogScript script([&](CDialog& d) {
        roundEnabled = d.GetDlgItem(IDC_NOISE_ROUND)->IsWindowEnabled();
        d.ClickDlgButton(IDCANCEL);
    });
    dlg.DoModal();
    EXPECT_FALSE(roundEnabled);
    ASSERT_EQ(ui.m_messages.size(), 1u);
    EXPECT_EQ(ui.m_messages[0].sText,
              "Звуковой файл помехи sn1.wav короче звукового сигнала s1.wav (или сигнал пуст).\nИспытание в шумах провести нельзя.");
}

TEST(KHearingTestInNoiseMainDlg, ClosingAMixEndsTheRoundWithoutRaisingTheLevel)
{
    makeSources("./1");
    CScriptedUserInteraction ui;
    CKHearingTestInNoiseMainDlg dlg;
    int samples = 0;
    DialogScript script([&](CDialog& d) {
        if (d.GetTemplateID() == IDD_HEARING_TEST_IN_NOISE) {
            d.ClickDlgButton(IDC_NOISE_ROUND);
            d.ClickDlgButton(IDCANCEL);
        } else if (++samples < 3) {
            d.ClickDlgButton(IDC_ANSWER_FIRST + 7);
            d.ClickDlgButton(IDOK);
        } else {
            d.ClickDlgButton(IDCANCEL);
        }
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(samples, 3);
    EXPECT_EQ(dlg.Results.size(), 2u);
    EXPECT_EQ(dlg.nCurrentLevel, -20);
}
