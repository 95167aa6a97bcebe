// The library's dialog forms, under their numeric IDs.
#include <QDialog>

#include "framework/ui/CDialog.h"
#include "ui_KDialogPlayWaveFile.h"
#include "ui_KProgressDlg.h"

namespace {
const KDialogTemplate kPlayWaveFile(4129, [](QDialog* d) {
    Ui::KDialogPlayWaveFile ui;
    ui.setupUi(d);
});
const KDialogTemplate kProgress(4107, [](QDialog* d) {
    Ui::KProgressDlg ui;
    ui.setupUi(d);
});
} // namespace
