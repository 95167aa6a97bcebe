// Morvit driven through its dialog as a user would: files chosen in the
// file dialogs, numbers typed into the edits, buttons pressed.
#include <numbers>
#include <gtest/gtest.h>

#include <QApplication>
#include <cmath>
#include <cstdio>
#include <unistd.h>

#include "framework/base/ScriptedUserInteraction.h"
#include "framework/ui/CWinApp.h"
#include "testsupport/HelpOpened.h"
#include "testsupport/WavBytes.h"
#include "morvit/MorvitDlg.h"
#include "testsupport/QtTestApp.h"

using namespace wavbytes;

namespace {

class QtEnvironment : public testing::Environment {
public:
    void SetUp() override { ktest::EnsureQtApplication(); }
};
const auto* kQt = testing::AddGlobalTestEnvironment(new QtEnvironment);

struct Step {
    enum Kind { Click, Type, Leave } kind;
    int id;
    const char* text = "";
};

// Runs the main dialog with these steps, then OK; other dialogs are closed with OK.
void runMorvit(const std::vector<Step>& steps, CMorvitDlg& dlg)
{
    DialogDriver old = SetDialogDriver([&](CDialog& d) {
        if (d.GetTemplateID() != IDD_MORVIT_DIALOG) {
            d.EndDialog(IDOK);
            return;
        }
        for (const Step& s : steps) {
            if (s.kind == Step::Click)
                d.ClickDlgButton(s.id);
            else if (s.kind == Step::Type)
                d.SetDlgItemText(s.id, s.text);
            else
                d.NotifyKillFocus(s.id);
        }
        d.ClickDlgButton(IDOK);
    });
    dlg.DoModal();
    SetDialogDriver(old);
}

// The user chooses these files in the file dialogs, one a dialog in turn,
// while the main dialog runs with the steps.
void runMorvitOn(CScriptedUserInteraction& ui, const std::vector<std::string>& files, const std::vector<Step>& steps,
                 CMorvitDlg& dlg)
{
    for (const std::string& f : files)
        ui.QueueFile(f.c_str());
    runMorvit(steps, dlg);
}

// The main dialog run on these files with the steps, and the user
// interaction it ran with (the messages it showed).
struct MorvitRun {
    MorvitRun(const std::vector<std::string>& files, const std::vector<Step>& steps)
    {
        runMorvitOn(ui, files, steps, dlg);
    }
    CScriptedUserInteraction ui;
    CMorvitDlg dlg;
};

std::vector<int> samplesOf(const std::string& path, int* rate = nullptr, int* channels = nullptr)
{
    Bytes b = readFile(path);
    std::vector<int> v;
    if (b.size() < 46)
        return v;
    if (channels)
        *channels = b[22] | (b[23] << 8);
    if (rate)
        *rate = int(b[24] | (b[25] << 8) | (b[26] << 16) | (b[27] << 24));
    for (size_t i = 46; i + 1 < b.size(); i += 2)
        v.push_back(short(std::uint16_t(b[i] | (b[i + 1] << 8))));
    return v;
}

std::vector<Step> cosine(const char* phase, const char* freq, const char* growth)
{
    return {{Step::Click, IDC_OPEN_INPUT},       {Step::Click, IDC_OPEN_OUTPUT},
            {Step::Type, IDC_START_PHASE, phase}, {Step::Type, IDC_START_FREQUENCY, freq},
            {Step::Type, IDC_FREQUENCY_GROWTH, growth}, {Step::Leave, IDC_FREQUENCY_GROWTH},
            {Step::Click, IDC_COSINE}};
}

std::vector<Step> addition(const char* addend)
{
    return {{Step::Click, IDC_OPEN_INPUT},
            {Step::Click, IDC_OPEN_OUTPUT},
            {Step::Type, IDC_ADDEND, addend},
            {Step::Click, IDC_ADD}};
}

} // namespace

