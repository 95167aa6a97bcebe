#include "pelmora/KHearingTestInNoiseMainDlg.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

#include "framework/base/UserServices.h"
#include "pelmora/KHearingTestDialogs.h"
#include "pelmora/KWave.h"
#include "pelmora/KWaveWriteToFile.h"

namespace {
const char* const kSourceNames[8] = {"s1.wav", "s2.wav", "m1.wav", "m2.wav", "sn1.wav", "sn2.wav", "mn1.wav", "mn2.wav"};

bool fileExists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The earliest row of the last unbroken run of rows that satisfy the
// condition, among the rows given; -1 when none does.
template <class Pred> int finalRunStart(const std::vector<const CKHearingTestInNoiseMainDlg::Row*>& rows, Pred pred)
{
    int i = int(rows.size()) - 1;
    while (i >= 0 && !pred(*rows[size_t(i)]))
        --i;
    if (i < 0)
        return -1;
    while (i > 0 && pred(*rows[size_t(i - 1)]))
        --i;
    return i;
}
} // namespace

CString KNoiseSourceFolder()
{
    if (fileExists("./1/s1.wav"))
        return "./1/";
    // Started from elsewhere (the build folder, a menu): the sources beside the program.
    char exe[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n > 0) {
        std::string own(exe, size_t(n));
        own = own.substr(0, own.rfind('/') + 1);
        // Installed, the sources lie in the suite's data folder instead.
        for (const std::string& dir : {own + "1/", own + "../share/kavrel/pelmora/1/"})
            if (fileExists(dir + "s1.wav"))
                return CString(dir);
    }
    return "./1/";
}

CKHearingTestInNoiseMainDlg::CKHearingTestInNoiseMainDlg(CWnd* pParent)
    : CDialog(IDD_HEARING_TEST_IN_NOISE, pParent)
{
    MapCommand(IDC_NOISE_ROUND, &CKHearingTestInNoiseMainDlg::OnRound);
    MapCommand(IDC_NOISE_FINISH, &CKHearingTestInNoiseMainDlg::OnFinish);
    MapCommand(IDC_PLAY_MUSIC_1, &CKHearingTestInNoiseMainDlg::OnPlayMusic1);
    MapCommand(IDC_PLAY_MUSIC_2, &CKHearingTestInNoiseMainDlg::OnPlayMusic2);
}

int CKHearingTestInNoiseMainDlg::SoundOf(int c)
{
    return 1 + c / 2;
}

int CKHearingTestInNoiseMainDlg::NoiseOf(int c)
{
    return (c < 4 ? kSpeechNoise1 : kMusicNoise1) + c % 2;
}

const char* CKHearingTestInNoiseMainDlg::NameOf(int nCode)
{
    static const char* const names[9] = {"",          "Речь 1",         "Речь 2",      "Музыка 1",          "Музыка 2",
                                         "Речевая помеха", "Речевой шум", "Музыкальная помеха", "Музыкальный шум"};
    return nCode >= 1 && nCode <= 8 ? names[nCode] : "";
}

