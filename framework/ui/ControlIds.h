// Numeric control IDs on Qt widgets: a .ui file gives each control the
// dynamic property "ctrlId". Internal to the window layer.
#pragma once
#include <vector>

class QAbstractButton;
class QWidget;

QWidget* KFindControl(QWidget* root, int nID);
int KControlId(const QWidget* w);

// The radio buttons of the group pFirst belongs to, from pFirst to the
// group's end, in the form's order; empty when pFirst is not a radio
// button. A group is what Qt keeps exclusive: the buttons of one
// QButtonGroup, otherwise the auto-exclusive radio buttons sharing a
// parent (a group box each, in our forms). IDs need not be consecutive.
std::vector<QAbstractButton*> KRadioGroupFrom(QWidget* pFirst);
// Checks or unchecks a button; an exclusive group may be left with none.
void KSetButtonChecked(QAbstractButton* pButton, bool bChecked);