TEST(Morvit, CosineWithNothingSetScalesAndPads)
{
    std::string in = writeFile("mv-in.wav", pcm16(1, 8000, std::vector<int>(20000, 10000)));
    std::string out = tempPath("mv-out.wav");
    MorvitRun run({in, out}, cosine("0", "0", "0"));
    int rate = 0, channels = 0;
    std::vector<int> y = samplesOf(out, &rate, &channels);
    EXPECT_EQ(rate, 8000);
    EXPECT_EQ(channels, 1);
    ASSERT_EQ(y.size(), 32768u); // two blocks of 16384
    EXPECT_EQ(y[0], 9999);
    EXPECT_EQ(y[19999], 9999);
    EXPECT_EQ(y[20000], 0);
    EXPECT_EQ(y[32767], 0);
    EXPECT_EQ(run.ui.m_beeps, (std::vector<std::pair<DWORD, DWORD>>{{500, 50}, {1000, 50}, {2000, 50}, {4000, 50}}));
    EXPECT_EQ(run.dlg.sFrADCText, "Частота дискретного представления сигнала = 8000 Гц.");
    EXPECT_TRUE(run.ui.m_messages.empty());
}

TEST(Morvit, CosineAtHalfTheRateAlternatesSigns)
{
    std::vector<int> x(100);
    for (int i = 0; i < 100; ++i)
        x[size_t(i)] = 1000 + i;
    std::string in = writeFile("mv-nyq.wav", pcm16(1, 8000, x));
    std::string out = tempPath("mv-nyq-out.wav");
    MorvitRun run({in, out}, cosine("0", "4000", "0"));
    std::vector<int> y = samplesOf(out);
    ASSERT_EQ(y.size(), 16384u);
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(y[size_t(i)], int(std::cos(2 * std::numbers::pi * 4000.0 * i / 8000) * ((1000 + i) * 0.99996))) << i;
    EXPECT_GT(y[0], 0);
    EXPECT_LT(y[1], 0);
    EXPECT_GT(y[2], 0);

    // A quarter period of start phase: cos(π/2) leaves nothing.
    CScriptedUserInteraction ui2;
    CMorvitDlg dlg2;
    runMorvitOn(ui2, {in, out}, cosine("0.25", "0", "0"), dlg2);
    for (int v : samplesOf(out))
        ASSERT_EQ(v, 0);
}

TEST(Morvit, AdditionClampsAndKeepsTheLength)
{
    std::vector<int> x(20000, 5);
    x[0] = 32000;
    x[1] = -32000;
    std::string in = writeFile("mv-add.wav", pcm16(1, 11025, x));
    std::string out = tempPath("mv-add-out.wav");
    for (const char* addend : {"1000", "-1000"}) {
        MorvitRun run({in, out}, addition(addend));
        std::vector<int> y = samplesOf(out);
        ASSERT_EQ(y.size(), 20000u);
        if (addend[0] == '-') {
            EXPECT_EQ(y[1], -32768);
            EXPECT_EQ(y[0], 31000);
            EXPECT_EQ(y[5], -995);
        } else {
            EXPECT_EQ(y[0], 32767);
            EXPECT_EQ(y[1], -31000);
            EXPECT_EQ(y[19999], 1005);
        }
    }
}

TEST(Morvit, RangeOfTheInput)
{
    std::vector<int> x(40000);
    for (size_t i = 0; i < x.size(); ++i)
        x[i] = 100 + int(i % 101);
    std::string in = writeFile("mv-range.wav", pcm16(1, 8000, x));
    CScriptedUserInteraction ui;
    ui.QueueFile(in.c_str());
    CMorvitDlg dlg;
    int shownMax = 0, shownMin = 0;
    DialogDriver old = SetDialogDriver([&](CDialog& d) {
        d.ClickDlgButton(IDC_OPEN_INPUT);
        d.ClickDlgButton(IDC_RANGE);
        shownMax = std::atoi(d.GetDlgItemText(IDC_MAX));
        shownMin = std::atoi(d.GetDlgItemText(IDC_MIN));
        EXPECT_FALSE(d.GetDlgItem(IDC_PLAY_OUTPUT)->IsWindowEnabled());
        EXPECT_TRUE(d.GetDlgItem(IDC_PLAY_INPUT)->IsWindowEnabled());
        d.ClickDlgButton(IDCANCEL);
    });
    dlg.DoModal();
    SetDialogDriver(old);
    EXPECT_EQ(shownMax, 200);
    EXPECT_EQ(shownMin, 100);
}

