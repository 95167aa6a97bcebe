#include "framework/ui/ControlIds.h"

#include <QVariant>
#include <QWidget>

int KControlId(const QWidget* w)
{
    QVariant v = w->property("ctrlId");
    return v.isValid() ? v.toInt() : 0;
}

QWidget* KFindControl(QWidget* root, int nID)
{
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (KControlId(w) == nID)
            return w;
    }
    return nullptr;
}
