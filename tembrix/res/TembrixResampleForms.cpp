// The forms of the rate-change, cadre-reversal and cocktail dialogs.
#include <QDialog>

#include "framework/ui/CDialog.h"
#include "ui_KDialogMakeWaveCooktail.h"
#include "ui_KDialogReverseCadres.h"
#include "ui_KDialogSetDownsampling.h"

namespace {
const KFormTemplate<Ui::KDialogSetDownsampling> kSetDownsampling(2140);
const KFormTemplate<Ui::KDialogReverseCadres> kReverseCadres(2143);
const KFormTemplate<Ui::KDialogMakeWaveCooktail> kMakeWaveCooktail(2145);
} // namespace