TEST(Morvit, EightBitRefusedStereoWarnsAndGivesMono)
{
    std::string eight = writeFile("mv-8.wav", riff({chunk("fmt ", fmtBody(1, 1, 8000, 8)), chunk("data", Bytes(100, 128))}));
    {
        CScriptedUserInteraction ui;
        ui.QueueFile(eight.c_str());
        CMorvitDlg dlg;
        runMorvit({{Step::Click, IDC_OPEN_INPUT}}, dlg);
        ASSERT_EQ(ui.m_messages.size(), 1u);
        EXPECT_EQ(ui.m_messages[0].sText, "Это не монофонический сигнал.\n Работа с ним вестись не будет.");
        EXPECT_FALSE(dlg.InputWave.KWaveIsGood());
    }
    std::vector<int> inter;
    for (int i = 0; i < 3000; ++i) {
        inter.push_back(i);
        inter.push_back(-i);
    }
    std::string stereo = writeFile("mv-st.wav", pcm16(2, 8000, inter));
    std::string out = tempPath("mv-st-out.wav");
    MorvitRun run({stereo, out}, addition("1"));
    ASSERT_EQ(run.ui.m_messages.size(), 1u);
    EXPECT_EQ(run.ui.m_messages[0].sText, "Данный файл не монофонический.\nВсе дальнейшие вычисления будут не корректными!");
    int channels = 0;
    std::vector<int> y = samplesOf(out, nullptr, &channels);
    EXPECT_EQ(channels, 1);
    ASSERT_EQ(y.size(), 3000u);
    EXPECT_EQ(y[2999], 3000); // the first channel, plus one
}

TEST(Morvit, TransformWithoutFilesSaysSo)
{
    MorvitRun run({}, {{Step::Click, IDC_ADD}});
    ASSERT_EQ(run.ui.m_messages.size(), 1u);
    EXPECT_EQ(run.ui.m_messages[0].sText, "Сначала откройте входной звуковой файл.");
}

TEST(Morvit, PhaseOutsideAPeriodIsRejected)
{
    MorvitRun run({}, {{Step::Type, IDC_START_PHASE, "1.5"}, {Step::Leave, IDC_START_PHASE}});
    ASSERT_FALSE(run.ui.m_messages.empty());
    EXPECT_EQ(run.ui.m_messages[0].sText, "Введите число от 0 до 1.");
}

// One channel is read, so the output says one channel: a stereo label over
// the first channel's samples played at half the length.
TEST(Morvit, CosineOfAStereoInputIsMono)
{
    std::vector<int> inter;
    for (int i = 0; i < 3000; ++i) {
        inter.push_back(10000);
        inter.push_back(-5000);
    }
    std::string in = writeFile("mv-cst.wav", pcm16(2, 8000, inter));
    std::string out = tempPath("mv-cst-out.wav");
    MorvitRun run({in, out}, cosine("0", "0", "0"));
    int channels = 0;
    std::vector<int> y = samplesOf(out, nullptr, &channels);
    EXPECT_EQ(channels, 1);
    ASSERT_EQ(y.size(), 16384u);
    EXPECT_EQ(y[2999], 9999);
    EXPECT_EQ(y[3000], 0);
    Bytes b = readFile(out);
    EXPECT_EQ(b[32] | (b[33] << 8), 2); // block alignment of 16-bit mono
}

TEST(Morvit, AdditionStopsWhenTheAddendIsRefused)
{
    std::string in = writeFile("mv-bad-add.wav", pcm16(1, 8000, std::vector<int>(100, 5)));
    std::string out = tempPath("mv-bad-add-out.wav");
    std::remove(out.c_str());
    MorvitRun run({in, out}, addition("сто"));
    // The message of the addition (OK then says it once more).
    ASSERT_FALSE(run.ui.m_messages.empty());
    EXPECT_EQ(run.ui.m_messages[0].sText, "Введите целое число.");
    EXPECT_TRUE(readFile(out).empty()) << "nothing is written after the message";
    EXPECT_TRUE(run.ui.m_beeps.empty());
}

