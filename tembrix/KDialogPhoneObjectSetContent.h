// CKDialogPhoneObjectSetContent: what a new sound object is: its name,
// description, type and level change. The caller copies the values back
// only on OK.
#pragma once
#include "framework/ui/CDialog.h"

class CKDialogPhoneObjectSetContent : public CDialog {
public:
    explicit CKDialogPhoneObjectSetContent(CWnd* pParent = nullptr);

    CString sComment;
    CString sName;
    int nType = 0;
    double dLevelChange_dB = 0;

    static constexpr double kMaxLevelChange_dB = 110;

    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    void OnDeltaposSpin(NMHDR* pNMHDR, LRESULT* pResult);
    void OnAmplifyToLimit();
    void OnAttenuateToLimit();
    void OnTypeChosen();

private:
    // A text-only object has no level to change: the controls rest and the label is empty.
    void ShowLevelControls(bool bShow);
    void ShowLevelChange();
};
