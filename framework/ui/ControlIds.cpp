#include "framework/ui/ControlIds.h"

#include <algorithm>

#include <QButtonGroup>
#include <QRadioButton>
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

std::vector<QAbstractButton*> KRadioGroupFrom(QWidget* pFirst)
{
    auto* first = qobject_cast<QRadioButton*>(pFirst);
    if (!first) return {};
    std::vector<QAbstractButton*> group;
    if (QButtonGroup* g = first->group()) {
        for (QAbstractButton* b : g->buttons()) group.push_back(b);
    } else if (QObject* parent = first->parent()) {
        for (QObject* o : parent->children()) {
            auto* r = qobject_cast<QRadioButton*>(o);
            if (r && r->autoExclusive() && !r->group()) group.push_back(r);
        }
    }
    auto at = std::find(group.begin(), group.end(), first);
    group.erase(group.begin(), at);
    return group;
}

void KSetButtonChecked(QAbstractButton* pButton, bool bChecked)
{
    // Qt will not uncheck the checked button of an exclusive group; the
    // platform leaves the group with none checked.
    QButtonGroup* g = pButton->group();
    const bool groupExclusive = g && g->exclusive();
    const bool autoExclusive = pButton->autoExclusive();
    if (!bChecked) {
        if (groupExclusive) g->setExclusive(false);
        pButton->setAutoExclusive(false);
    }
    pButton->setChecked(bChecked);
    pButton->setAutoExclusive(autoExclusive);
    if (groupExclusive) g->setExclusive(true);
}
