// Glissar, the micro-harmonic tracer: opens the tracer document of one
// sound object, as the workshop starts it with the document's path.
#include "framework/ui/KScreenshot.h"
#include "glissar/GlissarFrame.h"
#include "glissar/GlissarIds.h"
#include "glissar/KFloatWaveFilmView.h"
#include "glissar/KLocalMaxAmplView.h"
#include "glissar/doc/GlissarDoc.h"
#include "kavrel/views/KCompanionProgram.h"

namespace {

class CGlissarApp : public CKCompanionProgramApp<CGlissarDoc, CGlissarFrame> {
public:
    CGlissarApp()
        : CKCompanionProgramApp("Glissar", IDD_GLISSAR_ABOUTBOX, SW_SHOWMAXIMIZED, IDR_GLISSAR_MAINFRAME,
                                RUNTIME_CLASS(CGlissarDoc), RUNTIME_CLASS(CGlissarFrame), RUNTIME_CLASS(CKLocalMaxAmplView))
    {
    }

    bool InitInstance() override
    {
        InstallGlissarDocHooks();
        return CKCompanionProgramApp::InitInstance();
    }

private:
    // The tracer with every visible trace in the rebuilt signal, the marks
    // over the sonogram and then alone, and the rebuilt signal below.
    void DrawDocumentPictures(CGlissarFrame& frame, CGlissarDoc& doc) override
    {
        doc.OnAddAllVisibleTraces();
        doc.OnShowTraces();
        KPumpMessages();
        KSaveWindowScreenshot(&frame, "traces");
        doc.OnShowOnlyTraces();
        doc.OnShowOnlyMarkedTraces();
        KPumpMessages();
        KSaveWindowScreenshot(&frame, "only-traces");
        doc.SetModifiedFlag(FALSE);
        frame.OnToolsSize();
        frame.OnPlayScreens();
    }
};

} // namespace

int main(int argc, char** argv)
{
    CGlissarApp app;
    return app.Run(argc, argv);
}
