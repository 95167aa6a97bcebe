// CWinApp: the program. It starts Qt, installs the windowed services,
// runs InitInstance, and keeps the program's profile (a settings file
// under the company key Kavrel).
#pragma once
#include <memory>
#include <vector>

#include "framework/base/CString.h"
#include "framework/ui/CCmdTarget.h"
#include "framework/ui/KHelp.h"
#include "framework/ui/CCursor.h"

class CWnd;
class CDocument;
class CDocTemplate;

// What the command line asks of a document program at start. Only the
// framework's own switches are switches: -p (print the file and end), -dde
// or --open (the desktop's request to open the file, as a file manager sends
// it on a double click), -register and -unregister (-regserver, -unregserver), with one dash or
// two, in any case; "--" ends them. Every other argument, one beginning
// with "/" or an unknown "-x" alike, is a file name: the first one is the
// file to open.
class CCommandLineInfo {
public:
    enum { FileNew, FileOpen, FilePrint, FilePrintTo, FileDDE, AppRegister, AppUnregister, FileNothing = -1 };
    virtual ~CCommandLineInfo() = default;
    // One argument; bFlag when it is one of the framework's switches (given
    // without its dashes), bLast for the last argument.
    virtual void ParseParam(const char* pszParam, BOOL bFlag, BOOL bLast);

    int m_nShellCommand = FileNew;
    CString m_strFileName;
};

// The switch an argument names, without its dashes, or nullptr when the
// argument is not one of the framework's switches.
const char* KCommandLineSwitch(const char* pszArg);

class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(const char* pszAppName);
    ~CWinApp() override;

    // False ends the program (a dialog program runs its dialog inside).
    virtual bool InitInstance();
    virtual int ExitInstance();
    // Starts the program on its command line; returns the exit status.
    int Run(int argc, char** argv);

    int GetProfileInt(const char* section, const char* entry, int nDefault);
    bool WriteProfileInt(const char* section, const char* entry, int nValue);
    CString GetProfileString(const char* section, const char* entry, const char* pszDefault = "");
    bool WriteProfileString(const char* section, const char* entry, const char* pszValue);

    // The profile lives under this company key (default Kavrel).
    void SetRegistryKey(const char* lpszRegistryKey);
    // Loads the recent-file list, keeping up to nMaxMRU entries (16 at most).
    void LoadStdProfileSettings(UINT nMaxMRU = 4);
    // The path goes to the top of the list, which is saved at once.
    virtual void AddToRecentFileList(const char* lpszPathName);
    void RemoveFromRecentFileList(int nIndex);
    const std::vector<CString>& GetRecentFileList() const { return m_recentFiles; }

    // Documents. The program owns its templates.
    void AddDocTemplate(CDocTemplate* pTemplate);
    const std::vector<std::unique_ptr<CDocTemplate>>& GetDocTemplates() const { return m_templates; }
    // An open document of that path is activated rather than opened twice.
    virtual CDocument* OpenDocumentFile(const char* lpszFileName);
    void OnFileNew();
    void OnFileOpen();
    void OnAppExit();
    // The page setup dialog: its printer, paper and orientation serve the
    // program's print jobs from then on.
    void OnFilePrintSetup();
    BOOL SaveAllModified();
    void CloseAllDocuments(BOOL bEndSession);
    // The open or save dialog with the templates' file types; fileName holds
    // the initial and the chosen path.
    BOOL DoPromptFileName(CString& fileName, const char* lpszTitle, DWORD lFlags, BOOL bOpenFileDialog,
                          CDocTemplate* pTemplate);

    // Hands the arguments one by one to rCmdInfo.ParseParam, telling the
    // framework's switches from file names until "--".
    void ParseCommandLine(CCommandLineInfo& rCmdInfo);
    // Opens, prints or creates as the command line asked; false ends the program.
    BOOL ProcessShellCommand(CCommandLineInfo& rCmdInfo);
    // There is no shell registry on this desktop: files are opened from the
    // command line and by dropping them on the main window.
    void EnableShellOpen() {}
    void RegisterShellFileTypes(BOOL = FALSE) {}

    // Shows the program's guide (m_pszHelpFilePath): nCmd HELP_FINDER or
    // HELP_CONTENTS its beginning, HELP_CONTEXT the topic dwData.
    virtual void WinHelp(DWORD dwData, UINT nCmd = HELP_CONTEXT);

    CString m_pszAppName;
    // The program's user guide, found beside the program at construction.
    CString m_pszHelpFilePath;
    CString m_lpCmdLine; // everything after the program's name
    std::vector<CString> m_argv; // the arguments, one by one
    CWnd* m_pMainWnd = nullptr;
    CString m_pszRegistryKey = "Kavrel";

private:
    void OnOpenRecentFile(UINT nID);
    void saveRecentFileList();

    std::vector<std::unique_ptr<CDocTemplate>> m_templates;
    std::vector<CString> m_recentFiles;
    UINT m_nMaxMRU = 0;
};

CWinApp* AfxGetApp();

// True when a window can be shown; otherwise prints one line saying how to
// run the program anyway.
bool KCanShowWindows(int argc, char** argv, const char* programName);
