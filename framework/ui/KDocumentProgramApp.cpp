#include "framework/ui/KDocumentProgramApp.h"

#include "framework/ui/AfxIds.h"
#include "framework/ui/CDialog.h"
#include "framework/ui/CDocTemplate.h"
#include "framework/ui/KScreenshot.h"

CKDocumentProgramApp::CKDocumentProgramApp(const char* pszAppName, UINT nIDAboutBox, int nCmdShow)
    : CWinApp(pszAppName), m_nIDAboutBox(nIDAboutBox), m_nCmdShow(nCmdShow)
{
    MapCommand(ID_APP_ABOUT, &CKDocumentProgramApp::OnAppAbout);
}

bool CKDocumentProgramApp::InitInstance()
{
    SetRegistryKey("Kavrel");
    LoadStdProfileSettings(16);
    AddDocTemplate(MakeDocTemplate());
    EnableShellOpen();
    RegisterShellFileTypes(TRUE);
    CCommandLineInfo cmdInfo;
    ParseCommandLine(cmdInfo);
    if (!ProcessShellCommand(cmdInfo) || !m_pMainWnd)
        return false;
    m_pMainWnd->ShowWindow(m_nCmdShow);
    m_pMainWnd->UpdateWindow();
    m_pMainWnd->DragAcceptFiles();
    if (!KScreenshotDir().IsEmpty()) {
        DrawPictures();
        return false;
    }
    return true;
}

void CKDocumentProgramApp::OnAppAbout()
{
    CDialog about(m_nIDAboutBox, m_pMainWnd);
    about.DoModal();
}
