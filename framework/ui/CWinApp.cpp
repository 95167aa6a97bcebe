#include "framework/ui/CWinApp.h"

#include <numbers>
#include <QApplication>
#include <QIcon>
#include <algorithm>
#include <QSettings>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <cstring>
#include <strings.h>
#include <memory>

#include "framework/base/CFile.h"
#include "framework/audio/AudioServices.h"
#include "framework/audio/VirtualAudio.h"
#include "framework/audio/WaveAudio.h"
#include "framework/ui/AfxIds.h"
#include "framework/ui/CDocTemplate.h"
#include "framework/ui/CDocument.h"
#include "framework/ui/CFrameWnd.h"
#include "framework/ui/CMDIFrameWnd.h"
#include "framework/ui/CView.h"
#include "framework/ui/CWnd.h"
#include "framework/ui/KHelp.h"
#include "framework/ui/KPrinting.h"
#include "framework/ui/KUiScript.h"
#include "framework/ui/QtUserInteraction.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

namespace {
CWinApp* g_app = nullptr;
const char* const kRecentSection = "Recent File List";

std::unique_ptr<QSettings> profile(const CString& app)
{
    const CWinApp* a = AfxGetApp();
    const QString company = QString::fromUtf8(a ? a->m_pszRegistryKey.GetString() : "Kavrel");
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, company,
                                       QString::fromUtf8(app.GetString()));
}

QString key(const char* section, const char* entry)
{
    return QString::fromUtf8(section) + "/" + QString::fromUtf8(entry);
}
// A beep is a real tone through the sound device: a sine of the given
// frequency and length, played to its end.
void playTone(DWORD frequency, DWORD duration)
{
    struct DoneSink : IWaveNotifySink {
        std::atomic<bool> done{false};
        void PostWaveMessage(UINT message, WPARAM, LPARAM) override
        {
            if (message == MM_WOM_DONE)
                done = true;
        }
    } sink;
    const DWORD rate = 22050;
    std::vector<short> tone(static_cast<size_t>(rate * duration / 1000));
    for (size_t i = 0; i < tone.size(); ++i)
        tone[i] = short(12000 * std::sin(2 * std::numbers::pi * double(frequency) * double(i) / rate));
    WAVEFORMATEX f{WAVE_FORMAT_PCM, 1, rate, rate * 2, 2, 16, 0};
    HWAVEOUT h = nullptr;
    if (tone.empty() || waveOutOpen(&h, WAVE_MAPPER, &f, &sink, 0, CALLBACK_WINDOW) != MMSYSERR_NOERROR) {
        QApplication::beep();
        return;
    }
    WAVEHDR hdr{};
    hdr.lpData = reinterpret_cast<char*>(tone.data());
    hdr.dwBufferLength = DWORD(tone.size() * 2);
    waveOutPrepareHeader(h, &hdr, sizeof hdr);
    if (waveOutWrite(h, &hdr, sizeof hdr) == MMSYSERR_NOERROR) {
        auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(duration + 500);
        while (!sink.done && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    waveOutReset(h);
    waveOutUnprepareHeader(h, &hdr, sizeof hdr);
    waveOutClose(h);
}

} // namespace

CWinApp* AfxGetApp()
{
    return g_app;
}

// Without a display the hint repeats the whole command, arguments included,
// so that it can be pasted as it stands.
bool KCanShowWindows(int argc, char** argv, const char* programName)
{
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if ((platform && *platform) || std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY"))
        return true;
    std::string command = argc > 0 ? argv[0] : programName;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        command += a.find_first_of(" \t'\"") == std::string::npos ? " " + a : " '" + a + "'";
    }
    std::fprintf(stderr, "%s: нет дисплея (DISPLAY не задан); запустите под xvfb-run: xvfb-run -a %s\n",
                 argc > 0 ? argv[0] : programName, command.c_str());
    return false;
}

CWinApp::CWinApp(const char* pszAppName) : m_pszAppName(pszAppName), m_pszHelpFilePath(KHelpFilePathFor(pszAppName))
{
    g_app = this;
    KSetProgramName(pszAppName);
    MapCommand(ID_APP_EXIT, &CWinApp::OnAppExit);
    for (UINT id = ID_FILE_MRU_FIRST; id <= ID_FILE_MRU_LAST; ++id)
        MapCommandWithId(id, &CWinApp::OnOpenRecentFile);
}

CWinApp::~CWinApp()
{
    if (g_app == this) {
        g_app = nullptr;
        KSetProgramName(CString());
    }
}

bool CWinApp::InitInstance()
{
    return true;
}

int CWinApp::ExitInstance()
{
    return 0;
}

int CWinApp::Run(int argc, char** argv)
{
    if (!KCanShowWindows(argc, argv, m_pszAppName.GetString()))
        return 1;
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(m_pszAppName.GetString()));
    // Installed, the program's desktop entry and icon bear its name in lower
    // case; the desktop ties the windows to them by these.
    const QString entry = QString::fromUtf8(m_pszAppName.GetString()).toLower();
    QGuiApplication::setDesktopFileName(entry);
    const QIcon icon = QIcon::fromTheme(entry);
    if (!icon.isNull())
        QApplication::setWindowIcon(icon);
    KInstallQtRussianTexts();
    CString cmd;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            cmd += ' ';
        cmd += argv[i];
    }
    m_lpCmdLine = cmd;
    m_argv.clear();
    for (int i = 1; i < argc; ++i)
        m_argv.emplace_back(argv[i]);
    CQtUserInteraction ui;
    IUserInteraction* previous = SetUserInteraction(&ui);
    KInstallAudioServices();
    // A program run by hand on the virtual device hears it in real time.
    const char* audio = std::getenv("KAVREL_AUDIO");
    if (audio && std::string(audio) == "virtual")
        CVirtualAudio::SetRealTimeClock(true);
    SetToneFunction(playTone);
    if (!KInstallUiScriptFromEnvironment()) {
        SetUserInteraction(previous);
        return 2;
    }
    int rc = 0;
    if (InitInstance()) {
        KRunUiScriptCommands();
        rc = QApplication::exec();
    }
    int exitRc = ExitInstance();
    if (exitRc)
        rc = exitRc;
    KRemoveUiScript();
    SetUserInteraction(previous);
    return rc;
}

