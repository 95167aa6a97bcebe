// CKDialogSetSigmaFr: the film's frequency resolution sigma F, cadre step
// and NFFT, with presets and an optional coupling of the cadre rate to the
// resolution (σT = one cadre step). The caller sets the members, runs the
// dialog and reads them back after OK.
#pragma once
#include "framework/ui/CDialog.h"

class CKDialogSetSigmaFr : public CDialog {
public:
    enum { IDD = 4130 };
    explicit CKDialogSetSigmaFr(CWnd* pParent = nullptr);

    int NFFT = 1024;
    unsigned FrADC = 44100;   // sampling rate of the file, Hz
    int NChannels = 1;        // the channel radios only make sense for stereo
    float SigmaFr = 0;        // frequency resolution, Hz
    float CadreFr = 0;        // Fs / step, shown only
    int CadreStepInSamples = 102;
    int bLinkOptimally = 1;   // keep step = Fs/(2π·σF)
    int nChannel = 0;         // 0 left, 1 right

    // The resolution in spectral lines per σF that the NFFT button n shows.
    double LinesPerSigma(int n) const;
    // Step for a resolution, limited to 2 … 409, and resolution for a step.
    int StepFromSigma(double sigma) const;
    double SigmaFromStep(int step) const;

    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;

    void OnChangeSigmaFr();
    void OnDeltaposSpinSigmaFr(NMHDR* pNMHDR, LRESULT* pResult);
    void OnDeltaposSpinCadreStep(NMHDR* pNMHDR, LRESULT* pResult);
    void OnLinkOptimally();
    // The NFFT buttons, the cadre rate presets and the analysis presets
    // (articulation, voice), each told which button was pressed.
    void OnNFFT(UINT nID);
    void OnCadreRatePreset(UINT nID);
    void OnAnalysisPreset(UINT nID);
    void OnBnClickedCadreFrDefault();

    static constexpr int kMinStep = 2;
    static constexpr int kMaxStep = 409;

private:
    // Shows the members; the σF edit is left alone while the user types in it.
    void DisplayUpdate(bool bRewriteSigma = true);
    void SetCadreRatePreset(int step);
    void SetAnalysisPreset(double sigma);
};
