// The main dialog: the order of the stages, Escape, and the protocol file
// byte by byte after a scripted run of all three stages.
#include <QCloseEvent>
#include <QKeyEvent>
#include <QWidget>
#include <cmath>
#include <ctime>
#include <filesystem>

#include "framework/base/ScriptedUserInteraction.h"
#include "pelmora/KHearingTestDialogs.h"
#include "pelmora/KHearingTestInNoiseMainDlg.h"
#include "pelmora/PelmoraDlg.h"
#include "pelmora/tests/PelmoraTestSupport.h"

using namespace pelmoratest;

namespace {

// UTF-16LE code units back to UTF-8 (the protocol holds no surrogates).
std::string fromUtf16le(const Bytes& b, size_t from)
{
    std::string s;
    for (size_t i = from; i + 1 < b.size(); i += 2) {
        unsigned u = b[i] | (b[i + 1] << 8);
        EXPECT_FALSE(u >= 0xD800 && u < 0xE000);
        if (u < 0x80) {
            s += char(u);
        } else if (u < 0x800) {
            s += char(0xC0 | (u >> 6));
            s += char(0x80 | (u & 0x3F));
        } else {
            s += char(0xE0 | (u >> 12));
            s += char(0x80 | ((u >> 6) & 0x3F));
            s += char(0x80 | (u & 0x3F));
        }
    }
    return s;
}

std::vector<std::string> split(const std::string& s, char sep)
{
    std::vector<std::string> v;
    size_t from = 0, at;
    while ((at = s.find(sep, from)) != std::string::npos) {
        v.push_back(s.substr(from, at - from));
        from = at + 1;
    }
    v.push_back(s.substr(from));
    return v;
}

std::string today()
{
    std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    char s[48];
    std::snprintf(s, sizeof s, "%4i-%02i-%02i", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
    return s;
}

std::string cell(double v)
{
    char s[64];
    std::snprintf(s, sizeof s, "%f", v);
    return s;
}

// The sensitivity and its half-width of a test, from the documented measures.
std::pair<double, double> measures(const CKModulationTest& t)
{
    const double l = t.lower, u = t.upper, m = t.m;
    if (t.nModulationType == KMODULATION_AM)
        return {-20 * std::log10(1 - m), u == 1 ? 100 : -10 * std::log10((1 - u) / (1 - l))};
    return {1200 * std::log2((1 + m) / (1 - m)),
            u == 1 ? 1200 : 600 * std::log2(((1 + u) / (1 - u)) / ((1 + l) / (1 - l)))};
}

const char* const kTestNames[8] = {"AM-0125", "AM-0500", "AM-2000", "AM-8000", "FM-0125", "FM-0500", "FM-2000", "FM-8000"};

// A listener with a threshold per test, and the noise-test answers: it
// understands every sentence as "тест".
struct ScriptedSubject {
    explicit ScriptedSubject(CPelmoraDlg& dlg) : main(dlg) {}
    CPelmoraDlg& main;
    std::vector<std::vector<std::pair<double, double>>> stageMeasures; // at each stage's OK
    std::vector<std::vector<double>> stageStartLevels;
    std::vector<std::vector<double>> stageStartErrors;
    int running = 0;
    int noiseAnswers = 0;

    void operator()(CDialog& d)
    {
        static const double thresholds[8] = {0.1, 0.05, 0.04, 0.03, 0.01, 0.004, 0.003, 0.002};
        CKAMFM_Hearing_All_Tests_Dlg& mod = main.ModulationDlg;
        switch (d.GetTemplateID()) {
        case IDD_AMFM_HEARING_ALL_TESTS: {
            std::vector<double> levels, errors;
            for (int i = 0; i < 8; ++i) {
                levels.push_back(mod.Test(i).m);
                errors.push_back(mod.Test(i).RelativeError());
            }
            stageStartLevels.push_back(levels);
            stageStartErrors.push_back(errors);
            for (int runs = 0; runs < 300 && !d.GetDlgItem(IDOK)->IsWindowEnabled(); ++runs) {
                running = d.GetCheckedRadioButton(IDC_TEST_FIRST, IDC_TEST_LAST) - int(IDC_TEST_FIRST);
                d.ClickDlgButton(IDC_START_TRIALS);
            }
            std::vector<std::pair<double, double>> m;
            for (int i = 0; i < 8; ++i)
                m.push_back(measures(mod.Test(i)));
            stageMeasures.push_back(m);
            d.ClickDlgButton(IDOK);
            break;
        }
        case IDD_HEARING_TEST_WAVE_FILES: {
            bool modulated = static_cast<CKHearingTestWaveFilesDlg&>(d).sPathName.Find("_NM_") < 0;
            d.ClickDlgButton(modulated && mod.Test(running).m >= thresholds[running] ? IDOK : IDCANCEL);
            break;
        }
        case IDD_YES_NO_FOR_AM_FM:
            d.ClickDlgButton(IDCANCEL);
            break;
        case IDD_HEARING_TEST_IN_NOISE:
            d.ClickDlgButton(IDC_NOISE_ROUND);
            d.ClickDlgButton(IDC_NOISE_FINISH);
            break;
        case IDD_HEARING_TEST_IN_NOISE_SAMPLE:
            ++noiseAnswers;
            d.SetDlgItemText(IDC_TEXT_SPEECH_1, "тест");
            d.ClickDlgButton(IDC_ANSWER_FIRST);
            d.ClickDlgButton(IDOK);
            break;
        case IDD_SET_USER_NAME:
            d.SetDlgItemText(IDC_USER_NAME, "Иванов Иван");
            d.SetDlgItemText(IDC_USER_COMMENT, "Наушники");
            d.ClickDlgButton(IDOK);
            break;
        default:
            d.EndDialog(IDOK);
        }
    }
};

struct Buttons {
    bool name, first, noise, second, ok, cancel;
    bool operator==(const Buttons&) const = default;
};
Buttons buttons(CDialog& d)
{
    auto on = [&](int id) { return d.GetDlgItem(id)->IsWindowEnabled(); };
    return {on(IDC_SET_USER_NAME), on(IDC_FIRST_SENSITIVITY), on(IDC_NOISE_INTELLIGIBILITY), on(IDC_SECOND_SENSITIVITY),
            on(IDOK), on(IDCANCEL)};
}

} // namespace

TEST(CPelmoraDlg, ProtocolOfAllThreeStages)
{
    std::filesystem::copy(KAVREL_SOURCE_DIR "/pelmora/1", "./1",
                          std::filesystem::copy_options::overwrite_existing | std::filesystem::copy_options::recursive);
    CScriptedUserInteraction ui;
    ui.QueueFile("./protocol.xls");
    CPelmoraDlg dlg;
    ScriptedSubject subject(dlg);
    std::vector<Buttons> seen;
    DialogScript script([&](CDialog& d) {
        if (d.GetTemplateID() != IDD_PELMORA_DIALOG) {
            subject(d);
            return;
        }
        d.SetDlgItemText(IDC_TARGET_ERROR, "50");
        d.SetDlgItemText(IDC_NOISE_START, "0");
        d.SetDlgItemText(IDC_NOISE_END, "2");
        d.SetDlgItemText(IDC_NOISE_STEP, "2");
        seen.push_back(buttons(d));
        for (int id : {IDC_SET_USER_NAME, IDC_FIRST_SENSITIVITY, IDC_NOISE_INTELLIGIBILITY, IDC_SECOND_SENSITIVITY}) {
            d.ClickDlgButton(id);
            seen.push_back(buttons(d));
        }
        d.ClickDlgButton(IDOK);
    });
    ASSERT_EQ(dlg.DoModal(), IDOK);
    // Run-all: only the next stage can be started, and Cancel never.
    ASSERT_EQ(seen.size(), 5u);
    EXPECT_EQ(seen[0], (Buttons{true, true, false, false, false, false}));
    EXPECT_EQ(seen[1], (Buttons{true, true, false, false, false, false}));
    EXPECT_EQ(seen[2], (Buttons{false, false, true, false, false, false}));
    EXPECT_EQ(seen[3], (Buttons{false, false, false, true, false, false}));
    EXPECT_EQ(seen[4], (Buttons{false, false, false, false, true, false}));
    EXPECT_EQ(subject.noiseAnswers, 8);
    // The second search starts from the first estimate, with its bounds forgotten.
    ASSERT_EQ(subject.stageMeasures.size(), 2u);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(subject.stageStartErrors[1][size_t(i)], 1.0);
        EXPECT_NE(subject.stageStartLevels[1][size_t(i)], subject.stageStartLevels[0][size_t(i)]);
    }

