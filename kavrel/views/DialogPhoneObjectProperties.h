// CDialogPhoneObjectProperties: name, description and level change of a
// sound object, with what else is known of it shown for reference.
#pragma once
#include "kavrel/views/KLevelChangeDialog.h"

class CKPhoneObject;

class CDialogPhoneObjectProperties : public CKLevelChangeDialog {
public:
    enum { IDD = 4135 };
    explicit CDialogPhoneObjectProperties(CKPhoneObject* pObject = nullptr, CWnd* pParent = nullptr);

    CKPhoneObject* pPhoneObject;
    CString sName;
    CString sComment;

    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
};
