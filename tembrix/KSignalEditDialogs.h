// The dialogs of the signal edits: which segment to delete or keep and how
// carefully, which side of the marker to delete, and the power levelling's
// target amplitude, frame rate and gain limit.
#pragma once
#include "framework/ui/CDialog.h"

class CKDialogCutWaveFile : public CDialog {
public:
    explicit CKDialogCutWaveFile(CWnd* pParent = nullptr);
    void DoDataExchange(CDataExchange* pDX) override;

    int nWhat = 0;    // 0 delete the selected segment, 1 keep it
    int nQuality = 1; // 0 rough (a click is heard), 1 careful (crossfaded)
};

class CDialogCutSignalBeforeCaret : public CDialog {
public:
    explicit CDialogCutSignalBeforeCaret(CWnd* pParent = nullptr);
    void DoDataExchange(CDataExchange* pDX) override;

    int nSide = 0; // 0 delete left of the marker, 1 delete right of it
};

class CKDialogSetAGC : public CDialog {
public:
    explicit CKDialogSetAGC(CWnd* pParent = nullptr);
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    void OnChangeMaxAmplitude();
    void OnDeltaposMaxAmplitudeSpin(NMHDR* pNMHDR, LRESULT* pResult);

    // The label beside the amplitude: its level under full scale, "= %.2f дБ";
    // empty for a value outside 1..32767.
    static CString AmplitudeLabel(int nAmplitude);

    int nNewMaxAmplitude = 32767;
    double dAGCFrameRate = 7.0;
    double dMaxFrameGain_dB = 30.0;

private:
    // The amplitude the edit holds, or 0 when it holds none in range.
    int EditedAmplitude();
    bool bShown = false; // the form is filled: edits are the user's
};
