// CKLevelChangeDialog: the base of the dialogs that set a sound object's
// level change, by its text ("x.x дБ"), an up-down in tenths of a decibel
// and two buttons that go to either limit of ±110 dB.
#pragma once
#include "framework/ui/CDialog.h"

class CKLevelChangeDialog : public CDialog {
public:
    static constexpr double kMaxLevelChange_dB = 110;

    double dLevelChange_dB = 0;

    void OnDeltaposSpinLevelChange(NMHDR* pNMHDR, LRESULT* pResult);
    void OnAmplifyToLimit();
    void OnAttenuateToLimit();

protected:
    // The dialog's controls of the level change.
    struct LevelControls {
        int nText;
        int nSpin;
        int nAmplify;
        int nAttenuate;
    };
    CKLevelChangeDialog(UINT nIDTemplate, CWnd* pParent, const LevelControls& controls);

    // The up-down's range, once the controls are there.
    void SetLevelSpinRange();
    // The text and the spin's position follow the value.
    void ShowLevelChange();

    const LevelControls Level;
};