    Bytes b = readFile("./protocol.xls");
    ASSERT_GT(b.size(), 4u);
    EXPECT_EQ(b[0], 0xFF);
    EXPECT_EQ(b[1], 0xFE);
    EXPECT_EQ(b[2], 0x18); // "И", U+0418, low byte first
    EXPECT_EQ(b[3], 0x04);
    EXPECT_EQ(b.size() % 2, 0u);
    std::string text = fromUtf16le(b, 2);

    const std::string date = today();
    const std::string head = "Имя испытуемого:\nИванов Иван\n\nКомментарий:\nНаушники\n\nДата испытания:\n" + date +
                             "\n\nПервая оценка чувствительности слуха:\n\nРезюме:\nИмя испытуемого\tДата испытания\t";
    ASSERT_EQ(text.substr(0, head.size()), head);
    size_t noise = text.find("\n\nРазборчивость в шумах:\nИмя испытуемого\tДата испытания\tВремя испытания\t"
                             "Уровень шумов - отношение (речь или музыка)/(шум-помеха) [дБ]\t");
    size_t second = text.find("\n\nВторая оценка чувствительности слуха:\n\nРезюме:\n");
    const std::string dbIntro = "\n\n\nДля базы данных\n(чувствительность в первом испытании) - (границы распознавания) - "
                                "(чувствительность во втором испытании):\n\n";
    size_t db = text.find(dbIntro);
    ASSERT_NE(noise, std::string::npos);
    ASSERT_NE(second, std::string::npos);
    ASSERT_NE(db, std::string::npos);
    EXPECT_LT(noise, second);
    EXPECT_LT(second, db);
    // Eight answers of the one round in the noise log.
    // Two empty lines, the title, the header and the eight answers of the one round.
    EXPECT_EQ(split(text.substr(noise, second - noise), '\n').size(), 2u + 1 + 1 + 8);

