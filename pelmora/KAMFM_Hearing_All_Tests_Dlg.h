// CKAMFM_Hearing_All_Tests_Dlg: the modulation sensitivity test. Twelve
// test records (NM, AM, FM at 125, 500, 2000 and 8000 Hz); each run of
// "Начать текущие испытания" presents the checked test in cycles of seven
// and moves its level by the answers; the least certain test is checked next.
#pragma once
#include <array>
#include <memory>

#include "framework/ui/CDialog.h"
#include "framework/ui/WinTypes.h"
#include "pelmora/KModulationTest.h"
#include "pelmora/PelmoraResource.h"

class CKAMFM_Hearing_All_Tests_Dlg : public CDialog {
public:
    static constexpr int kCarriers[4] = {125, 500, 2000, 8000};

    explicit CKAMFM_Hearing_All_Tests_Dlg(CWnd* pParent = nullptr);

    // Sets up the twelve records and writes their stimulus files (once).
    bool InitTests();
    // Before the second stage: every test's bounds are forgotten, its level kept.
    void ResetBoundsOfAllTests();

    bool OnInitDialog() override;
    void OnOK() override;

    void OnStartTrials();
    void OnPlayUnmodulated();
    void OnPlayModulated();

    // The eight AM/FM tests in the order AM 125 ... FM 8000 (index 0..7),
    // and the unmodulated tone of a test's carrier.
    CKModulationTest& Test(int nIndex) { return *Tests[size_t(4 + nIndex)]; }
    CKModulationTest& Unmodulated(int nIndex) { return *Tests[size_t(nIndex % 4)]; }
    // The index of the test with the largest relative error (the first on a tie).
    int LeastCertainTest();
    // Radio texts, the checked test and the OK button, from the records.
    void RefreshResults();

    // Set by the main dialog before each stage.
    double dTargetError = 0.05; // a fraction
    int nStage = 1;
    COLORREF crBackground = RGB(160, 255, 255);
    CString sUserName;

    // Built on OK (the summary) and along the trials (the log).
    CString sTrialLog;
    CString sSummary;
    CString sDatabaseHeader;
    CString sDatabaseValues;

    // NM 125..8000, AM 125..8000, FM 125..8000.
    std::array<std::unique_ptr<CKModulationTest>, 12> Tests;

private:
    void LogTrial(CKModulationTest& t, int nCycleModulated, int nCycleUnmodulated, int nCycles);
    void Play(const CString& sPathName);
    bool bTestsReady = false;
    int nChecked = 0;
};

// The header of the trial log and of the summary, as it is passed to the formatter.
extern const char* const kTrialLogHeader;