int CWinApp::GetProfileInt(const char* section, const char* entry, int nDefault)
{
    bool ok = false;
    int v = profile(m_pszAppName)->value(key(section, entry), nDefault).toInt(&ok);
    return ok ? v : nDefault;
}

bool CWinApp::WriteProfileInt(const char* section, const char* entry, int nValue)
{
    auto s = profile(m_pszAppName);
    s->setValue(key(section, entry), nValue);
    s->sync();
    return s->status() == QSettings::NoError;
}

CString CWinApp::GetProfileString(const char* section, const char* entry, const char* pszDefault)
{
    return CString(profile(m_pszAppName)->value(key(section, entry), QString::fromUtf8(pszDefault)).toString().toUtf8().toStdString());
}

bool CWinApp::WriteProfileString(const char* section, const char* entry, const char* pszValue)
{
    auto s = profile(m_pszAppName);
    s->setValue(key(section, entry), QString::fromUtf8(pszValue));
    s->sync();
    return s->status() == QSettings::NoError;
}

void CWinApp::SetRegistryKey(const char* lpszRegistryKey)
{
    m_pszRegistryKey = lpszRegistryKey && *lpszRegistryKey ? lpszRegistryKey : "Kavrel";
}

void CWinApp::LoadStdProfileSettings(UINT nMaxMRU)
{
    m_nMaxMRU = std::min<UINT>(nMaxMRU, ID_FILE_MRU_LAST - ID_FILE_MRU_FIRST + 1);
    m_recentFiles.clear();
    for (UINT i = 1; i <= m_nMaxMRU; ++i) {
        CString entry;
        entry.Format("File%u", i);
        const CString path = GetProfileString(kRecentSection, entry, "");
        if (!path.IsEmpty()) m_recentFiles.push_back(path);
    }
}

void CWinApp::AddToRecentFileList(const char* lpszPathName)
{
    if (m_nMaxMRU == 0 || !lpszPathName || !*lpszPathName) return;
    const CString path = KFullPath(lpszPathName);
    m_recentFiles.erase(std::remove(m_recentFiles.begin(), m_recentFiles.end(), path), m_recentFiles.end());
    m_recentFiles.insert(m_recentFiles.begin(), path);
    if (m_recentFiles.size() > m_nMaxMRU) m_recentFiles.resize(m_nMaxMRU);
    saveRecentFileList();
}

