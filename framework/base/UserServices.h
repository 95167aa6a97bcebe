// What the suite asks of its user, as services: message boxes, the open
// and save file dialogs, the wait cursor, beeps. The core calls these; a
// program installs the windowed implementation at start, the command-line
// tool the console one, tests the scripted one.
#pragma once
#include "framework/base/CString.h"
#include "framework/base/Types.h"

// Message box styles and results, with the platform's values.
enum : UINT {
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_ABORTRETRYIGNORE = 0x2,
    MB_YESNOCANCEL = 0x3,
    MB_YESNO = 0x4,
    MB_RETRYCANCEL = 0x5,
    MB_TYPEMASK = 0xF,
    MB_ICONHAND = 0x10,
    MB_ICONERROR = 0x10,
    MB_ICONSTOP = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONEXCLAMATION = 0x30,
    MB_ICONWARNING = 0x30,
    MB_ICONASTERISK = 0x40,
    MB_ICONINFORMATION = 0x40,
    MB_ICONMASK = 0xF0,
    MB_DEFBUTTON1 = 0x000,
    MB_DEFBUTTON2 = 0x100,
    MB_DEFBUTTON3 = 0x200,
    MB_DEFMASK = 0xF00,
};
enum : int { IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7 };

// File dialog flags, with the platform's values.
enum : DWORD {
    OFN_READONLY = 0x1,
    OFN_OVERWRITEPROMPT = 0x2,
    OFN_HIDEREADONLY = 0x4,
    OFN_PATHMUSTEXIST = 0x800,
    OFN_FILEMUSTEXIST = 0x1000,
};

struct FileDialogRequest {
    bool bOpen = true;        // open, or save
    CString sDefaultExt;      // without the dot, e.g. "wav"
    CString sFileName;        // initial name
    DWORD nFlags = 0;
    CString sFilter;          // "WAV файлы (*.wav)|*.wav|Все файлы (*.*)|*.*||"
    CString sTitle;
    // Results on OK:
    CString sPathName;        // the chosen full path
    CString sFileTitle;       // its name without folder and extension
    CString sFileName_;       // its name with extension, without folder
};

// The print dialog, or the page setup dialog with bSetup. The printer's
// settings go in and come back changed on OK.
struct PrintDialogRequest {
    bool bSetup = false;
    UINT nMinPage = 1, nMaxPage = 0xFFFF; // pages the document has
    UINT nFromPage = 1, nToPage = 0xFFFF; // pages asked for
    CString sPrinterName;                 // empty: the system's default printer
    CString sOutputFile;                  // not empty: into this PDF file instead of a printer
    bool bLandscape = false;
    double dPaperWidthMm = 210, dPaperHeightMm = 297; // upright paper, A4 unless changed
};

class IUserInteraction {
public:
    virtual ~IUserInteraction() = default;
    // Caption empty: the program's own name.
    virtual int MessageBox(const CString& text, const CString& caption, UINT style) = 0;
    // True on OK, with the request's results filled in.
    virtual bool FileDialog(FileDialogRequest& request) = 0;
    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;
    virtual void Beep(DWORD frequency, DWORD duration) = 0;
    virtual void MessageBeep(UINT type) = 0;
    // True on OK, with the request's settings changed as the user chose.
    // Without a window to show it in the dialog is cancelled.
    virtual bool PrintDialog(PrintDialogRequest&) { return false; }
};

// The installed service; the console one until a program installs another.
IUserInteraction& UserInteraction();
// Installs a service and returns the previous one (not owned).
IUserInteraction* SetUserInteraction(IUserInteraction* service);

// The running program's name: the caption of its message boxes that name
// no caption of their own. Empty outside a program (the tool, tests).
void KSetProgramName(const CString& name);
const CString& KProgramName();

int AfxMessageBox(const CString& text, UINT style = MB_OK);
// The result of pressing the first button of a box of this style.
int FirstButtonOf(UINT style);
// Fills the result names of a request from a chosen path.
void SetFileDialogResult(FileDialogRequest& request, const CString& path);

// Shows the wait cursor for as long as it lives.
class CWaitCursor {
public:
    CWaitCursor() { UserInteraction().BeginWaitCursor(); }
    ~CWaitCursor() { UserInteraction().EndWaitCursor(); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
    void Restore() { UserInteraction().BeginWaitCursor(); }
};

// For command-line use: messages go to standard error; every question is
// declined (No, Cancel, Abort), every file dialog is cancelled.
class CConsoleUserInteraction : public IUserInteraction {
public:
    int MessageBox(const CString& text, const CString& caption, UINT style) override;
    bool FileDialog(FileDialogRequest& request) override;
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
    void Beep(DWORD, DWORD) override {}
    void MessageBeep(UINT) override {}
};
