// The dialog forms of Morvit, under their numeric IDs.
#include <QDialog>
#include <QStyle>

#include "framework/ui/CDialog.h"
#include "morvit/MorvitDlg.h"
#include "ui_MorvitAboutDlg.h"
#include "ui_MorvitDlg.h"

namespace {
const KFormTemplate<Ui::MorvitDlg> kMain(IDD_MORVIT_DIALOG);
const KDialogTemplate kAbout(IDD_ABOUTBOX, [](QDialog* d) {
    Ui::MorvitAboutDlg ui;
    ui.setupUi(d);
    ui.icon->setPixmap(d->style()->standardIcon(QStyle::SP_MediaVolume).pixmap(32, 32));
});
} // namespace
