// The recorder driven through its dialog as a user would, recording from
// the simulated device whose input is a known signal.
#include <csignal>
#include <functional>
#include <sys/resource.h>

#include "capteon/CapteonDlg.h"
#include "capteon/tests/CapteonTestSupport.h"
#include "framework/base/ScriptedUserInteraction.h"
#include "testsupport/HelpOpened.h"

using namespace capteontest;
using namespace wavbytes;

namespace {

const auto* kEnv = testing::AddGlobalTestEnvironment(new Environment);

void setProfile(int rate, int channels)
{
    AfxGetApp()->WriteProfileInt("Settings", "FrequencyADC", rate);
    AfxGetApp()->WriteProfileInt("Settings", "NChannels", channels);
}

// The other dialogs the recorder opened: template and window title.
std::vector<std::pair<UINT, CString>> g_opened;

// Runs the recorder with these steps; other dialogs are closed with OK.
// The recorder ends with OK unless the steps ended it.
INT_PTR runCapteon(CCapteonDlg& dlg, const std::function<void(CCapteonDlg&)>& steps)
{
    g_opened.clear();
    DialogDriver old = SetDialogDriver([&](CDialog& d) {
        if (d.GetTemplateID() != IDD_CAPTEON_DIALOG) {
            g_opened.push_back({d.GetTemplateID(), d.GetDlgItemText(5001)});
            d.EndDialog(IDOK);
            return;
        }
        steps(static_cast<CCapteonDlg&>(d));
        if (!d.IsEnded())
            d.ClickDlgButton(IDOK);
    });
    INT_PTR r = dlg.DoModal();
    SetDialogDriver(old);
    return r;
}

bool enabled(CDialog& d, int id)
{
    return d.GetDlgItem(id)->IsWindowEnabled();
}

// Which of Record, Pause, Resume, Stop, Play and the file button are enabled, as "RPUSYF" letters.
std::string buttons(CDialog& d)
{
    std::string s;
    const std::pair<int, char> all[] = {{IDC_RECORD, 'R'}, {IDC_PAUSE, 'P'}, {IDC_RESUME, 'U'},
                                        {IDC_STOP, 'S'},   {IDC_PLAY, 'Y'},  {IDC_CHOOSE_FILE, 'F'}};
    for (auto [id, c] : all)
        if (enabled(d, id))
            s += c;
    return s;
}

// The simulated device will give source; the user will choose a new file
// of this name to record into. Its path.
std::string recordingOf(const std::vector<short>& source, const char* name, CScriptedUserInteraction& ui)
{
    CVirtualAudio::SetInputSamples(source);
    const std::string path = tempPath(name);
    ui.QueueFile(path.c_str());
    return path;
}

std::vector<int> asInts(const std::vector<short>& v)
{
    return std::vector<int>(v.begin(), v.end());
}

} // namespace

