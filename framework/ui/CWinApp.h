// CWinApp: the program. It starts Qt, installs the windowed services,
// runs InitInstance, and keeps the program's profile (a settings file
// under the company key Kavrel).
#pragma once
#include "framework/base/CString.h"
#include "framework/ui/CCmdTarget.h"

class CWnd;

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

    CString m_pszAppName;
    CString m_lpCmdLine; // everything after the program's name
    CWnd* m_pMainWnd = nullptr;
};

CWinApp* AfxGetApp();

// True when a window can be shown; otherwise prints one line saying how to
// run the program anyway.
bool KCanShowWindows(const char* programName);
