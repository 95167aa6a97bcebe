// A small single-document program for the tests that start a real process:
// the number document of the frame tests, opened as the command line asks.
// It prints what it opened and closes its window as a user would. A
// negative number is opened only when the user says so, as the suite's
// documents ask about what they find while they open.
#include <QTimer>
#include <cstdio>

#include "framework/base/UserServices.h"
#include "framework/ui/CDocTemplate.h"
#include "framework/ui/CWinApp.h"
#include "framework/ui/tests/FrameTestSupport.h"

using namespace frame_test;

class CAskingNumberDoc : public CNumberDoc {
    DECLARE_DYNCREATE(CAskingNumberDoc)
public:
    BOOL OnOpenDocument(const char* lpszPathName) override
    {
        if (!CNumberDoc::OnOpenDocument(lpszPathName)) return FALSE;
        return nValue >= 0 || AfxMessageBox("Число отрицательное. Открыть его?", MB_YESNO | MB_ICONQUESTION) == IDYES;
    }
};
IMPLEMENT_DYNCREATE(CAskingNumberDoc, CNumberDoc)

namespace {

class CNumberApp : public CWinApp {
public:
    CNumberApp() : CWinApp("NumberProgram") {}

    bool InitInstance() override
    {
        AddDocTemplate(new CSingleDocTemplate(IDR_SDI, RUNTIME_CLASS(CAskingNumberDoc), RUNTIME_CLASS(CTestFrame),
                                              RUNTIME_CLASS(CNumberView)));
        CCommandLineInfo cmdInfo;
        ParseCommandLine(cmdInfo);
        if (!ProcessShellCommand(cmdInfo)) {
            std::printf("refused\n");
            return false;
        }
        auto* frame = dynamic_cast<CFrameWnd*>(m_pMainWnd);
        auto* doc = frame ? dynamic_cast<CNumberDoc*>(frame->GetActiveDocument()) : nullptr;
        if (!doc) return false;
        std::printf("path: %s\nvalue: %d\n", doc->GetPathName().GetString(), doc->nValue);
        std::fflush(stdout);
        QTimer::singleShot(0, [frame] { frame->OnClose(); });
        return true;
    }
};

} // namespace

int main(int argc, char** argv)
{
    CNumberApp app;
    return app.Run(argc, argv);
}