// Four seconds of known peaks: 1000, full scale (with eight overflows),
// silence, and half a second at half scale.
TEST(Capteon, MonoRecordingIsTheSourceWithItsLevels)
{
    useOwnProfile();
    CVirtualAudio::Use();
    setProfile(8000, 1);
    std::vector<short> source(28000);
    for (int i = 0; i < 8000; ++i)
        source[size_t(i)] = short(i % 2001 - 1000);
    for (int i = 8000; i < 16000; ++i)
        source[size_t(i)] = short(i % 3 - 1);
    for (int i = 8100; i < 8105; ++i)
        source[size_t(i)] = 32767;
    for (int i = 9000; i < 9003; ++i)
        source[size_t(i)] = -32768;
    for (int i = 24000; i < 28000; ++i)
        source[size_t(i)] = short(i % 2 ? 16384 : -16384);
    CScriptedUserInteraction ui;
    const std::string path = recordingOf(source, "capteon-mono.wav", ui);
    CCapteonDlg dlg;
    runCapteon(dlg, [&](CCapteonDlg& d) {
        EXPECT_EQ(buttons(d), "F");
        d.ClickDlgButton(IDC_CHOOSE_FILE);
        EXPECT_EQ(buttons(d), "RF");
        d.ClickDlgButton(IDC_RECORD);
        EXPECT_EQ(buttons(d), "PS");
        EXPECT_FALSE(enabled(d, IDOK));
        EXPECT_FALSE(enabled(d, IDC_FREQUENCY_ADC));
        passSeconds(8000, 3.5);
        EXPECT_EQ(d.GetDlgItemText(IDC_SECONDS), "3"); // the half second is still on the device
        d.ClickDlgButton(IDC_STOP);
        EXPECT_EQ(buttons(d), "YF");
        EXPECT_EQ(d.GetDlgItemText(IDC_SECONDS), "3"); // 28000 of 8000
        EXPECT_EQ(d.GetDlgItemText(IDC_CURRENT_LEVEL), "-6");
        EXPECT_EQ(d.GetDlgItemText(IDC_LEVEL_SPREAD), "(0) - (-96) = 96");
        EXPECT_EQ(d.GetDlgItemText(IDC_OVERFLOWS), "8");
        EXPECT_EQ(d.PowerLevel.nCount, 4);
        QApplication::processEvents(); // late notifications of the closed device change nothing
        d.ClickDlgButton(IDC_PLAY);
        d.OnSysCommand(IDM_ABOUTBOX);
    });
    ASSERT_EQ(g_opened.size(), 2u);
    EXPECT_EQ(g_opened[0], std::make_pair(UINT(4129), CString(path))); // the whole-file player on the file
    EXPECT_EQ(g_opened[1].first, UINT(IDD_ABOUTBOX));
    EXPECT_EQ(dlg.nRecordedSamples, 28000);
    EXPECT_NEAR(dlg.dCurrentLevel, -6.0206, 1e-4);
    EXPECT_NEAR(dlg.dLowestLevel, -96.3296, 1e-4);
    EXPECT_EQ(dlg.dHighestLevel, 0.0);
    EXPECT_EQ(readFile(path), recorderWav(1, 8000, asInts(source)));
    EXPECT_EQ(dlg.sResultPathName, path.c_str());
    EXPECT_EQ(dlg.sResultTitle, "capteon-mono");
    EXPECT_TRUE(ui.m_messages.empty());
    ASSERT_EQ(ui.m_fileDialogs.size(), 1u);
    EXPECT_EQ(ui.m_fileDialogs[0].sTitle, "В какой новый звуковой файл записывать сигнал?");
    EXPECT_EQ(ui.m_fileDialogs[0].sFileName, "Имя файла не указано");
    EXPECT_FALSE(ui.m_fileDialogs[0].bOpen);
}

// Seconds count frames, overflows count samples of both channels.
TEST(Capteon, StereoRecordingCountsFramesAndBothChannels)
{
    useOwnProfile();
    CVirtualAudio::Use();
    setProfile(16000, 2);
    std::vector<short> source;
    for (int f = 0; f < 40000; ++f) {
        source.push_back(short(f % 1000));
        source.push_back(short(-(f % 700)));
    }
    source[2 * 100 + 1] = -32768; // right
    source[2 * 20000] = 32767;    // left
    source[2 * 20001 + 1] = 32767;
    CScriptedUserInteraction ui;
    const std::string path = recordingOf(source, "capteon-stereo.wav", ui);
    CCapteonDlg dlg;
    runCapteon(dlg, [&](CCapteonDlg& d) {
        EXPECT_EQ(d.GetCheckedRadioButton(IDC_MONO, IDC_STEREO), int(IDC_STEREO));
        d.ClickDlgButton(IDC_CHOOSE_FILE);
        d.ClickDlgButton(IDC_RECORD);
        passSeconds(16000, 2.5);
        d.ClickDlgButton(IDC_STOP);
        EXPECT_EQ(d.GetDlgItemText(IDC_SECONDS), "2");
        EXPECT_EQ(d.GetDlgItemText(IDC_OVERFLOWS), "3");
    });
    EXPECT_EQ(dlg.nRecordedSamples, 40000);
    EXPECT_EQ(readFile(path), recorderWav(2, 16000, asInts(source)));
}

