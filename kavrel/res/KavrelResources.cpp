// The library's dialog forms, under their numeric IDs.
#include <QDialog>

#include "framework/ui/CDialog.h"
#include "ui_KDialogPlayWaveFile.h"
#include "ui_KProgressDlg.h"

namespace {
const KFormTemplate<Ui::KDialogPlayWaveFile> kPlayWaveFile(4129);
const KFormTemplate<Ui::KProgressDlg> kProgress(4107);
} // namespace
