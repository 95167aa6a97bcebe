#include "tembrix/TembrixApp.h"

#include "framework/ui/CDocTemplate.h"
#include "framework/ui/KScreenshot.h"
#include "kavrel/core/KWave.h"
#include "tembrix/KMainFrame.h"
#include "tembrix/TembrixDoc.h"
#include "tembrix/TembrixFrame.h"
#include "tembrix/TembrixIds.h"
#include "tembrix/TembrixView.h"

CTembrixApp::CTembrixApp() : CWinApp("Tembrix")
{
    MapCommand(ID_APP_ABOUT, &CTembrixApp::OnAppAbout);
    MapCommand(ID_FILE_NEW, &CWinApp::OnFileNew);
    MapCommand(ID_FILE_OPEN, &CWinApp::OnFileOpen);
    MapCommand(ID_FILE_PRINT_SETUP, &CWinApp::OnFilePrintSetup);
}

bool CTembrixApp::InitInstance()
{
    SetRegistryKey("Kavrel");
    LoadStdProfileSettings(16);
    AddDocTemplate(new CMultiDocTemplate(IDR_TEMBRIXTYPE, RUNTIME_CLASS(CTembrixDoc), RUNTIME_CLASS(CTembrixFrame),
                                         RUNTIME_CLASS(CTembrixView)));
    auto* pMainFrame = new CKMainFrame;
    pMainFrame->m_bAutoDelete = true;
    if (!pMainFrame->LoadFrame(IDR_MAINFRAME, DWORD(WS_OVERLAPPEDWINDOW) | DWORD(FWS_ADDTOTITLE))) {
        delete pMainFrame;
        return false;
    }
    m_pMainWnd = pMainFrame;
    pMainFrame->SubclassMDIClient(&pMainFrame->m_wndClient);
    m_pMainWnd->DragAcceptFiles();
    EnableShellOpen();
    RegisterShellFileTypes(TRUE);

    // A document is opened only when the user asks: never by start-up itself.
    CCommandLineInfo cmdInfo;
    ParseCommandLine(cmdInfo);
    cmdInfo.m_nShellCommand = CCommandLineInfo::FileNothing;
    if (!ProcessShellCommand(cmdInfo))
        return false;
    m_pMainWnd->ShowWindow(SW_SHOWMAXIMIZED);
    m_pMainWnd->UpdateWindow();
    if (!KScreenshotDir().IsEmpty()) {
        DrawPictures();
        return false;
    }
    return true;
}

int CTembrixApp::ExitInstance()
{
    if (m_pMainWnd) {
        CloseAllDocuments(TRUE);
        if (auto* frame = dynamic_cast<CKMainFrame*>(m_pMainWnd))
            frame->SubclassMDIClient(nullptr);
        m_pMainWnd->DestroyWindow();
        m_pMainWnd = nullptr;
    }
    return CWinApp::ExitInstance();
}

void CTembrixApp::OnAppAbout()
{
    CAboutDlg about(m_pMainWnd);
    about.DoModal();
}

void CTembrixApp::DrawPictures()
{
    KPumpMessages();
    KSaveWindowScreenshot(m_pMainWnd, "empty");
}

CAboutDlg::CAboutDlg(CWnd* pParent) : CDialog(IDD_ABOUTBOX, pParent) {}

bool CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    const CKWave wave;
    SetDlgItemText(IDC_ABOUT_KN, wave.GetKN());
    SetDlgItemText(IDC_ABOUT_KP, wave.GetKP());
    SetDlgItemText(IDC_ABOUT_KM, wave.GetKM());
    return true;
}
