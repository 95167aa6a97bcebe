#include "kavrel/views/KLevelChangeDialog.h"

#include <algorithm>
#include <cmath>

#include "framework/ui/CControls.h"

CKLevelChangeDialog::CKLevelChangeDialog(UINT nIDTemplate, CWnd* pParent, const LevelControls& controls)
    : CDialog(nIDTemplate, pParent), Level(controls)
{
    MapNotify(UINT(Level.nSpin), UDN_DELTAPOS, &CKLevelChangeDialog::OnDeltaposSpinLevelChange);
    MapCommand(UINT(Level.nAmplify), &CKLevelChangeDialog::OnAmplifyToLimit);
    MapCommand(UINT(Level.nAttenuate), &CKLevelChangeDialog::OnAttenuateToLimit);
}

void CKLevelChangeDialog::SetLevelSpinRange()
{
    if (CSpinButtonCtrl* spin = GetDlgItemAs<CSpinButtonCtrl>(Level.nSpin))
        spin->SetRange(-1100, 1100);
}

void CKLevelChangeDialog::ShowLevelChange()
{
    CString text;
    text.Format("%.1f дБ", dLevelChange_dB);
    SetDlgItemText(Level.nText, text);
    if (CSpinButtonCtrl* spin = GetDlgItemAs<CSpinButtonCtrl>(Level.nSpin))
        spin->SetPos(int(std::lround(10 * dLevelChange_dB)));
}

void CKLevelChangeDialog::OnDeltaposSpinLevelChange(NMHDR* pNMHDR, LRESULT* pResult)
{
    const auto* p = reinterpret_cast<NMUPDOWN*>(pNMHDR);
    dLevelChange_dB = std::clamp((p->iPos + p->iDelta) * 0.1, -kMaxLevelChange_dB, kMaxLevelChange_dB);
    ShowLevelChange();
    *pResult = 1; // the position already follows the value
}

void CKLevelChangeDialog::OnAmplifyToLimit()
{
    dLevelChange_dB = kMaxLevelChange_dB;
    ShowLevelChange();
}

void CKLevelChangeDialog::OnAttenuateToLimit()
{
    dLevelChange_dB = -kMaxLevelChange_dB;
    ShowLevelChange();
}