void CWinApp::RemoveFromRecentFileList(int nIndex)
{
    if (nIndex < 0 || nIndex >= int(m_recentFiles.size())) return;
    m_recentFiles.erase(m_recentFiles.begin() + nIndex);
    saveRecentFileList();
}

void CWinApp::saveRecentFileList()
{
    auto s = profile(m_pszAppName);
    for (UINT i = 1; i <= m_nMaxMRU; ++i) {
        const QString value = i <= m_recentFiles.size() ? QString::fromUtf8(m_recentFiles[i - 1].GetString()) : QString();
        s->setValue(QString("%1/File%2").arg(kRecentSection).arg(i), value);
    }
    s->sync();
}

void CWinApp::OnOpenRecentFile(UINT nID)
{
    const int index = int(nID - ID_FILE_MRU_FIRST);
    if (index < 0 || index >= int(m_recentFiles.size())) return;
    const CString path = m_recentFiles[size_t(index)];
    // A file that cannot be opened any more leaves the list.
    if (!OpenDocumentFile(path)) {
        const auto it = std::find(m_recentFiles.begin(), m_recentFiles.end(), path);
        if (it != m_recentFiles.end()) RemoveFromRecentFileList(int(it - m_recentFiles.begin()));
    }
}

void CWinApp::AddDocTemplate(CDocTemplate* pTemplate)
{
    if (pTemplate) m_templates.emplace_back(pTemplate);
}

CDocument* CWinApp::OpenDocumentFile(const char* lpszFileName)
{
    if (m_templates.empty() || !lpszFileName) return nullptr;
    // Documents keep whole paths: what they store must be found from any folder.
    const CString full = KFullPath(lpszFileName);
    lpszFileName = full.GetString();
    CDocTemplate* best = nullptr;
    CDocTemplate::Confidence bestMatch = CDocTemplate::noAttempt;
    for (const auto& t : m_templates) {
        CDocument* open = nullptr;
        const CDocTemplate::Confidence c = t->MatchDocType(lpszFileName, open);
        if (c == CDocTemplate::yesAlreadyOpen) {
            // Already open: its first view's frame comes forward.
            for (CView* v : open->GetViews()) {
                if (CFrameWnd* f = v->GetParentFrame()) {
                    f->ShowWindow(SW_SHOW);
                    if (f->GetWidget()) f->GetWidget()->activateWindow();
                    if (auto* mdi = dynamic_cast<CMDIChildWnd*>(f)) mdi->MDIActivate();
                    break;
                }
            }
            return open;
        }
        if (c > bestMatch) {
            bestMatch = c;
            best = t.get();
        }
    }
    return best ? best->OpenDocumentFile(lpszFileName) : nullptr;
}

void CWinApp::OnFileNew()
{
    if (!m_templates.empty()) m_templates.front()->OpenDocumentFile(nullptr);
}

void CWinApp::OnFileOpen()
{
    CString name;
    if (!DoPromptFileName(name, "Открыть", OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, TRUE, nullptr)) return;
    OpenDocumentFile(name);
}

void CWinApp::OnAppExit()
{
    if (m_pMainWnd) {
        if (auto* frame = dynamic_cast<CFrameWnd*>(m_pMainWnd)) {
            frame->OnClose();
            return;
        }
    }
    if (SaveAllModified()) {
        CloseAllDocuments(FALSE);
        QCoreApplication::quit();
    }
}

void CWinApp::WinHelp(DWORD dwData, UINT nCmd)
{
    KShowHelp(m_pszHelpFilePath, dwData, nCmd);
}

void CWinApp::OnFilePrintSetup()
{
    KDoPrintSetup();
}

BOOL CWinApp::SaveAllModified()
{
    for (const auto& t : m_templates)
        if (!t->SaveAllModified()) return FALSE;
    return TRUE;
}

void CWinApp::CloseAllDocuments(BOOL bEndSession)
{
    for (const auto& t : m_templates) t->CloseAllDocuments(bEndSession);
}

