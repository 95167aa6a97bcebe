#include "pelmora/KHearingTestDialogs.h"

#include <QPalette>
#include <QVBoxLayout>
#include <QWidget>
#include <cstdlib>

std::tm KLocalNow()
{
    std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    return t;
}

void KSeedRandomFromClock()
{
    std::tm t = KLocalNow();
    std::srand(unsigned(t.tm_hour + t.tm_min + t.tm_sec));
}

COLORREF KRandomLightColor()
{
    const int r = 160 + std::rand() % 95;
    const int g = 160 + std::rand() % 95;
    const int b = 160 + std::rand() % 95;
    return RGB(r, g, b);
}

void KSetDialogBackground(CWnd* pDlg, COLORREF cr)
{
    QWidget* w = pDlg->GetWidget();
    if (!w)
        return;
    QPalette p = w->palette();
    p.setColor(QPalette::Window, QColor(GetRValue(cr), GetGValue(cr), GetBValue(cr)));
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

bool KCreateMediaWindow(CDialog* pDlg, int nPlace, CMciWnd& media, const CString& sPathName)
{
    CWnd* place = pDlg->GetDlgItem(nPlace);
    if (!place)
        return false;
    bool ok = media.Create(place, sPathName);
    auto* layout = new QVBoxLayout(place->GetWidget());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(media.GetWidget());
    return ok;
}

// ---- one presentation -------------------------------------------------------

CKHearingTestWaveFilesDlg::CKHearingTestWaveFilesDlg(CWnd* pParent) : CDialog(IDD_HEARING_TEST_WAVE_FILES, pParent) {}

bool CKHearingTestWaveFilesDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_PRESENTATION_CAPTION, sCaption);
    KSetDialogBackground(this, crBackground);
    if (KCreateMediaWindow(this, IDC_MEDIA_PLACE, MediaWindow, sPathName))
        MediaWindow.Play();
    return true;
}

void CKHearingTestWaveFilesDlg::OnOK()
{
    MediaWindow.Stop();
    EndDialog(IDOK);
}

void CKHearingTestWaveFilesDlg::OnCancel()
{
    MediaWindow.Stop();
    EndDialog(IDCANCEL);
}

// ---- one mix of the noise test ------------------------------------------------

namespace {
// The answer buttons stand in this order on the form.
constexpr int kAnswerOfButton[] = {KANSWER_SPEECH_1, KANSWER_SPEECH_2, KANSWER_SPEECH_UNRECOGNISED, KANSWER_MUSIC_1,
                                   KANSWER_MUSIC_2,  KANSWER_MUSIC_UNRECOGNISED, KANSWER_SOME_SOUNDS, KANSWER_NOTHING};
} // namespace

CKHearingTestInNoiseSampleDlg::CKHearingTestInNoiseSampleDlg(CWnd* pParent)
    : CDialog(IDD_HEARING_TEST_IN_NOISE_SAMPLE, pParent)
{
}

int CKHearingTestInNoiseSampleDlg::AnswerOfButton(int nID)
{
    if (nID < int(IDC_ANSWER_FIRST) || nID > int(IDC_ANSWER_LAST))
        return 0;
    return kAnswerOfButton[nID - IDC_ANSWER_FIRST];
}

void CKHearingTestInNoiseSampleDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, IDC_TEXT_SPEECH_1, sSpeech1Text);
    DDX_Text(pDX, IDC_TEXT_SPEECH_2, sSpeech2Text);
}

bool CKHearingTestInNoiseSampleDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowText(sPathName);
    CString caption;
    caption.Format("%i комбинация сигналов и шумов", nCombination);
    SetDlgItemText(IDC_SAMPLE_CAPTION, caption);
    KSetDialogBackground(this, crBackground);
    nAnswer = 0;
    GetDlgItem(IDOK)->EnableWindow(false);
    if (KCreateMediaWindow(this, IDC_MEDIA_PLACE, MediaWindow, sPathName))
        MediaWindow.Play();
    return true;
}

bool CKHearingTestInNoiseSampleDlg::OnCommand(UINT nID, UINT nCode)
{
    if (nCode == BN_CLICKED && AnswerOfButton(int(nID))) {
        nAnswer = AnswerOfButton(int(nID));
        CheckDlgButton(int(nID), BST_CHECKED);
        GetDlgItem(IDOK)->EnableWindow(true);
        return true;
    }
    return CDialog::OnCommand(nID, nCode);
}

void CKHearingTestInNoiseSampleDlg::OnOK()
{
    if (nAnswer == 0 || !UpdateData(true))
        return;
    MediaWindow.Stop();
    EndDialog(IDOK);
}

void CKHearingTestInNoiseSampleDlg::OnCancel()
{
    MediaWindow.Stop();
    EndDialog(IDCANCEL);
}

// ---- plain playback and the subject's name --------------------------------------

bool CKPlayWaveFileDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowText(sTitle);
    SetDlgItemText(IDC_PLAY_PATH, sPathName);
    if (KCreateMediaWindow(this, IDC_MEDIA_PLACE, MediaWindow, sPathName))
        MediaWindow.Play();
    return true;
}

void CKSetUserNameDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, IDC_USER_NAME, sUserName);
    DDX_Text(pDX, IDC_USER_COMMENT, sComment);
}
