// CKDialogPhoneObjectSetContent: what a new sound object is: its name,
// description, type and level change. The caller copies the values back
// only on OK.
#pragma once
#include "kavrel/views/KLevelChangeDialog.h"

class CKDialogPhoneObjectSetContent : public CKLevelChangeDialog {
public:
    explicit CKDialogPhoneObjectSetContent(CWnd* pParent = nullptr);

    CString sComment;
    CString sName;
    int nType = 0;

    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    void OnTypeChosen();

private:
    // A text-only object has no level to change: the controls rest and the label is empty.
    void ShowLevelControls(bool bShow);
};
