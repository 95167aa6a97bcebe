#include "tembrix/KDialogPhoneObjectSetContent.h"

#include "framework/ui/CControls.h"
#include "tembrix/TembrixIds.h"

CKDialogPhoneObjectSetContent::CKDialogPhoneObjectSetContent(CWnd* pParent)
    : CKLevelChangeDialog(IDD_PHONE_OBJECT_SET_CONTENT, pParent,
                          {IDC_SET_CONTENT_LEVEL_TEXT, IDC_SET_CONTENT_SPIN, IDC_SET_CONTENT_AMPLIFY,
                           IDC_SET_CONTENT_ATTENUATE})
{
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
    SetLevelSpinRange();
    ShowLevelControls(true);
    ShowLevelChange();
    if (nType == 0)
        ShowLevelControls(false);
    return true;
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

void CKDialogPhoneObjectSetContent::OnTypeChosen()
{
    UpdateData(true);
    ShowLevelControls(nType != 0);
}
