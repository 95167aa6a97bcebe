// Numeric control IDs on Qt widgets: a .ui file gives each control the
// dynamic property "ctrlId". Internal to the window layer.
#pragma once

class QWidget;

QWidget* KFindControl(QWidget* root, int nID);
int KControlId(const QWidget* w);