// A second "Открыть ..." that is cancelled, or that picks a file the program
// refuses, keeps the first input: path, rate text and Play agree with it.
TEST(Morvit, SecondInputChoiceThatFailsKeepsTheFirst)
{
    std::string in = writeFile("mv-keep.wav", pcm16(1, 11025, std::vector<int>(100, 7)));
    std::string eight = writeFile("mv-keep-8.wav", riff({chunk("fmt ", fmtBody(1, 1, 8000, 8)), chunk("data", Bytes(100, 128))}));
    CScriptedUserInteraction ui;
    ui.QueueFile(in.c_str());
    ui.QueueFile(""); // cancelled
    ui.QueueFile(eight.c_str());
    CMorvitDlg dlg;
    bool playEnabled[2] = {};
    CString paths[2];
    DialogDriver old = SetDialogDriver([&](CDialog& d) {
        d.ClickDlgButton(IDC_OPEN_INPUT);
        for (int i = 0; i < 2; ++i) {
            d.ClickDlgButton(IDC_OPEN_INPUT);
            playEnabled[i] = d.GetDlgItem(IDC_PLAY_INPUT)->IsWindowEnabled();
            paths[i] = d.GetDlgItemText(IDC_INPUT_PATH);
        }
        d.EndDialog(IDOK);
    });
    dlg.DoModal();
    SetDialogDriver(old);
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(playEnabled[i]) << i;
        EXPECT_EQ(paths[i], CString(in.c_str())) << i;
    }
    EXPECT_TRUE(dlg.InputWave.KWaveIsGood());
    EXPECT_EQ(dlg.InputWave.GetKWaveFilePathName(), CString(in.c_str()));
    EXPECT_EQ(dlg.sFrADCText, "Частота дискретного представления сигнала = 11025 Гц.");
}

// Choosing the input (or a link to it) as the output is refused, before and
// after the input is opened, and the input survives untouched.
TEST(Morvit, OutputThatIsTheInputIsRefused)
{
    std::string in = writeFile("mv-same.wav", pcm16(1, 8000, std::vector<int>(100, 7)));
    const Bytes before = readFile(in);
    std::string link = tempPath("mv-same-link.wav");
    std::remove(link.c_str());
    ASSERT_EQ(::symlink(in.c_str(), link.c_str()), 0);
    const char* const refusal = "Выходной файл совпадает с входным.\nВыберите для результата другой файл.";
    {
        MorvitRun run({in, link},
                      {{Step::Click, IDC_OPEN_INPUT}, {Step::Click, IDC_OPEN_OUTPUT}, {Step::Click, IDC_ADD}});
        ASSERT_EQ(run.ui.m_messages.size(), 2u);
        EXPECT_EQ(run.ui.m_messages[0].sText, refusal);
        EXPECT_EQ(run.ui.m_messages[1].sText, "Сначала выберите выходной звуковой файл.");
        EXPECT_TRUE(run.dlg.sOutputPath.IsEmpty());
    }
    {
        // The output first, then the same file as input.
        MorvitRun run({in, in},
                      {{Step::Click, IDC_OPEN_OUTPUT}, {Step::Click, IDC_OPEN_INPUT}, {Step::Click, IDC_COSINE}});
        ASSERT_EQ(run.ui.m_messages.size(), 1u);
        EXPECT_EQ(run.ui.m_messages[0].sText, refusal);
    }
    EXPECT_EQ(readFile(in), before);
    std::remove(link.c_str());
}

// The guide beside the program, at the topic of the transform's dialog;
// nothing said in a message box.
TEST(Morvit, HelpOpensTheGuideAtTheDialogsTopic)
{
    CWinApp app("Morvit");
    CScriptedUserInteraction ui;
    CMorvitDlg dlg;
    EXPECT_TRUE(ktest::HelpButtonOpensGuideAt(dlg, IDC_HELP_BUTTON, "morvit", "window-102"));
    EXPECT_TRUE(ui.m_messages.empty());
}