BOOL CWinApp::DoPromptFileName(CString& fileName, const char* lpszTitle, DWORD lFlags, BOOL bOpenFileDialog,
                               CDocTemplate* pTemplate)
{
    FileDialogRequest r;
    r.bOpen = bOpenFileDialog != FALSE;
    r.nFlags = lFlags;
    r.sTitle = lpszTitle ? lpszTitle : "";
    r.sFileName = fileName;
    CString filter;
    auto addFilter = [&filter, &r](CDocTemplate* t) {
        CString name, ext;
        t->GetDocString(name, CDocTemplate::filterName);
        t->GetDocString(ext, CDocTemplate::filterExt);
        if (name.IsEmpty() || ext.IsEmpty()) return;
        filter += name + "|*" + ext + "|";
        if (r.sDefaultExt.IsEmpty()) r.sDefaultExt = CString(ext.GetString() + (ext.GetString()[0] == '.' ? 1 : 0));
    };
    if (pTemplate) addFilter(pTemplate);
    else
        for (const auto& t : m_templates) addFilter(t.get());
    filter += "Все файлы (*.*)|*.*||";
    r.sFilter = filter;
    if (!UserInteraction().FileDialog(r)) return FALSE;
    fileName = r.sPathName;
    return TRUE;
}

const char* KCommandLineSwitch(const char* pszArg)
{
    if (!pszArg || pszArg[0] != '-') return nullptr;
    const char* name = pszArg + (pszArg[1] == '-' ? 2 : 1);
    static const char* const kSwitches[][2] = {{"p", "p"},
                                               {"dde", "dde"},
                                               {"open", "dde"},
                                               {"register", "register"},
                                               {"regserver", "register"},
                                               {"unregister", "unregister"},
                                               {"unregserver", "unregister"}};
    for (const auto& s : kSwitches)
        if (strcasecmp(name, s[0]) == 0) return s[1];
    return nullptr;
}

void CCommandLineInfo::ParseParam(const char* pszParam, BOOL bFlag, BOOL)
{
    if (bFlag) {
        if (std::strcmp(pszParam, "p") == 0) m_nShellCommand = FilePrint;
        else if (std::strcmp(pszParam, "dde") == 0) m_nShellCommand = FileDDE;
        else if (std::strcmp(pszParam, "register") == 0) m_nShellCommand = AppRegister;
        else if (std::strcmp(pszParam, "unregister") == 0) m_nShellCommand = AppUnregister;
        return;
    }
    if (!m_strFileName.IsEmpty()) return; // one document at start
    m_strFileName = pszParam;
    if (m_nShellCommand == FileNew) m_nShellCommand = FileOpen;
}

void CWinApp::ParseCommandLine(CCommandLineInfo& rCmdInfo)
{
    bool bOptions = true;
    for (size_t i = 0; i < m_argv.size(); ++i) {
        const char* arg = m_argv[i].GetString();
        const BOOL bLast = i + 1 == m_argv.size();
        if (bOptions && std::strcmp(arg, "--") == 0) {
            bOptions = false;
            continue;
        }
        const char* sw = bOptions ? KCommandLineSwitch(arg) : nullptr;
        rCmdInfo.ParseParam(sw ? sw : arg, sw != nullptr, bLast);
    }
}

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo& rCmdInfo)
{
    switch (rCmdInfo.m_nShellCommand) {
    case CCommandLineInfo::FileNew:
        OnFileNew();
        return m_pMainWnd != nullptr;
    case CCommandLineInfo::FileOpen:
        return OpenDocumentFile(rCmdInfo.m_strFileName) != nullptr;
    case CCommandLineInfo::FilePrint:
        // Prints the file through its view and ends the program.
        if (OpenDocumentFile(rCmdInfo.m_strFileName) && m_pMainWnd) {
            m_pMainWnd->SendMessage(WM_COMMAND, ID_FILE_PRINT_DIRECT);
            OnAppExit();
        }
        return FALSE;
    case CCommandLineInfo::AppRegister:
    case CCommandLineInfo::AppUnregister:
        // No shell registry on this desktop: nothing to do, and the program ends.
        return FALSE;
    default:
        return TRUE;
    }
}
