#include "kavrel/views/KDialogPlayWaveFile.h"

CKDialogPlayWaveFile::CKDialogPlayWaveFile(CWnd* pParent) : CDialog(IDD, pParent) {}

bool CKDialogPlayWaveFile::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowText(sTitle);
    SetDlgItemText(5001, sPathName);
    return true;
}
