// CDialogJumpToFreq: asks for a frequency in hertz and shows the real
// frequency of the bin the active pane will start at; every change of the
// number beeps.
#pragma once
#include "framework/ui/CDialog.h"

// The bin of frequency f (truncated), kept where a pane w pixels wide can
// start: 0 .. nBins - w (0 for a rate that is not positive).
int JumpToFreqBin(long f, double Fs, int nFFT, int nBins, int w);

class CDialogJumpToFreq : public CDialog {
public:
    CDialogJumpToFreq(double Fs, int nFFT, int nClientWidth, CWnd* pParent = nullptr);

    bool OnInitDialog() override;
    void OnChangeFreq();

    // The desired frequency, as typed.
    int nFreq = 0;
    // The bin the pane is to start at.
    int nBin = 0;
    double dFs;
    int nFFT;
    int nClientWidth;

private:
    void ShowRealFrequency();
};
