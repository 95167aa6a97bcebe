// The small dialogs of the hearing tests: one presentation of a stimulus,
// the question after a wrong answer, one mix of the noise test, the plain
// playback of a sound, and the subject's name.
#pragma once
#include <ctime>

#include "framework/ui/CDialog.h"
#include "framework/ui/CMciWnd.h"
#include "framework/ui/WinTypes.h"
#include "pelmora/PelmoraResource.h"

// The local time now; the random generator seeded, as every procedure
// does, with hour + minute + second of it.
std::tm KLocalNow();
void KSeedRandomFromClock();

// A light colour for a dialog's background: each of red, green and blue
// 160 + (random mod 95).
COLORREF KRandomLightColor();
void KSetDialogBackground(CWnd* pDlg, COLORREF cr);
// Places a media window in the frame nPlace of a dialog, on the file.
bool KCreateMediaWindow(CDialog* pDlg, int nPlace, CMciWnd& media, const CString& sPathName);

// One presentation: the stimulus plays at once; Enter says "modulated", Escape "not".
class CKHearingTestWaveFilesDlg : public CDialog {
public:
    explicit CKHearingTestWaveFilesDlg(CWnd* pParent = nullptr);
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    CString sCaption;
    CString sPathName;
    COLORREF crBackground = RGB(255, 255, 255);
    CMciWnd MediaWindow;
};

// After a wrong answer: OK repeats the cycle, Cancel keeps the answer.
class CKYes_No_for_AM_FM_Dlg : public CDialog {
public:
    explicit CKYes_No_for_AM_FM_Dlg(CWnd* pParent = nullptr) : CDialog(IDD_YES_NO_FOR_AM_FM, pParent) {}
};

// The answer codes of the noise test.
enum : int {
    KANSWER_SPEECH_1 = 1,
    KANSWER_SPEECH_2 = 2,
    KANSWER_MUSIC_1 = 3,
    KANSWER_MUSIC_2 = 4,
    KANSWER_SPEECH_UNRECOGNISED = 9,
    KANSWER_MUSIC_UNRECOGNISED = 10,
    KANSWER_SOME_SOUNDS = 11,
    KANSWER_NOTHING = 12,
};

// One mix of signal and noise: it plays at once; the last answer button
// pressed is the answer, and "Готово" waits for one.
class CKHearingTestInNoiseSampleDlg : public CDialog {
public:
    explicit CKHearingTestInNoiseSampleDlg(CWnd* pParent = nullptr);
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    bool OnCommand(UINT nID, UINT nCode) override;
    void OnOK() override;
    void OnCancel() override;

    // The answer code of each button, in the order of their IDs.
    static int AnswerOfButton(int nID);

    int nCombination = 1; // its number in the round
    CString sPathName;
    COLORREF crBackground = RGB(255, 255, 255);
    int nAnswer = 0; // none yet
    CString sSpeech1Text;
    CString sSpeech2Text;
    CMciWnd MediaWindow;
};

// A sound played whole in a media window.
class CKPlayWaveFileDlg : public CDialog {
public:
    explicit CKPlayWaveFileDlg(CWnd* pParent = nullptr) : CDialog(IDD_PLAY_WAVE_FILE, pParent) {}
    bool OnInitDialog() override;

    CString sTitle = "Воспроизведение";
    CString sPathName;
    CMciWnd MediaWindow;
};

class CKSetUserNameDlg : public CDialog {
public:
    explicit CKSetUserNameDlg(CWnd* pParent = nullptr) : CDialog(IDD_SET_USER_NAME, pParent) {}
    void DoDataExchange(CDataExchange* pDX) override;

    CString sUserName;
    CString sComment;
};
