// The voice model and Pirogov function dialogs' forms, under their numeric IDs.
#include "tembrix/models/res/TembrixModelsForms.h"

#include <QDialog>

#include "framework/ui/CDialog.h"
#include "ui_KDialogCreateVoiceSignal.h"
#include "ui_KDialogPirogovFunction.h"

namespace {
template <class Form> void setUp(QDialog* d)
{
    Form ui;
    ui.setupUi(d);
}
} // namespace

void RegisterTembrixModelsForms()
{
    static const KDialogTemplate kCreateVoiceSignal(2144, setUp<Ui::KDialogCreateVoiceSignal>);
    static const KDialogTemplate kPirogovFunction(2142, setUp<Ui::KDialogPirogovFunction>);
}
