// The forms of the rate-change, cadre-reversal and cocktail dialogs.
#include <QDialog>

#include "framework/ui/CDialog.h"
#include "ui_KDialogMakeWaveCooktail.h"
#include "ui_KDialogReverseCadres.h"
#include "ui_KDialogSetDownsampling.h"

namespace {
template <class Form> void setUp(QDialog* d)
{
    Form ui;
    ui.setupUi(d);
}
const KDialogTemplate kSetDownsampling(2140, setUp<Ui::KDialogSetDownsampling>);
const KDialogTemplate kReverseCadres(2143, setUp<Ui::KDialogReverseCadres>);
const KDialogTemplate kMakeWaveCooktail(2145, setUp<Ui::KDialogMakeWaveCooktail>);
} // namespace
