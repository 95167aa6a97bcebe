// Glissar, the micro-harmonic tracer: opens the tracer document of one
// sound object, as the workshop starts it with the document's path.
#include "framework/ui/CDialog.h"
#include "framework/ui/CDocTemplate.h"
#include "framework/ui/CWinApp.h"
#include "framework/ui/KScreenshot.h"
#include "glissar/GlissarFrame.h"
#include "glissar/GlissarIds.h"
#include "glissar/KFloatWaveFilmView.h"
#include "glissar/KLocalMaxAmplView.h"
#include "glissar/doc/GlissarDoc.h"

namespace {

class CGlissarApp : public CWinApp {
public:
    CGlissarApp() : CWinApp("Glissar") { MapCommand(ID_APP_ABOUT, &CGlissarApp::OnAppAbout); }

    bool InitInstance() override
    {
        SetRegistryKey("Kavrel");
        LoadStdProfileSettings(16);
        InstallGlissarDocHooks();
        AddDocTemplate(new CSingleDocTemplate(IDR_GLISSAR_MAINFRAME, RUNTIME_CLASS(CGlissarDoc),
                                              RUNTIME_CLASS(CGlissarFrame), RUNTIME_CLASS(CKLocalMaxAmplView)));
        EnableShellOpen();
        RegisterShellFileTypes(TRUE);
        CCommandLineInfo cmdInfo;
        ParseCommandLine(cmdInfo);
        // Without a document (File New only says whose program this is) the
        // program ends.
        if (!ProcessShellCommand(cmdInfo) || !m_pMainWnd)
            return false;
        m_pMainWnd->ShowWindow(SW_SHOWMAXIMIZED);
        m_pMainWnd->UpdateWindow();
        m_pMainWnd->DragAcceptFiles();
        if (!KScreenshotDir().IsEmpty()) {
            DrawPictures();
            return false;
        }
        return true;
    }

    void OnAppAbout()
    {
        CDialog about(IDD_GLISSAR_ABOUTBOX, m_pMainWnd);
        about.DoModal();
    }

private:
    // The tracer with every visible trace in the rebuilt signal, the marks
    // over the sonogram and then alone, and the rebuilt signal below.
    void DrawPictures()
    {
        auto* frame = dynamic_cast<CGlissarFrame*>(m_pMainWnd);
        CGlissarDoc* doc = frame ? frame->GetGlissarDoc() : nullptr;
        if (!doc)
            return;
        doc->OnAddAllVisibleTraces();
        doc->OnShowTraces();
        KPumpMessages();
        KSaveWindowScreenshot(frame, "traces");
        doc->OnShowOnlyTraces();
        doc->OnShowOnlyMarkedTraces();
        KPumpMessages();
        KSaveWindowScreenshot(frame, "only-traces");
        doc->SetModifiedFlag(FALSE);
        frame->OnToolsSize();
        frame->OnPlayScreens();
    }
};

} // namespace

int main(int argc, char** argv)
{
    CGlissarApp app;
    return app.Run(argc, argv);
}
