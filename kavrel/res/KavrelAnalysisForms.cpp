// The forms of the analysis dialogs and of fragment playback, under their
// numeric IDs.
#include <QDialog>

#include "framework/ui/CDialog.h"
#include "ui_DialogAdjustSpectraVisualLevels.h"
#include "ui_DialogPhoneObjectProperties.h"
#include "ui_KDialogPlayFilmViewFragment.h"
#include "ui_KDialogSetSigmaFr.h"
#include "ui_KWaveFilmDialogHowToShowTooltip.h"
#include "ui_KDialogTrackParams.h"

namespace {
const KFormTemplate<Ui::KDialogSetSigmaFr> kSetSigmaFr(4130);
const KFormTemplate<Ui::DialogAdjustSpectraVisualLevels> kAdjustSpectraVisualLevels(4133);
const KFormTemplate<Ui::DialogPhoneObjectProperties> kPhoneObjectProperties(4135);
const KFormTemplate<Ui::KDialogPlayFilmViewFragment> kPlayFilmViewFragment(4140);
const KFormTemplate<Ui::KWaveFilmDialogHowToShowTooltip> kHowToShowTooltip(4149);
const KFormTemplate<Ui::KDialogTrackParams> kTrackParams(4160);
} // namespace
