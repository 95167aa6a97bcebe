#include "tembrix/KDialogPhoneObjectSetContent.h"

#include <algorithm>
#include <cmath>

#include "framework/ui/CControls.h"
#include "tembrix/TembrixIds.h"

CKDialogPhoneObjectSetContent::CKDialogPhoneObjectSetContent(CWnd* pParent)
    : CDialog(IDD_PHONE_OBJECT_SET_CONTENT, pParent)
{
    MapNotify(IDC_SET_CONTENT_SPIN, UDN_DELTAPOS, &CKDialogPhoneObjectSetContent::OnDeltaposSpin);
    MapCommand(IDC_SET_CONTENT_AMPLIFY, &CKDialogPhoneObjectSetContent::OnAmplifyToLimit);
    MapCommand(IDC_SET_CONTENT_ATTENUATE, &CKDialogPhoneObjectSetContent::OnAttenuateToLimit);
    for (UINT id : {IDC_SET_CONTENT_TYPE_TEXT, IDC_SET_CONTENT_TYPE_MICRO, IDC_SET_CONTENT_TYPE_SINGLE,
                    IDC_SET_CONTENT_TYPE_VOICE, IDC_SET_CONTENT_TYPE_REVERB})
        MapCommand(id, &CKDialogPhoneObjectSetContent::OnTypeChosen);
}

void CKDialogPhoneObjectSetContent::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, IDC_SET_CONTENT_COMMENT, sComment);
    DDX_Text(pDX, IDC_SET_CONTENT_NAME, sName);
    DDX_Radio(pDX, IDC_SET_CONTENT_TYPE_TEXT, nType);
}

bool CKDialogPhoneObjectSetContent::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (CSpinButtonCtrl* spin = GetDlgItemAs<CSpinButtonCtrl>(IDC_SET_CONTENT_SPIN))
        spin->SetRange(-1100, 1100);
    ShowLevelControls(true);
    ShowLevelChange();
    if (nType == 0)
        ShowLevelControls(false);
    return true;
}

void CKDialogPhoneObjectSetContent::ShowLevelChange()
{
    CString text;
    text.Format("%.1f дБ", dLevelChange_dB);
    SetDlgItemText(IDC_SET_CONTENT_LEVEL_TEXT, text);
    if (CSpinButtonCtrl* spin = GetDlgItemAs<CSpinButtonCtrl>(IDC_SET_CONTENT_SPIN))
        spin->SetPos(int(std::lround(10 * dLevelChange_dB)));
}

void CKDialogPhoneObjectSetContent::ShowLevelControls(bool bShow)
{
    for (UINT id : {IDC_SET_CONTENT_SPIN, IDC_SET_CONTENT_AMPLIFY, IDC_SET_CONTENT_ATTENUATE})
        if (CWnd* w = GetDlgItem(id))
            w->EnableWindow(bShow);
    if (bShow)
        ShowLevelChange();
    else
        SetDlgItemText(IDC_SET_CONTENT_LEVEL_TEXT, "");
}

void CKDialogPhoneObjectSetContent::OnDeltaposSpin(NMHDR* pNMHDR, LRESULT* pResult)
{
    const auto* p = reinterpret_cast<NMUPDOWN*>(pNMHDR);
    dLevelChange_dB = std::clamp((p->iPos + p->iDelta) * 0.1, -kMaxLevelChange_dB, kMaxLevelChange_dB);
    ShowLevelChange();
    *pResult = 1; // the position already follows the value
}

void CKDialogPhoneObjectSetContent::OnAmplifyToLimit()
{
    dLevelChange_dB = kMaxLevelChange_dB;
    ShowLevelChange();
}

void CKDialogPhoneObjectSetContent::OnAttenuateToLimit()
{
    dLevelChange_dB = -kMaxLevelChange_dB;
    ShowLevelChange();
}

void CKDialogPhoneObjectSetContent::OnTypeChosen()
{
    UpdateData(true);
    ShowLevelControls(nType != 0);
}
