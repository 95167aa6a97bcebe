// Pelmora: hearing tests of sensitivity to modulation and of
// intelligibility in noise.
#include "framework/ui/KDialogProgram.h"
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

class CPelmoraApp : public CKDialogProgramApp<CPelmoraDlg> {
public:
    CPelmoraApp() : CKDialogProgramApp("Pelmora") {}

private:
    void DrawPictures(CPelmoraDlg& dlg) override { drawTheTestDialogs(dlg); }
};

int main(int argc, char** argv)
{
    CPelmoraApp app;
    return app.Run(argc, argv);
}
