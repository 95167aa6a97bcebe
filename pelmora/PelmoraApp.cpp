// Pelmora: hearing tests of sensitivity to modulation and of
// intelligibility in noise.
#include <cstdlib>

#include "framework/ui/CWinApp.h"
#include "pelmora/KHearingTestDialogs.h"
#include "pelmora/KHearingTestInNoiseMainDlg.h"
#include "pelmora/PelmoraDlg.h"

namespace {
// Drawing the program without a display: every dialog once.
void drawTheTestDialogs(CPelmoraDlg& main)
{
    main.ModulationDlg.DoModal();
    CKHearingTestInNoiseMainDlg noise;
    noise.DoModal();
    CKHearingTestWaveFilesDlg presentation;
    presentation.sCaption = "1 попытка";
    presentation.sPathName = main.ModulationDlg.Test(1).sFilePath;
    presentation.crBackground = RGB(230, 200, 240);
    presentation.DoModal();
    CKYes_No_for_AM_FM_Dlg question;
    question.DoModal();
    CKHearingTestInNoiseSampleDlg sample;
    sample.nCombination = 3;
    sample.sPathName = KNoiseSourceFolder() + "s1.wav";
    sample.crBackground = RGB(240, 230, 180);
    sample.DoModal();
    CKPlayWaveFileDlg play;
    play.sPathName = KNoiseSourceFolder() + "m1.wav";
    play.DoModal();
    CKSetUserNameDlg name;
    name.sUserName = main.sUserName;
    name.sComment = main.sComment;
    name.DoModal();
}
} // namespace

class CPelmoraApp : public CWinApp {
public:
    CPelmoraApp() : CWinApp("Pelmora") {}

    bool InitInstance() override
    {
        CPelmoraDlg dlg;
        m_pMainWnd = &dlg;
        dlg.DoModal();
        if (const char* dir = std::getenv("KAVREL_SCREENSHOT_DIR"); dir && *dir)
            drawTheTestDialogs(dlg);
        m_pMainWnd = nullptr;
        return false; // the dialog was the program
    }
};

int main(int argc, char** argv)
{
    CPelmoraApp app;
    return app.Run(argc, argv);
}
