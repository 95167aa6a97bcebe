#include "kavrel/views/DialogPhoneObjectProperties.h"

#include <algorithm>
#include <cmath>

#include "kavrel/core/KPhoneObject.h"

namespace {
constexpr int kType = 5053, kLevelText = 5054, kSpin = 5055, kName = 5056, kComment = 5057;
} // namespace

CDialogPhoneObjectProperties::CDialogPhoneObjectProperties(CKPhoneObject* pObject, CWnd* pParent)
    : CDialog(IDD, pParent), pPhoneObject(pObject)
{
    MapNotify(kSpin, UDN_DELTAPOS, &CDialogPhoneObjectProperties::OnDeltaposSpinLevelChange);
    MapCommand(5073, &CDialogPhoneObjectProperties::OnAmplifyToLimit);
    MapCommand(5074, &CDialogPhoneObjectProperties::OnAttenuateToLimit);
}

void CDialogPhoneObjectProperties::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, kComment, sComment);
    DDX_Text(pDX, kName, sName);
}

bool CDialogPhoneObjectProperties::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (!pPhoneObject) {
        EndDialog(0);
        return true;
    }
    const CKPhoneObject& o = *pPhoneObject;
    sComment = o.sComment;
    sName = o.sName;
    dLevelChange_dB = o.dLevelChange_dB;
    UpdateData(false);
    SetDlgItemText(kType, GetKPhoneObjectTypeText(o.nType));
    CString text;
    text.Format("Временные границы фонообъекта = %li - %li (отсчеты).", long(o.nFirstSample), long(o.nLastSample));
    SetDlgItemText(5058, text);
    text.Format("Файл-документ фонообъекта = %s", o.sPhoneObjectDocFilePathName.GetString());
    SetDlgItemText(5061, text);
    text.Format("FloatWave файл = %s", o.sPhoneObjectFloatWaveFilePathName.GetString());
    SetDlgItemText(5062, text);
    text.Format("Индекс = %i", o.nIndex);
    SetDlgItemText(5059, text);
    text.Format("Уровень объекта = %i", o.nLevel);
    SetDlgItemText(5060, text);
    CSpinButtonCtrl* spin = GetDlgItemAs<CSpinButtonCtrl>(kSpin);
    GetDlgItem(kSpin)->EnableWindow(true);
    spin->SetRange(-1100, 1100);
    ShowLevelChange();
    return true;
}

// The text and the spin's position (tenths of a decibel) follow the value.
void CDialogPhoneObjectProperties::ShowLevelChange()
{
    CString text;
    text.Format("%.1f дБ", dLevelChange_dB);
    SetDlgItemText(kLevelText, text);
    if (CSpinButtonCtrl* spin = GetDlgItemAs<CSpinButtonCtrl>(kSpin))
        spin->SetPos(int(std::lround(10 * dLevelChange_dB)));
}

void CDialogPhoneObjectProperties::OnDeltaposSpinLevelChange(NMHDR* pNMHDR, LRESULT* pResult)
{
    const auto* p = reinterpret_cast<NMUPDOWN*>(pNMHDR);
    dLevelChange_dB = std::clamp((p->iPos + p->iDelta) * 0.1, -kMaxLevelChange_dB, kMaxLevelChange_dB);
    ShowLevelChange();
    *pResult = 1; // the position is already set from the value
}

void CDialogPhoneObjectProperties::OnAmplifyToLimit()
{
    dLevelChange_dB = kMaxLevelChange_dB;
    ShowLevelChange();
}

void CDialogPhoneObjectProperties::OnAttenuateToLimit()
{
    dLevelChange_dB = -kMaxLevelChange_dB;
    ShowLevelChange();
}

void CDialogPhoneObjectProperties::OnOK()
{
    if (!UpdateData(true))
        return;
    if (pPhoneObject) {
        pPhoneObject->sComment = sComment;
        pPhoneObject->sName = sName;
        pPhoneObject->dLevelChange_dB = dLevelChange_dB;
    }
    EndDialog(IDOK);
}
