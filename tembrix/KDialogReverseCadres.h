// CKDialogReverseCadres: keep only every K-th cadre, and whether to turn
// each kept cadre back to front.
#pragma once
#include "framework/ui/CDialog.h"

class CKDialogReverseCadres : public CDialog {
public:
    explicit CKDialogReverseCadres(CWnd* pParent = nullptr);

    int nKeepEvery = 1;
    bool bReverse = false;

    bool OnInitDialog() override;
    void OnOK() override;

    void OnDeltaposKeepEvery(NMHDR* pNMHDR, LRESULT* pResult);

private:
    void ShowKeepEvery();
};
