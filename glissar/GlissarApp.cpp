// Glissar, the micro-harmonic tracer: opens the tracer document of one
// sound object, as the workshop starts it with the document's path.
#include "framework/ui/CDialog.h"
#include "framework/ui/CDocTemplate.h"
#include "framework/ui/KDocumentProgramApp.h"
#include "framework/ui/KScreenshot.h"
#include "glissar/GlissarFrame.h"
#include "glissar/GlissarIds.h"
#include "glissar/KFloatWaveFilmView.h"
#include "glissar/KLocalMaxAmplView.h"
#include "glissar/doc/GlissarDoc.h"
#include "kavrel/views/KProgressDlg.h"

namespace {

class CGlissarApp : public CKDocumentProgramApp {
public:
    CGlissarApp() : CKDocumentProgramApp("Glissar", IDD_GLISSAR_ABOUTBOX, SW_SHOWMAXIMIZED) {}

    bool InitInstance() override
    {
        InstallGlissarDocHooks();
        KInstallViewServices(); // the analysis on open shows its progress
        return CKDocumentProgramApp::InitInstance();
    }

    CDocTemplate* MakeDocTemplate() override
    {
        return new CSingleDocTemplate(IDR_GLISSAR_MAINFRAME, RUNTIME_CLASS(CGlissarDoc), RUNTIME_CLASS(CGlissarFrame),
                                      RUNTIME_CLASS(CKLocalMaxAmplView));
    }

private:
    // The tracer with every visible trace in the rebuilt signal, the marks
    // over the sonogram and then alone, and the rebuilt signal below.
    void DrawPictures() override
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
