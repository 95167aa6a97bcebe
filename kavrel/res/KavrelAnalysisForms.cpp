// The forms of the analysis dialogs and of fragment playback, under their
// numeric IDs.
#include <QDialog>

#include "framework/ui/CDialog.h"
#include "ui_DialogAdjustSpectraVisualLevels.h"
#include "ui_DialogPhoneObjectProperties.h"
#include "ui_KDialogPlayFilmViewFragment.h"
#include "ui_KDialogSetSigmaFr.h"
#include "ui_KWaveFilmDialogHowToShowTooltip.h"

namespace {
template <class Form> void setUp(QDialog* d)
{
    Form ui;
    ui.setupUi(d);
}
const KDialogTemplate kSetSigmaFr(4130, setUp<Ui::KDialogSetSigmaFr>);
const KDialogTemplate kAdjustSpectraVisualLevels(4133, setUp<Ui::DialogAdjustSpectraVisualLevels>);
const KDialogTemplate kPhoneObjectProperties(4135, setUp<Ui::DialogPhoneObjectProperties>);
const KDialogTemplate kPlayFilmViewFragment(4140, setUp<Ui::KDialogPlayFilmViewFragment>);
const KDialogTemplate kHowToShowTooltip(4149, setUp<Ui::KWaveFilmDialogHowToShowTooltip>);
} // namespace