    // The database part: a header line and a values line, column for column.
    std::vector<std::string> rows = split(text.substr(db + dbIntro.size()), '\n');
    ASSERT_EQ(rows.size(), 2u);
    std::vector<std::string> header{"Имя испытуемого", "Дата", "Время"}, values{"Иванов Иван", date};
    for (int stage = 1; stage <= 2; ++stage) {
        if (stage == 2) {
            for (const char* pair : {"S1–SN1", "S1–SN2", "S2–SN1", "S2–SN2"}) {
                header.push_back(std::string(pair) + " - начало – дБ");
                header.push_back(std::string(pair) + " – начало – текст");
                header.push_back(std::string(pair) + " - конец – дБ");
                header.push_back(std::string(pair) + " – конец – текст");
                for (const char* v : {"0", "тест", "0", "тест"})
                    values.push_back(v);
            }
            for (const char* pair : {"M1–MN1", "M1–MN2", "M2–MN1", "M2–MN2"}) {
                header.push_back(std::string(pair) + " – дБ");
                values.push_back("");
            }
        }
        for (int i = 0; i < 8; ++i) {
            header.push_back(std::to_string(stage) + "-" + kTestNames[i] + " - Чувствительность (дБ или полутона)");
            header.push_back(std::to_string(stage) + "-" + kTestNames[i] + " - Ошибка чувствительности (дБ или полутона)");
            values.push_back(cell(subject.stageMeasures[size_t(stage - 1)][size_t(i)].first));
            values.push_back(cell(subject.stageMeasures[size_t(stage - 1)][size_t(i)].second));
        }
    }
    EXPECT_EQ(split(rows[0], '\t'), header);
    std::vector<std::string> got = split(rows[1], '\t');
    ASSERT_EQ(got.size(), header.size());
    EXPECT_EQ(got.size(), 55u);
    got.erase(got.begin() + 2); // the time of saving
    EXPECT_EQ(got, values);

