// The library's dialog forms, under their numeric IDs, the strings of its
// status panes, and the prompts and toolbar pictures of the tracks'
// commands, which the workshop and the viewer both offer.
#include <QDialog>

#include "framework/base/StringTable.h"
#include "framework/ui/CControlBars.h"
#include "framework/ui/CDialog.h"
#include "kavrel/views/KTrackOverlays.h"
#include "ui_KDialogPlayWaveFile.h"
#include "ui_KProgressDlg.h"

namespace {
const KFormTemplate<Ui::KDialogPlayWaveFile> kPlayWaveFile(4129);
const KFormTemplate<Ui::KProgressDlg> kProgress(4107);
// The pane of F0 and F1–F3 at the caret: empty while neither track is shown.
const KStringResource kTracksPane(CKTrackOverlays::ID_INDICATOR_TRACKS, "");
const KStringResource kTrackPrompts[] = {
    {CKTrackOverlays::ID_SHOW_PITCH_TRACK,
     "Показать или скрыть линию основного тона со шкалой в герцах у правого края сонограммы\nОсновной тон"},
    {CKTrackOverlays::ID_SHOW_FORMANT_TRACKS, "Показать или скрыть точки формант на сонограмме\nФорманты"},
    {CKTrackOverlays::ID_TRACK_PARAMETERS,
     "Границы и пороги основного тона, число и наибольшая частота формант\nПараметры основного тона и формант"},
};
const KToolBarButtonImage kTrackPictures[] = {
    {CKTrackOverlays::ID_SHOW_PITCH_TRACK, ":/kavrel/toolbar/show-pitch-track.png"},
    {CKTrackOverlays::ID_SHOW_FORMANT_TRACKS, ":/kavrel/toolbar/show-formant-tracks.png"},
    {CKTrackOverlays::ID_TRACK_PARAMETERS, ":/kavrel/toolbar/track-parameters.png"},
};
} // namespace
