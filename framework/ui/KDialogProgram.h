// A program that is one dialog: the dialog is the main window while it
// runs, its system menu carries the About item, and with
// KAVREL_SCREENSHOT_DIR set the program draws its pictures once the dialog
// has closed.
#pragma once
#include "framework/ui/CDialog.h"
#include "framework/ui/CWinApp.h"
#include "framework/ui/KScreenshot.h"

// The program's main dialog: the About item of the system menu opens the
// about box.
class CKProgramDialog : public CDialog {
public:
    bool OnInitDialog() override;
    void OnSysCommand(UINT nID) override;

protected:
    CKProgramDialog(UINT nIDTemplate, CWnd* pParent, UINT nIDAboutBox, UINT nIDAboutItem, const char* pszAboutItem);

private:
    UINT m_nIDAboutBox;
    UINT m_nIDAboutItem;
    const char* m_pszAboutItem;
};

template <class Dlg>
class CKDialogProgramApp : public CWinApp {
public:
    bool InitInstance() override
    {
        Dlg dlg;
        m_pMainWnd = &dlg;
        dlg.DoModal();
        m_pMainWnd = nullptr;
        if (!KScreenshotDir().IsEmpty())
            DrawPictures(dlg);
        return false; // the dialog was the program
    }

protected:
    using CWinApp::CWinApp;
    // The closed dialog, for what the pictures need of it.
    virtual void DrawPictures(Dlg&) {}
};
