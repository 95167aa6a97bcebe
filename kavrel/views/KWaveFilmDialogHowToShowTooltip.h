// CKWaveFilmDialogHowToShowTooltip: which values the sonogram's cursor text
// shows. It reads the flag word (tooltipFlags) into three radio groups and
// builds it again from them on OK.
#pragma once
#include "framework/ui/CDialog.h"

class CKWaveFilmDialogHowToShowTooltip : public CDialog {
public:
    enum { IDD = 4149 };
    explicit CKWaveFilmDialogHowToShowTooltip(CWnd* pParent = nullptr);

    int tooltipFlags = 37;
    int nFrequency = 0; // absolute, relative to the caret, derivative, none
    int nTime = 0;      // absolute, relative to the caret, none
    int nPower = 0;     // absolute, relative to the caret, none

    // The flag word's bits: time 0-1, frequency 2-4, power 5-6.
    enum : int {
        TimeAbsolute = 0x01, TimeRelative = 0x02,
        FrequencyAbsolute = 0x04, FrequencyRelative = 0x08, FrequencyDerivative = 0x10,
        PowerAbsolute = 0x20, PowerRelative = 0x40,
        TimeBits = 0x03, FrequencyBits = 0x1C, PowerBits = 0x60,
    };

    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
};
