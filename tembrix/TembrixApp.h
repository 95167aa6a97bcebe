// CTembrixApp: the workshop program. It starts with an empty main window
// and opens documents only when the user asks (or a file is dropped on it).
#pragma once
#include "framework/ui/CDialog.h"
#include "framework/ui/CWinApp.h"

class CTembrixApp : public CWinApp {
public:
    CTembrixApp();

    bool InitInstance() override;
    int ExitInstance() override;

    void OnAppAbout();

private:
    // Draws the main window empty and with the demo's document into the screenshot folder.
    void DrawPictures();
};

// "About Tembrix": the library's identity lines beside the version.
class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(CWnd* pParent = nullptr);
    bool OnInitDialog() override;
};
