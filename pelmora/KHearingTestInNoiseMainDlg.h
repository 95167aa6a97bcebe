// CKHearingTestInNoiseMainDlg: intelligibility of speech and music in
// noise. Each round plays the eight combinations of two speech and two
// music signals with their noises, in random order, at one signal-to-noise
// ratio; the ratio rises by a step after every round.
#pragma once
#include <array>
#include <vector>

#include "framework/ui/CDialog.h"
#include "framework/ui/WinTypes.h"
#include "pelmora/PelmoraResource.h"

// The folder of the noise test's sources: "./1/" when the current folder
// has them, otherwise the "1" folder beside the program.
CString KNoiseSourceFolder();

class CKHearingTestInNoiseMainDlg : public CDialog {
public:
    // Sound codes 1..4 and noise codes 5..8.
    enum : int { kSpeech1 = 1, kSpeech2 = 2, kMusic1 = 3, kMusic2 = 4, kSpeechNoise1 = 5, kSpeechNoise2 = 6,
                 kMusicNoise1 = 7, kMusicNoise2 = 8 };
    static constexpr int kMaxRows = 1000;

    struct Row {
        int nLevel;
        int nSound;
        int nNoise;
        int nAnswer;
        CString sText;
    };

    explicit CKHearingTestInNoiseMainDlg(CWnd* pParent = nullptr);

    bool OnInitDialog() override;
    void OnCancel() override;
    void OnRound();
    void OnFinish();
    void OnPlayMusic1();
    void OnPlayMusic2();

    // The sound and noise codes of combination 0..7.
    static int SoundOf(int nCombination);
    static int NoiseOf(int nCombination);
    static const char* NameOf(int nCode);
    // Mixes a signal and a noise at L dB and writes the mix to sPath; false
    // after a message when the file cannot be written.
    static bool WriteMix(const std::vector<double>& signal, const std::vector<double>& noise, double dLevel,
                         long nFrADC, const CString& sPath);
    // The database cells from the results table.
    void BuildDatabaseCells();

    // Set by the main dialog.
    int nStartLevel = -20;
    int nEndLevel = 16;
    int nStep = 2;
    COLORREF crBackground = RGB(190, 255, 190);
    CString sUserName;
    CString sFolder; // empty: KNoiseSourceFolder()
    CString sMixPath;

    int nCurrentLevel = -20;
    int nRounds = 0;
    std::vector<Row> Results;
    CString sLog;
    CString sDatabaseHeader;
    CString sDatabaseValues;

private:
    bool LoadSources();
    void ShowStatus();
    void Present(int nNumber, int nCombination);

    // s1, s2, m1, m2, sn1, sn2, mn1, mn2: the codes 1..8 less one.
    std::array<std::vector<double>, 8> Sources;
    std::array<long, 8> nSourceFrADC{};
    bool bSourcesGood = false;
    CString sLastSpeech1Text;
    CString sLastSpeech2Text;
};
