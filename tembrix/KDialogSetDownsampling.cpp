#include "tembrix/KDialogSetDownsampling.h"

#include <algorithm>

#include "framework/ui/CControls.h"
#include "tembrix/TembrixIds.h"

CKDialogSetDownsampling::CKDialogSetDownsampling(CWnd* pParent) : CDialog(IDD_SET_DOWNSAMPLING, pParent)
{
    MapNotify(IDC_DOWNSAMPLING_SPIN, UDN_DELTAPOS, &CKDialogSetDownsampling::OnDeltaposFactor);
    MapNotify(IDC_DOWNSAMPLING_FACTOR, EN_CHANGE, &CKDialogSetDownsampling::OnChangeFactor);
}

void CKDialogSetDownsampling::DoDataExchange(CDataExchange* pDX)
{
    DDX_TextInRange(pDX, IDC_DOWNSAMPLING_FACTOR, nFactor, 2, 1000);
}

bool CKDialogSetDownsampling::OnInitDialog()
{
    CDialog::OnInitDialog();
    nFactor = 2;
    if (CSpinButtonCtrl* spin = GetDlgItemAs<CSpinButtonCtrl>(IDC_DOWNSAMPLING_SPIN)) {
        spin->SetRange(2, 1000);
        spin->SetPos(2);
    }
    nNewFrADC = nOldFrADC / 2;
    UpdateData(false);
    ShowRates();
    return true;
}

void CKDialogSetDownsampling::ShowRates()
{
    CString text;
    text.Format("Старая частота АЦП = %i", nOldFrADC);
    SetDlgItemText(IDC_DOWNSAMPLING_OLD_RATE, text);
    text.Format("Новая частота АЦП = %i", nNewFrADC);
    SetDlgItemText(IDC_DOWNSAMPLING_NEW_RATE, text);
}

void CKDialogSetDownsampling::OnDeltaposFactor(NMHDR* pNMHDR, LRESULT* pResult)
{
    const auto* p = reinterpret_cast<NMUPDOWN*>(pNMHDR);
    const int pos = std::clamp(p->iPos + p->iDelta, 2, 1000);
    nFactor = pos;
    nNewFrADC = nOldFrADC / pos;
    CString text;
    text.Format("%i", pos);
    SetDlgItemText(IDC_DOWNSAMPLING_FACTOR, text);
    ShowRates();
    *pResult = 0;
}

// A factor typed in counts as one chosen with the arrows.
void CKDialogSetDownsampling::OnChangeFactor()
{
    const int pos = atoi(GetDlgItemText(IDC_DOWNSAMPLING_FACTOR).GetString());
    if (pos < 2 || pos > 1000)
        return;
    nFactor = pos;
    nNewFrADC = nOldFrADC / pos;
    if (CSpinButtonCtrl* spin = GetDlgItemAs<CSpinButtonCtrl>(IDC_DOWNSAMPLING_SPIN))
        spin->SetPos(pos);
    ShowRates();
}