    ASSERT_EQ(ui.m_fileDialogs.size(), 1u);
    const FileDialogRequest& r = ui.m_fileDialogs[0];
    EXPECT_FALSE(r.bOpen);
    EXPECT_EQ(r.sDefaultExt, "xls");
    EXPECT_EQ(r.sFilter, "Text Files (*.xls)|*.xls|All Files (*.*)|*.*||");
    EXPECT_EQ(r.sFileName.Find(("Протокол испытаний - Иванов Иван - " + date + "  ").c_str()), 0);
    EXPECT_EQ(r.nFlags & (OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY), DWORD(OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY));
}

TEST(CPelmoraDlg, SavingAfterTheFirstStageOnly)
{
    CScriptedUserInteraction ui;
    ui.QueueFile(""); // the first save is cancelled: back to the dialog
    ui.QueueFile("./first.xls");
    CPelmoraDlg dlg;
    ScriptedSubject subject(dlg);
    bool stayedAfterCancel = false;
    DialogScript script([&](CDialog& d) {
        if (d.GetTemplateID() != IDD_PELMORA_DIALOG) {
            subject(d);
            return;
        }
        d.SetDlgItemText(IDC_TARGET_ERROR, "60");
        d.ClickDlgButton(IDC_RUN_SELECTIVE);
        d.ClickDlgButton(IDC_FIRST_SENSITIVITY);
        d.ClickDlgButton(IDOK);
        stayedAfterCancel = !d.IsEnded();
        d.ClickDlgButton(IDOK);
    });
    ASSERT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(stayedAfterCancel);
    std::string text = fromUtf16le(readFile("./first.xls"), 2);
    const std::string head = "Имя испытуемого:\nФамилия и Имя испытуемого\n\nКомментарий:\nИспользуемая акустическая система. "
                             "Нейрофизиологическое состояние испытуемого.\n\nДата испытания:\n" + today() +
                             "\n\nПервая оценка чувствительности слуха:\n\nРезюме:\n";
    EXPECT_EQ(text.substr(0, head.size()), head);
    EXPECT_EQ(text.find("Разборчивость в шумах"), std::string::npos);
    EXPECT_EQ(text.find("Вторая оценка"), std::string::npos);
    std::vector<std::string> rows = split(text.substr(text.find("\n\nИмя испытуемого\tДата\tВремя") + 2), '\n');
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(split(rows[0], '\t').size(), 3u + 16);
    EXPECT_EQ(split(rows[1], '\t').size(), 3u + 16);
}

TEST(CPelmoraDlg, EscapeDoesNotCloseTheRunAllMode)
{
    CScriptedUserInteraction ui;
    CPelmoraDlg dlg;
    bool endedByEscape = true, endedByClose = true, endedInSelective = false;
    DialogScript script([&](CDialog& d) {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(d.GetWidget(), &escape);
        endedByEscape = d.IsEnded();
        QCloseEvent close;
        QApplication::sendEvent(d.GetWidget(), &close);
        endedByClose = d.IsEnded();
        d.ClickDlgButton(IDC_RUN_SELECTIVE);
        QKeyEvent again(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(d.GetWidget(), &again);
        endedInSelective = d.IsEnded();
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_FALSE(endedByEscape);
    EXPECT_FALSE(endedByClose);
    EXPECT_TRUE(endedInSelective);
}

TEST(CPelmoraDlg, ParametersAreChecked)
{
    CScriptedUserInteraction ui;
    CPelmoraDlg dlg;
    int noiseDialogs = 0;
    DialogScript script([&](CDialog& d) {
        if (d.GetTemplateID() == IDD_PELMORA_DIALOG) {
            d.ClickDlgButton(IDC_RUN_SELECTIVE);
            d.SetDlgItemText(IDC_NOISE_STEP, "0");
            d.ClickDlgButton(IDC_NOISE_INTELLIGIBILITY);
            d.ClickDlgButton(IDCANCEL);
        } else {
            ++noiseDialogs;
            d.EndDialog(IDCANCEL);
        }
    });
    dlg.DoModal();
    EXPECT_EQ(noiseDialogs, 0);
    ASSERT_EQ(ui.m_messages.size(), 1u);
    EXPECT_EQ(ui.m_messages[0].sText, "Введите целое число от 1 до 100.");
}
