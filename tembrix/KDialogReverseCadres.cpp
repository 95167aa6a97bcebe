#include "tembrix/KDialogReverseCadres.h"

#include "framework/ui/CControls.h"
#include "tembrix/TembrixIds.h"

CKDialogReverseCadres::CKDialogReverseCadres(CWnd* pParent) : CDialog(IDD_REVERSE_CADRES, pParent)
{
    MapNotify(IDC_REVERSE_SPIN, UDN_DELTAPOS, &CKDialogReverseCadres::OnDeltaposKeepEvery);
}

bool CKDialogReverseCadres::OnInitDialog()
{
    CDialog::OnInitDialog();
    ShowKeepEvery();
    CheckDlgButton(IDC_REVERSE_CHECK, bReverse ? 1 : 0);
    return true;
}

void CKDialogReverseCadres::ShowKeepEvery()
{
    CString text;
    text.Format("Останется только каждый %i кадр", nKeepEvery);
    SetDlgItemText(IDC_REVERSE_KEEP_EVERY, text);
}

// The arrows step the count by one: a positive change lowers it.
void CKDialogReverseCadres::OnDeltaposKeepEvery(NMHDR* pNMHDR, LRESULT* pResult)
{
    const int delta = reinterpret_cast<const NMUPDOWN*>(pNMHDR)->iDelta;
    if (delta > 0 && nKeepEvery > 1)
        --nKeepEvery;
    else if (delta < 0 && nKeepEvery < 100)
        ++nKeepEvery;
    ShowKeepEvery();
    *pResult = 0;
}

void CKDialogReverseCadres::OnOK()
{
    bReverse = IsDlgButtonChecked(IDC_REVERSE_CHECK) != 0;
    CDialog::OnOK();
}