// The buffer being filled comes back at Pause and is written; while paused
// nothing is recorded, so the file is the source without a gap or a repeat.
TEST(Capteon, PauseLosesNothingAndRecordsNothing)
{
    useOwnProfile();
    CVirtualAudio::Use();
    setProfile(8000, 1);
    std::vector<short> source(60000);
    for (size_t i = 0; i < source.size(); ++i)
        source[i] = short(i % 30011 - 15000);
    CScriptedUserInteraction ui;
    const std::string path = recordingOf(source, "capteon-pause.wav", ui);
    CCapteonDlg dlg;
    runCapteon(dlg, [&](CCapteonDlg& d) {
        d.ClickDlgButton(IDC_CHOOSE_FILE);
        d.ClickDlgButton(IDC_RECORD);
        passSeconds(8000, 1.5);
        d.ClickDlgButton(IDC_PAUSE);
        EXPECT_EQ(buttons(d), "US");
        QApplication::processEvents();
        EXPECT_EQ(d.nRecordedSamples, 12000);
        passSeconds(8000, 3);
        EXPECT_EQ(d.nRecordedSamples, 12000);
        EXPECT_EQ(d.PowerLevel.nCount, 2);
        d.ClickDlgButton(IDC_RESUME);
        EXPECT_EQ(buttons(d), "PS");
        passSeconds(8000, 2.25);
        d.ClickDlgButton(IDC_STOP);
    });
    EXPECT_EQ(dlg.nRecordedSamples, 30000);
    std::vector<int> expected(source.begin(), source.begin() + 30000);
    EXPECT_EQ(readFile(path), recorderWav(1, 8000, expected));
    EXPECT_TRUE(ui.m_messages.empty());
}

TEST(Capteon, StoredSettingsAreCheckedAndRewritten)
{
    useOwnProfile();
    CVirtualAudio::Use();
    setProfile(12345, 3);
    CScriptedUserInteraction ui;
    CCapteonDlg dlg;
    runCapteon(dlg, [&](CCapteonDlg& d) {
        CComboBox* combo = d.GetDlgItemAs<CComboBox>(IDC_FREQUENCY_ADC);
        ASSERT_EQ(combo->GetCount(), 18);
        CString first, last, chosen;
        combo->GetLBText(0, first);
        combo->GetLBText(17, last);
        EXPECT_EQ(first, "1000");
        EXPECT_EQ(last, "11150");
        EXPECT_EQ(combo->GetCurSel(), 6);
        combo->GetLBText(6, chosen);
        EXPECT_EQ(chosen, "11025");
        EXPECT_EQ(d.GetCheckedRadioButton(IDC_MONO, IDC_STEREO), int(IDC_MONO));
        EXPECT_EQ(AfxGetApp()->GetProfileInt("Settings", "FrequencyADC", 0), 11025);
        EXPECT_EQ(AfxGetApp()->GetProfileInt("Settings", "NChannels", 0), 1);

        d.ChooseComboItem(IDC_FREQUENCY_ADC, 13);
        d.ClickDlgButton(IDC_STEREO);
        EXPECT_EQ(AfxGetApp()->GetProfileInt("Settings", "FrequencyADC", 0), 48000);
        EXPECT_EQ(AfxGetApp()->GetProfileInt("Settings", "NChannels", 0), 2);
        EXPECT_EQ(d.WaveFormat.nSamplesPerSec, 48000u);
        EXPECT_EQ(d.WaveFormat.nAvgBytesPerSec, 192000u);
        EXPECT_EQ(d.WaveFormat.nBlockAlign, 4);
        EXPECT_EQ(d.WaveFormat.nChannels, 2);
    });
    EXPECT_EQ(dlg.nFrequencyADC, 48000);
}

