#include "tembrix/TembrixApp.h"

#include "framework/ui/CDocTemplate.h"
#include "framework/ui/KScreenshot.h"
#include "kavrel/core/KWave.h"
#include "kavrel/views/KFilmViewState.h"
#include "kavrel/views/KProgressDlg.h"
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
    // Long computations (the power file of every new or opened document
    // among them) show their progress window.
    KInstallViewServices();
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
    // The desktop's open request (--open FILE as a file manager sends it on a
    // double click, or -dde FILE) is served once the window is up; a plain
    // argument opens nothing.
    const CString sShellOpen =
        cmdInfo.m_nShellCommand == CCommandLineInfo::FileDDE ? cmdInfo.m_strFileName : CString();
    cmdInfo.m_nShellCommand = CCommandLineInfo::FileNothing;
    if (!ProcessShellCommand(cmdInfo))
        return false;
    m_pMainWnd->ShowWindow(SW_SHOWMAXIMIZED);
    m_pMainWnd->UpdateWindow();
    if (!sShellOpen.IsEmpty())
        OpenDocumentFile(sShellOpen);
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
    auto* frame = dynamic_cast<CKMainFrame*>(m_pMainWnd);
    CTembrixDoc* doc = frame ? frame->GetActiveTembrixDoc() : nullptr;
    if (!doc && !GetRecentFileList().empty()) {
        OpenDocumentFile(GetRecentFileList().front());
        doc = frame ? frame->GetActiveTembrixDoc() : nullptr;
    }
    if (!doc) {
        OnAppAbout();
        return;
    }
    // A document without objects gets objects of every kind on the first
    // levels, over stretches of the film (pictures only: no files written).
    CKWaveFilm& film = doc->WaveFilm;
    const long n = film.GetNCadres();
    const struct {
        long c0, c1;
        int type;
        const char* name;
        const char* comment;
    } kObjects[] = {{n / 12, n / 4, 1, "Фраза 1", "микрогармоники"},
                    {n / 8, n / 6, 0, "Ударный", "гласный под ударением"},
                    {n / 3, n / 2, 3, "Голос", "голосовой источник"},
                    {n / 2, 2 * n / 3, 4, "Эхо", "реверберация"},
                    {3 * n / 5, 3 * n / 4, 2, "Тон", "одиночная гармоника"}};
    if (doc->PhoneObjectList.IsEmpty())
        for (const auto& o : kObjects) {
            film.SetSelectedFragmentAbsCadres(o.c0, o.c1);
            auto* po = new CKPhoneObject;
            po->nFirstSample = int(film.GetSelectedFragmentSample0());
            po->nLastSample = int(film.GetSelectedFragmentSample1());
            po->nType = o.type;
            po->sName = o.name;
            po->sComment = o.comment;
            po->nLevel = doc->FindFreeLevel();
            po->nIndex = doc->nNextPhoneObjectIndex++;
            doc->PhoneObjectList.AddTail(po);
            doc->UpdateAllViews(nullptr, HintPhoneObject, po);
        }
    film.SetSelectedFragmentAbsCadres(n / 3, n / 2);
    film.SetKCaretCadre(5 * n / 12);
    film.SetKCaretFrequency(1000);
    doc->UpdateAllViews(nullptr, HintSelection);
    CKWaveFilmHint hint(&film);
    doc->UpdateAllViews(nullptr, HintCaret, &hint);
    KPumpMessages();
    frame->m_wndStatusBar.OnUpdateCmdUI(frame, TRUE);
    KSaveWindowScreenshot(m_pMainWnd, "document");
    // The same in each of the other display modes of the film, then back.
    const int shown = film.displayFlags;
    const struct {
        UINT id;
        const char* name;
    } kModes[] = {{ID_FILM_GREY, "document-grey"},
                  {ID_FILM_GREY_INVERSE, "document-grey-inverse"},
                  {ID_FILM_COLOUR, "document-colour"},
                  {ID_FILM_PHASE_AMPL, "document-phase-amplitude"},
                  {ID_FILM_PHASE_FREQ, "document-phase-frequency"}};
    for (const auto& m : kModes) {
        if (CTembrixDoc::DisplayModeOfCommand(m.id) == shown)
            continue;
        doc->OnFilmDisplayMode(m.id);
        KPumpMessages();
        KSaveWindowScreenshot(m_pMainWnd, m.name);
    }
    film.displayFlags = shown;
    doc->UpdateAllViews(nullptr, HintDisplayParameter);
    KPumpMessages();
    // Both tracks over the sonogram, their values at the caret in the status
    // bar; then their dialog, drawn and cancelled.
    doc->OnShowPitchTrack();
    doc->OnShowFormantTracks();
    KPumpMessages();
    frame->m_wndStatusBar.OnUpdateCmdUI(frame, TRUE);
    KSaveWindowScreenshot(m_pMainWnd, "tracks");
    doc->OnTrackParameters();
    doc->OnShowPitchTrack();
    doc->OnShowFormantTracks();
    KPumpMessages();
    doc->NewPhoneObject(); // its description dialog is drawn and cancelled
    doc->OnPirogovFunction(); // over the selection
    doc->OnDownsample(); // the factor, the grains and the cocktail's rounds: drawn and cancelled
    doc->OnReverseCadres();
    doc->OnSoundCocktail();
    frame->OnCreateVoiceSignal();
    OnAppAbout();
    doc->SetModifiedFlag(false);
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
