// The update handlers' answers landing on a QAction: a menu item's or a
// toolbar button's. Internal to the window layer.
#pragma once
#include <QAction>

#include "framework/ui/CCmdTarget.h"

class KActionCmdUI : public CCmdUI {
public:
    // A toolbar button is checkable from the start and keeps its picture and
    // tip whatever text it is given; a menu item turns checkable once it is
    // checked and shows the text.
    enum Kind { menuItem, toolButton };
    KActionCmdUI(UINT id, QAction* a, Kind kind) : CCmdUI(id), m_action(a), m_kind(kind) {}
    void Enable(bool bOn) override { CCmdUI::Enable(bOn); m_action->setEnabled(bOn); }
    void SetCheck(int nCheck) override
    {
        CCmdUI::SetCheck(nCheck);
        m_action->setCheckable(m_kind == toolButton || nCheck != 0 || m_action->isCheckable());
        m_action->setChecked(nCheck != 0);
    }
    void SetRadio(bool bOn) override { SetCheck(bOn ? 1 : 0); m_bRadio = true; }
    void SetText(const CString& text) override
    {
        if (m_kind == toolButton) return;
        CCmdUI::SetText(text);
        m_action->setText(QString::fromUtf8(text.GetString()));
    }

private:
    QAction* m_action;
    Kind m_kind;
};
