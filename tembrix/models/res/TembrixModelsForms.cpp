// The voice model and Pirogov function dialogs' forms, under their numeric IDs.
#include "tembrix/models/res/TembrixModelsForms.h"

#include <QDialog>

#include "framework/ui/CDialog.h"
#include "ui_KDialogCreateVoiceSignal.h"
#include "ui_KDialogPirogovFunction.h"

void RegisterTembrixModelsForms()
{
    static const KFormTemplate<Ui::KDialogCreateVoiceSignal> kCreateVoiceSignal(2144);
    static const KFormTemplate<Ui::KDialogPirogovFunction> kPirogovFunction(2142);
}
