#include "kavrel/views/KDialogPlayWaveFile.h"

#include <QVBoxLayout>
#include <QWidget>

CKDialogPlayWaveFile::CKDialogPlayWaveFile(CWnd* pParent) : CDialog(IDD, pParent) {}

bool CKDialogPlayWaveFile::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowText(sTitle);
    SetDlgItemText(5001, sPathName);
    // The media window fills its place in the form, the dialog's width less the margins.
    if (CWnd* place = GetDlgItem(5100)) {
        MediaWindow.Create(place, sPathName);
        auto* layout = new QVBoxLayout(place->GetWidget());
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(MediaWindow.GetWidget());
    }
    return true;
}
