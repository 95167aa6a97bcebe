// The library's dialog forms, under their numeric IDs, and the strings of
// its status panes.
#include <QDialog>

#include "framework/base/StringTable.h"
#include "framework/ui/CDialog.h"
#include "kavrel/views/KTrackOverlays.h"
#include "ui_KDialogPlayWaveFile.h"
#include "ui_KProgressDlg.h"

namespace {
const KFormTemplate<Ui::KDialogPlayWaveFile> kPlayWaveFile(4129);
const KFormTemplate<Ui::KProgressDlg> kProgress(4107);
// The pane of F0 and F1–F3 at the caret: empty while neither track is shown.
const KStringResource kTracksPane(CKTrackOverlays::ID_INDICATOR_TRACKS, "");
} // namespace
