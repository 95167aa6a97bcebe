// CKDialogSetDownsampling: by what whole factor to lower the sampling rate.
// The caller sets the old rate; the dialog keeps the new one in step with
// the factor, and the caller takes the factor as old / new.
#pragma once
#include "framework/ui/CDialog.h"

class CKDialogSetDownsampling : public CDialog {
public:
    explicit CKDialogSetDownsampling(CWnd* pParent = nullptr);

    int nOldFrADC = 0;
    int nNewFrADC = 0;
    int nFactor = 2;

    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    void OnDeltaposFactor(NMHDR* pNMHDR, LRESULT* pResult);
    void OnChangeFactor();

private:
    void ShowRates();
};
