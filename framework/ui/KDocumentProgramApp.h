// A single-document program that another program starts with its
// document's path: the suite's profile, one template, the document named
// on the command line (without one — File New only says whose program this
// is — the program ends), the main window shown as the program asks, files
// dropped on it opened. With KAVREL_SCREENSHOT_DIR set it draws its
// pictures and ends.
#pragma once
#include "framework/ui/CWinApp.h"

class CDocTemplate;

class CKDocumentProgramApp : public CWinApp {
public:
    bool InitInstance() override;
    void OnAppAbout();

protected:
    CKDocumentProgramApp(const char* pszAppName, UINT nIDAboutBox, int nCmdShow);
    virtual CDocTemplate* MakeDocTemplate() = 0;
    virtual void DrawPictures() {}

private:
    UINT m_nIDAboutBox;
    int m_nCmdShow;
};
