// The dialog forms of Pelmora, under their numeric IDs.
#include <QDialog>

#include "framework/ui/CDialog.h"
#include "pelmora/PelmoraResource.h"
#include "ui_KAMFM_Hearing_All_Tests_Dlg.h"
#include "ui_KHearingTestInNoiseMainDlg.h"
#include "ui_KHearingTestInNoiseSampleDlg.h"
#include "ui_KHearingTestWaveFilesDlg.h"
#include "ui_KPlayWaveFileDlg.h"
#include "ui_KSetUserNameDlg.h"
#include "ui_KYes_No_for_AM_FM_Dlg.h"
#include "ui_PelmoraAboutDlg.h"
#include "ui_PelmoraDlg.h"

namespace {
template <class Form> void setup(QDialog* d)
{
    Form ui;
    ui.setupUi(d);
}
const KDialogTemplate kMain(IDD_PELMORA_DIALOG, setup<Ui::PelmoraDlg>);
const KDialogTemplate kAbout(IDD_ABOUTBOX, setup<Ui::PelmoraAboutDlg>);
const KDialogTemplate kUser(IDD_SET_USER_NAME, setup<Ui::KSetUserNameDlg>);
const KDialogTemplate kModulation(IDD_AMFM_HEARING_ALL_TESTS, setup<Ui::KAMFM_Hearing_All_Tests_Dlg>);
const KDialogTemplate kPresentation(IDD_HEARING_TEST_WAVE_FILES, setup<Ui::KHearingTestWaveFilesDlg>);
const KDialogTemplate kQuestion(IDD_YES_NO_FOR_AM_FM, setup<Ui::KYes_No_for_AM_FM_Dlg>);
const KDialogTemplate kNoise(IDD_HEARING_TEST_IN_NOISE, setup<Ui::KHearingTestInNoiseMainDlg>);
const KDialogTemplate kSample(IDD_HEARING_TEST_IN_NOISE_SAMPLE, setup<Ui::KHearingTestInNoiseSampleDlg>);
const KDialogTemplate kPlay(IDD_PLAY_WAVE_FILE, setup<Ui::KPlayWaveFileDlg>);
} // namespace
