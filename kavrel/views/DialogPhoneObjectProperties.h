// CDialogPhoneObjectProperties: name, description and level change of a
// sound object, with what else is known of it shown for reference.
#pragma once
#include "framework/ui/CDialog.h"

class CKPhoneObject;

class CDialogPhoneObjectProperties : public CDialog {
public:
    enum { IDD = 4135 };
    explicit CDialogPhoneObjectProperties(CKPhoneObject* pObject = nullptr, CWnd* pParent = nullptr);

    CKPhoneObject* pPhoneObject;
    double dLevelChange_dB = 0;
    CString sName;
    CString sComment;

    static constexpr double kMaxLevelChange_dB = 110;

    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;

    void OnDeltaposSpinLevelChange(NMHDR* pNMHDR, LRESULT* pResult);
    void OnAmplifyToLimit();
    void OnAttenuateToLimit();

private:
    void ShowLevelChange();
};