// A finished file is never recorded over: the next recording needs a new
// file; Cancel offers to delete the last one and No keeps the dialog.
TEST(Capteon, AfterStopANewFileAndCancelAsksToDelete)
{
    useOwnProfile();
    CVirtualAudio::Use();
    setProfile(8000, 1);
    CVirtualAudio::SetInputSamples(std::vector<short>(100000, 1234));
    std::string first = tempPath("capteon-first.wav"), second = tempPath("capteon-second.wav");
    CScriptedUserInteraction ui;
    ui.QueueFile(first.c_str());
    ui.QueueFile(second.c_str());
    ui.QueueAnswer(IDNO);
    ui.QueueAnswer(IDYES);
    CCapteonDlg dlg;
    INT_PTR result = runCapteon(dlg, [&](CCapteonDlg& d) {
        d.ClickDlgButton(IDC_CHOOSE_FILE);
        d.ClickDlgButton(IDC_RECORD);
        passSeconds(8000, 1);
        d.ClickDlgButton(IDC_STOP);
        d.ClickDlgButton(IDC_RECORD); // disabled: nothing happens
        EXPECT_EQ(buttons(d), "YF");
        EXPECT_EQ(readFile(first).size(), 46u + 16000u);

        d.ClickDlgButton(IDC_CHOOSE_FILE);
        EXPECT_EQ(buttons(d), "RF");
        d.ClickDlgButton(IDC_RECORD);
        passSeconds(8000, 0.5);
        d.ClickDlgButton(IDC_STOP);
        EXPECT_EQ(readFile(second).size(), 46u + 8000u);

        d.ClickDlgButton(IDCANCEL);
        EXPECT_FALSE(d.IsEnded());
        EXPECT_EQ(readFile(second).size(), 46u + 8000u);
        d.ClickDlgButton(IDCANCEL);
        EXPECT_TRUE(d.IsEnded());
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(readFile(first).size(), 46u + 16000u);
    EXPECT_TRUE(readFile(second).empty());
    ASSERT_EQ(ui.m_messages.size(), 2u);
    for (const auto& m : ui.m_messages) {
        EXPECT_EQ(m.sText, "Удалить только что записанный звуковой файл?");
        EXPECT_EQ(m.sCaption, "Что делать?");
        EXPECT_EQ(m.nStyle & MB_TYPEMASK, UINT(MB_YESNO));
    }
}

// A full disk in the middle of a recording: the recording stops with the
// message, and the file holds every whole buffer written before, with its sizes.
// A recording already 2.5 GiB long: the file jumps there (sparse) and the
// recorder counts those bytes as written.
struct CapteonTestAccess {
    static void SkipAhead(CCapteonDlg& d, unsigned long long bytes)
    {
        ASSERT_EQ(mmioSeek(d.hmmio, (long long)d.ckData.dwDataOffset + (long long)bytes, SEEK_SET),
                  (long long)d.ckData.dwDataOffset + (long long)bytes);
        d.m_nDataBytes = bytes;
    }
};

// Records a ramp at 8000 Hz mono into path, `before` bytes into the data
// (skipped, sparse) with room on the disk for two more whole buffers and
// part of a third; the recording must stop by itself.
std::vector<short> RecordUntilTheDiskIsFull(const std::string& path, unsigned long long before,
                                            CScriptedUserInteraction& ui)
{
    useOwnProfile();
    CVirtualAudio::Use();
    setProfile(8000, 1);
    std::vector<short> source(50000);
    for (size_t i = 0; i < source.size(); ++i)
        source[i] = short(i * 7);
    CVirtualAudio::SetInputSamples(source);
    std::remove(path.c_str());
    ui.QueueFile(path.c_str());
    CCapteonDlg dlg;
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    runCapteon(dlg, [&](CCapteonDlg& d) {
        d.ClickDlgButton(IDC_CHOOSE_FILE);
        d.ClickDlgButton(IDC_RECORD);
        if (before)
            CapteonTestAccess::SkipAhead(d, before);
        rlimit small = saved;
        small.rlim_cur = 46 + before + 2 * 16000 + 5000;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        passSeconds(8000, 4);
        setrlimit(RLIMIT_FSIZE, &saved);
        EXPECT_EQ(buttons(d), "YF");
        EXPECT_EQ(d.hWaveIn, nullptr);
    });
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    return source;
}

TEST(Capteon, WriteFailureLeavesAWholeFileOfWhatWasWritten)
{
    std::string path = tempPath("capteon-full.wav");
    CScriptedUserInteraction ui;
    std::vector<short> source = RecordUntilTheDiskIsFull(path, 0, ui);
    ASSERT_EQ(ui.m_messages.size(), 1u);
    EXPECT_EQ(ui.m_messages[0].sText, "Ошибка номер 1 записи в файл:\n\n" + CString(path) +
                                          "\n\nВозможно, что диск уже переполнился.");
    EXPECT_EQ(ui.m_messages[0].sCaption, "Capteon - error");
    EXPECT_EQ(ui.m_messages[0].nStyle & MB_ICONMASK, UINT(MB_ICONSTOP));
    std::vector<int> expected(source.begin(), source.begin() + 16000);
    EXPECT_EQ(readFile(path), recorderWav(1, 8000, expected));
}

TEST(Capteon, DeviceErrorsAreShownAndLeaveNoOpenFile)
{
    useOwnProfile();
    CVirtualAudio::Use();
    setProfile(8000, 1);
    std::string path = tempPath("capteon-nodevice.wav");
    CScriptedUserInteraction ui;
    ui.QueueFile(path.c_str());
    CCapteonDlg dlg;
    runCapteon(dlg, [&](CCapteonDlg& d) {
        d.ClickDlgButton(IDC_CHOOSE_FILE);
        CVirtualAudio::SetDeviceCounts(1, 0);
        d.ClickDlgButton(IDC_RECORD);
        CVirtualAudio::SetDeviceCounts(1, 1);
        CVirtualAudio::FailNextOpen(MMSYSERR_ALLOCATED);
        d.ClickDlgButton(IDC_RECORD);
        EXPECT_EQ(d.hmmio, nullptr);
        EXPECT_EQ(buttons(d), "RF"); // the user may try again
    });
    ASSERT_EQ(ui.m_messages.size(), 2u);
    EXPECT_EQ(ui.m_messages[0].sText, "Нет ни одного свободного устройства записи звука.");
    EXPECT_EQ(ui.m_messages[0].sCaption, "Ошибка на звуковой плате");
    EXPECT_EQ(ui.m_messages[1].sText, "Не удалось открыть звуковое устройство.\n\nSpecified resource is already allocated.");
    EXPECT_EQ(ui.m_messages[1].sCaption, "Ошибка на звуковой плате");
    EXPECT_EQ(readFile(path), recorderWav(1, 8000, {}));
}

// OK or the close box in the middle of a recording end it properly: the
// file is whole even though the dialog is gone before the device's last words.
TEST(Capteon, ClosingWhileRecordingFinishesTheFile)
{
    useOwnProfile();
    CVirtualAudio::Use();
    setProfile(4000, 2);
    CVirtualAudio::SetInputFunction([](long f, int ch) { return short(ch ? -f : f); });
    std::string path = tempPath("capteon-ok.wav"), cancelled = tempPath("capteon-cancel.wav");
    CScriptedUserInteraction ui;
    ui.QueueFile(path.c_str());
    ui.QueueFile(cancelled.c_str());
    ui.QueueAnswer(IDNO);
    CCapteonDlg dlg;
    INT_PTR result = runCapteon(dlg, [&](CCapteonDlg& d) {
        d.ClickDlgButton(IDC_CHOOSE_FILE);
        d.ClickDlgButton(IDC_RECORD);
        passSeconds(4000, 0.75);
        d.OnOK();
    });
    EXPECT_EQ(result, IDOK);
    std::vector<int> expected;
    for (int f = 0; f < 3000; ++f)
        expected.insert(expected.end(), {f, -f});
    EXPECT_EQ(readFile(path), recorderWav(2, 4000, expected));
    EXPECT_EQ(dlg.sResultPathName, path.c_str());

    CCapteonDlg second;
    runCapteon(second, [&](CCapteonDlg& d) {
        d.ClickDlgButton(IDC_CHOOSE_FILE);
        d.ClickDlgButton(IDC_RECORD);
        passSeconds(4000, 0.75);
        d.OnCancel(); // stops, asks, and No keeps the dialog
        EXPECT_FALSE(d.IsEnded());
        EXPECT_EQ(d.hWaveIn, nullptr);
    });
    EXPECT_EQ(readFile(cancelled), recorderWav(2, 4000, expected));
    ASSERT_EQ(ui.m_messages.size(), 1u);
    EXPECT_EQ(ui.m_messages[0].sCaption, "Что делать?");
}

// Past 2 GiB a failed write still rolls back to the last whole buffer and
// patches the header with the true sizes.
TEST(Capteon, WriteFailurePastTwoGigabytesKeepsExactSizes)
{
    std::string path = tempPath("capteon-big.wav");
    CScriptedUserInteraction ui;
    const unsigned long long before = 167772ULL * 16000; // whole one-second buffers, past 2 GiB
    std::vector<short> source = RecordUntilTheDiskIsFull(path, before, ui);
    ASSERT_EQ(ui.m_messages.size(), 1u);
    FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    unsigned char head[46];
    ASSERT_EQ(std::fread(head, 1, 46, f), 46u);
    auto le32 = [&](int at) { return std::uint32_t(head[at] | (head[at + 1] << 8) | (head[at + 2] << 16) | (std::uint32_t(head[at + 3]) << 24)); };
    EXPECT_EQ(le32(4), std::uint32_t(38 + before + 32000));
    EXPECT_EQ(le32(42), std::uint32_t(before + 32000));
    ASSERT_EQ(::fseeko(f, 0, SEEK_END), 0);
    EXPECT_EQ((unsigned long long)::ftello(f), 46 + before + 32000);
    ASSERT_EQ(::fseeko(f, off_t(46 + before), SEEK_SET), 0);
    std::vector<short> last(16000);
    ASSERT_EQ(std::fread(last.data(), 2, 16000, f), 16000u);
    std::fclose(f);
    EXPECT_EQ(last, std::vector<short>(source.begin(), source.begin() + 16000));
    std::remove(path.c_str());
}

// The meter is the dialog's child over the laid-out placeholder, which spans
// the dialog's width at the form's height of 200.
TEST(Capteon, TheMeterCoversItsPlaceholder)
{
    useOwnProfile();
    CVirtualAudio::Use();
    CCapteonDlg dlg;
    runCapteon(dlg, [](CCapteonDlg& d) {
        EXPECT_EQ(d.PowerLevel.GetParent(), &d);
        CRect place, meter;
        d.GetDlgItem(IDC_POWER_LEVEL_PLACE)->GetWindowRect(&place);
        d.PowerLevel.GetWindowRect(&meter);
        EXPECT_EQ(meter, place);
        d.ScreenToClient(&place);
        EXPECT_GT(place.left, 0);
        EXPECT_GT(place.top, 0);
        EXPECT_GE(place.Width(), 600);
        EXPECT_EQ(place.Height(), 200);
    });
}

// The guide beside the program, at the topic of the recorder's dialog;
// nothing said in a message box.
TEST(Capteon, HelpOpensTheGuideAtTheDialogsTopic)
{
    CScriptedUserInteraction ui;
    CCapteonDlg dlg;
    EXPECT_TRUE(ktest::HelpButtonOpensGuideAt(dlg, IDC_HELP_BUTTON, "capteon", "window-102"));
    EXPECT_TRUE(ui.m_messages.empty());
}
