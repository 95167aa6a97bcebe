#include "kavrel/views/DialogPhoneObjectProperties.h"

#include "kavrel/core/KPhoneObject.h"

namespace {
constexpr int kType = 5053, kLevelText = 5054, kSpin = 5055, kName = 5056, kComment = 5057;
} // namespace

CDialogPhoneObjectProperties::CDialogPhoneObjectProperties(CKPhoneObject* pObject, CWnd* pParent)
    : CKLevelChangeDialog(IDD, pParent, {kLevelText, kSpin, 5073, 5074}), pPhoneObject(pObject)
{
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
    GetDlgItem(kSpin)->EnableWindow(true);
    SetLevelSpinRange();
    ShowLevelChange();
    return true;
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
