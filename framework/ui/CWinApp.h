// CWinApp: the program. It starts Qt, installs the windowed services,
// runs InitInstance, and keeps the program's profile (a settings file
// under the company key Kavrel).
#pragma once
#include <memory>
#include <vector>

#include "framework/base/CString.h"
#include "framework/ui/CCmdTarget.h"

class CWnd;
class CDocument;
class CDocTemplate;

// What the command line asks of a document program at start.
class CCommandLineInfo {
public:
    enum { FileNew, FileOpen, FilePrint, FilePrintTo, FileDDE, AppRegister, AppUnregister, FileNothing = -1 };
    int m_nShellCommand = FileNew;
    CString m_strFileName;
};

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
    BOOL SaveAllModified();
    void CloseAllDocuments(BOOL bEndSession);
    // The open or save dialog with the templates' file types; fileName holds
    // the initial and the chosen path.
    BOOL DoPromptFileName(CString& fileName, const char* lpszTitle, DWORD lFlags, BOOL bOpenFileDialog,
                          CDocTemplate* pTemplate);

    // The first argument that is not a switch is a file to open.
    void ParseCommandLine(CCommandLineInfo& rCmdInfo);
    BOOL ProcessShellCommand(CCommandLineInfo& rCmdInfo);
    // There is no shell registry on this desktop: files are opened from the
    // command line and by dropping them on the main window.
    void EnableShellOpen() {}
    void RegisterShellFileTypes(BOOL = FALSE) {}

    CString m_pszAppName;
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
bool KCanShowWindows(const char* programName);