bool CKHearingTestInNoiseMainDlg::LoadSources()
{
    if (sFolder.IsEmpty())
        sFolder = KNoiseSourceFolder();
    // The mix goes beside its sources, or to the temporary folder when
    // that folder cannot be written to (an installed program's).
    if (access(sFolder.GetString(), W_OK) == 0) {
        sMixPath = sFolder + "mix.wav";
    } else {
        const char* tmp = std::getenv("TMPDIR");
        sMixPath = CString(tmp && *tmp ? tmp : "/tmp") + "/mix.wav";
    }
    bSourcesGood = true;
    try {
        for (int i = 0; i < 8 && bSourcesGood; ++i) {
            CKWave wave;
            bSourcesGood = wave.OpenKWaveFile(sFolder + kSourceNames[i], kSourceNames[i]) && wave.ReadWholeKWave(Sources[size_t(i)]);
            nSourceFrADC[size_t(i)] = wave.GetKWaveFrADC();
        }
    } catch (const std::bad_alloc&) {
        AfxMessageBox("Не хватает памяти для звуковых файлов испытания в шумах.", MB_OK | MB_ICONEXCLAMATION);
        bSourcesGood = false;
    }
    if (!bSourcesGood) {
        AfxMessageBox("Испытание в шумах провести нельзя: не удалось прочитать все восемь звуковых файлов из папки\n" + sFolder,
                      MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    // The mix runs over the signal's length: a noise shorter than a signal
    // would leave the end of that signal clean.
    for (int c = 0; c < 8; ++c) {
        const auto& signal = Sources[size_t(SoundOf(c) - 1)];
        const auto& noise = Sources[size_t(NoiseOf(c) - 1)];
        if (noise.size() < signal.size() || signal.empty()) {
            CString text;
            text.Format("Звуковой файл помехи %s короче звукового сигнала %s (или сигнал пуст).\n"
                        "Испытание в шумах провести нельзя.",
                        kSourceNames[NoiseOf(c) - 1], kSourceNames[SoundOf(c) - 1]);
            AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
            bSourcesGood = false;
            return false;
        }
    }
    return true;
}

bool CKHearingTestInNoiseMainDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    KSetDialogBackground(this, crBackground);
    nCurrentLevel = nStartLevel;
    nRounds = 0;
    GetDlgItem(IDC_NOISE_FINISH)->EnableWindow(false);
    // Without all eight sources no round may start.
    GetDlgItem(IDC_NOISE_ROUND)->EnableWindow(LoadSources());
    sLog = "\nИмя испытуемого\tДата испытания\tВремя испытания"
           "\tУровень шумов - отношение (речь или музыка)/(шум-помеха) [дБ]\tЗвук (тип)\tШум (тип)"
           "\tВыбранный ответ\tТекст ответа";
    ShowStatus();
    return true;
}

void CKHearingTestInNoiseMainDlg::ShowStatus()
{
    CString text;
    text.Format("Конечный = %i дБ\nНачальный = %i дБ\nШаг = %i дБ\nТекущий = %i дБ", nEndLevel, nStartLevel, nStep,
                nCurrentLevel);
    SetDlgItemText(IDC_NOISE_STATUS, text);
}

bool CKHearingTestInNoiseMainDlg::WriteMix(const std::vector<double>& signal, const std::vector<double>& noise,
                                           double dLevel, long nFrADC, const CString& sPath)
{
    const double gain = std::pow(10.0, -dLevel / 20);
    std::vector<double> mix(signal.size());
    double peak = 0;
    for (size_t j = 0; j < signal.size(); ++j) {
        mix[j] = signal[j] + gain * (j < noise.size() ? noise[j] : 0.0);
        peak = std::max(peak, std::fabs(mix[j]));
    }
    std::vector<short> samples(signal.size(), 0);
    if (peak > 0) { // silence stays silence
        for (size_t j = 0; j < mix.size(); ++j)
            samples[j] = short(32767 / peak * mix[j]);
    }
    CKWaveWriteToFile writer;
    if (!writer.Create(sPath, (unsigned long)nFrADC, 1))
        return false;
    bool written = writer.Write(samples.data(), int(samples.size() * sizeof(short)));
    return writer.Close() && written;
}

void CKHearingTestInNoiseMainDlg::OnRound()
{
    if (!bSourcesGood)
        return;
    KSeedRandomFromClock();
    for (int i = 0; i < 7; ++i)
        std::rand();
    bool used[8] = {};
    for (int k = 1; k <= 8; ++k) {
        int c = std::rand() % 8;
        while (used[c])
            c = (c + 1) % 8;
        used[c] = true;
        {
            CWaitCursor wait;
            if (!WriteMix(Sources[size_t(SoundOf(c) - 1)], Sources[size_t(NoiseOf(c) - 1)], nCurrentLevel,
                          nSourceFrADC[size_t(SoundOf(c) - 1)], sMixPath))
                return;
        }
        CKHearingTestInNoiseSampleDlg dlg(this);
        dlg.nCombination = k;
        dlg.sPathName = sMixPath;
        dlg.crBackground = KRandomLightColor();
        dlg.sSpeech1Text = sLastSpeech1Text;
        dlg.sSpeech2Text = sLastSpeech2Text;
        // Closing a mix without an answer ends the round where it stands;
        // the level rises only after all eight.
        if (dlg.DoModal() != IDOK)
            return;
        sLastSpeech1Text = dlg.sSpeech1Text;
        sLastSpeech2Text = dlg.sSpeech2Text;
        CString text = dlg.nAnswer == KANSWER_SPEECH_1 ? dlg.sSpeech1Text
                       : dlg.nAnswer == KANSWER_SPEECH_2 ? dlg.sSpeech2Text
                                                         : CString();
        std::tm t = KLocalNow();
        CString line;
        line.Format("\n%s\t%4i-%02i-%02i\t%2i:%02i:%02i\t%i\t%s\t%s\t", sUserName.GetString(), t.tm_year + 1900,
                    t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, nCurrentLevel, NameOf(SoundOf(c)),
                    NameOf(NoiseOf(c)));
        switch (dlg.nAnswer) {
        case KANSWER_SPEECH_1: line.AppendFormat("Речь 1\t%s", text.GetString()); break;
        case KANSWER_SPEECH_2: line.AppendFormat("Речь 2\t%s", text.GetString()); break;
        case KANSWER_SPEECH_UNRECOGNISED: line += "Речь не распознана, но она есть"; break;
        case KANSWER_MUSIC_1: line += "Музыка 1"; break;
        case KANSWER_MUSIC_2: line += "Музыка 2"; break;
        case KANSWER_MUSIC_UNRECOGNISED: line += "Музыка не распознана, но она есть"; break;
        case KANSWER_SOME_SOUNDS: line += "Какие-то звуки есть, но они не распознаны"; break;
        default: line += "Никаких звуков в шумах (или в помехах) не услышано"; break;
        }
        sLog += line;
        if (int(Results.size()) < kMaxRows)
            Results.push_back({nCurrentLevel, SoundOf(c), NoiseOf(c), dlg.nAnswer, text});
    }
    nCurrentLevel += nStep;
    ++nRounds;
    if (nCurrentLevel >= nEndLevel) {
        UserInteraction().MessageBeep(MB_ICONINFORMATION);
        GetDlgItem(IDC_NOISE_FINISH)->EnableWindow(true);
    }
    ShowStatus();
}

void CKHearingTestInNoiseMainDlg::OnFinish()
{
    int answer = MessageBox("Вы действительно хотите завершить этот этап испытаний на достигнутых результатах?\n"
                            "Ответьте \"Да\", если не менее двух раз Вы полностью разобрали в шумах весь текст в обоих "
                            "речевых высказываниях.\nИначе проведите одно испытание ещё один раз, пожалуйста.",
                            "Вопрос", MB_YESNO | MB_ICONQUESTION);
    if (answer != IDYES)
        return;
    BuildDatabaseCells();
    EndDialog(IDOK);
}

void CKHearingTestInNoiseMainDlg::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CKHearingTestInNoiseMainDlg::BuildDatabaseCells()
{
    sDatabaseHeader.Empty();
    sDatabaseValues.Empty();
    auto rowsOf = [this](int sound, int noise) {
        std::vector<const Row*> rows;
        for (const Row& r : Results) {
            if (r.nSound == sound && r.nNoise == noise)
                rows.push_back(&r);
        }
        return rows;
    };
    for (int sound : {kSpeech1, kSpeech2}) {
        for (int noise : {kSpeechNoise1, kSpeechNoise2}) {
            CString pair;
            pair.Format("S%i–SN%i", sound, noise - kSpeechNoise1 + 1);
            sDatabaseHeader.AppendFormat("\t%s - начало – дБ\t%s – начало – текст\t%s - конец – дБ\t%s – конец – текст",
                                         pair.GetString(), pair.GetString(), pair.GetString(), pair.GetString());
            std::vector<const Row*> rows = rowsOf(sound, noise);
            // The text the listener settled on: the last one given for this pair.
            CString last;
            for (const Row* r : rows) {
                if (!r->sText.IsEmpty())
                    last = r->sText;
            }
            int begin = finalRunStart(rows, [](const Row& r) { return !r.sText.IsEmpty(); });
            int end = last.IsEmpty() ? -1 : finalRunStart(rows, [&](const Row& r) { return r.sText == last; });
            for (int k : {begin, end}) {
                if (k < 0)
                    sDatabaseValues += "\t\t";
                else
                    sDatabaseValues.AppendFormat("\t%i\t%s", rows[size_t(k)]->nLevel, rows[size_t(k)]->sText.GetString());
            }
        }
    }
    for (int sound : {kMusic1, kMusic2}) {
        for (int noise : {kMusicNoise1, kMusicNoise2}) {
            sDatabaseHeader.AppendFormat("\tM%i–MN%i – дБ", sound - kMusic1 + 1, noise - kMusicNoise1 + 1);
            std::vector<const Row*> rows = rowsOf(sound, noise);
            int k = finalRunStart(rows, [sound](const Row& r) { return r.nAnswer == sound; });
            if (k < 0)
                sDatabaseValues += "\t";
            else
                sDatabaseValues.AppendFormat("\t%i", rows[size_t(k)]->nLevel);
        }
    }
}

void CKHearingTestInNoiseMainDlg::OnPlayMusic1()
{
    CKPlayWaveFileDlg dlg(this);
    dlg.sPathName = sFolder + "m1.wav";
    dlg.DoModal();
}

void CKHearingTestInNoiseMainDlg::OnPlayMusic2()
{
    CKPlayWaveFileDlg dlg(this);
    dlg.sPathName = sFolder + "m2.wav";
    dlg.DoModal();
}
