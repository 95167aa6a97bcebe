// CKDialogMakeWaveCooktail: how many times the shaken-up cadres of the
// sound are added into the cocktail.
#pragma once
#include "framework/ui/CDialog.h"

class CKDialogMakeWaveCooktail : public CDialog {
public:
    explicit CKDialogMakeWaveCooktail(CWnd* pParent = nullptr);

    int nAdditions = 1;

    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    void OnDeltaposAdditions(NMHDR* pNMHDR, LRESULT* pResult);
};
