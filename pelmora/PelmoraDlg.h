// CPelmoraDlg: the main dialog of the hearing tests. It holds the subject's
// name and comment and the parameters of the tests, runs the three stages
// (first modulation test, noise test, second modulation test) and writes
// the protocol of all of them.
#pragma once
#include "framework/ui/KDialogProgram.h"
#include "pelmora/KAMFM_Hearing_All_Tests_Dlg.h"
#include "pelmora/PelmoraResource.h"

class CPelmoraDlg : public CKProgramDialog {
public:
    explicit CPelmoraDlg(CWnd* pParent = nullptr);

    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
    void OnCancel() override;

    void OnSetUserName();
    void OnFirstSensitivity();
    void OnNoiseIntelligibility();
    void OnSecondSensitivity();
    void OnRunMode();

    // The whole protocol for a moment in time, as it is written to the file.
    CString ProtocolText(const std::tm& now) const;
    // FF FE and the text in UTF-16LE.
    static bool WriteProtocolFile(const CString& sPath, const CString& sText);

    CString sUserName = "Фамилия и Имя испытуемого";
    CString sComment = "Используемая акустическая система. Нейрофизиологическое состояние испытуемого.";
    double dTargetErrorPercent = 5.0;
    int nNoiseStart = -20;
    int nNoiseEnd = 16;
    int nNoiseStep = 2;
    int nRunMode = 0; // 0 all tests in order, 1 selective

    CString sFirstStageText;
    CString sNoiseStageText;
    CString sSecondStageText;
    CString sDatabaseHeader;
    CString sDatabaseValues;

    // Lives as long as the program: its test records carry over from the
    // first stage to the second.
    CKAMFM_Hearing_All_Tests_Dlg ModulationDlg;

    // Stages finished, in the order of the run-all mode (0..3).
    int nStagesDone = 0;

private:
    bool RunModulationStage(int nStage, COLORREF crBackground, CString& sText, const char* pszPrefix);
    void EnableButtons();
    void ShowUser();
};
