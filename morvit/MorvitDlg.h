// CMorvitDlg: the main dialog of the wave transform program.
#pragma once
#include "framework/ui/KDialogProgram.h"
#include "kavrel/core/KWave.h"
#include "kavrel/core/KWaveWriteToFile.h"

enum : UINT {
    IDD_MORVIT_DIALOG = 102,
    IDD_ABOUTBOX = 100,
    IDM_ABOUTBOX = 16,
    IDC_OPEN_INPUT = 1000,
    IDC_PLAY_INPUT = 1001,
    IDC_OPEN_OUTPUT = 1002,
    IDC_PLAY_OUTPUT = 1003,
    IDC_INPUT_PATH = 1004,
    IDC_OUTPUT_PATH = 1005,
    IDC_FRADC_TEXT = 1007,
    IDC_COSINE = 1008,
    IDC_START_PHASE = 1009,
    IDC_START_FREQUENCY = 1010,
    IDC_FREQUENCY_GROWTH = 1011,
    IDC_MAX = 1012,
    IDC_MIN = 1013,
    IDC_ADDEND = 1014,
    IDC_ADD = 1015,
    IDC_RANGE = 1016,
    IDC_HELP_BUTTON = 57670, // the framework opens the guide at the dialog's topic
};

class CMorvitDlg : public CKProgramDialog {
public:
    explicit CMorvitDlg(CWnd* pParent = nullptr);

    CKWave InputWave;
    CKWaveWriteToFile OutputWave;
    short OutputBuffer[16384];
    CString sInputPath;
    CString sOutputPath;
    CString sFrADCText;
    double dFrequencyGrowth = 0;
    double dStartFrequency = 0;
    double dStartPhase = 0;
    int nMax = 0;
    int nMin = 0;
    int nAddend = 0;

    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    void OnOpenInput();
    void OnOpenOutput();
    void OnPlayInput();
    void OnPlayOutput();
    void OnCosineMultiplication();
    void OnAddition();
    void OnRange();
    void OnEditKillFocus();

private:
    bool ReadyForTransform();
    bool InputIsUsable();
    void ShowInput();
    void FinishedBeeps();
    void ShowRange();
};
