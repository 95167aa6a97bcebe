// Popup menus answered by the test: while a ScriptedMenus lives, every menu
// shown is kept and answered with the command in choice (0 dismisses it).
#pragma once
#include <QApplication>

#include "framework/ui/CMenu.h"
#include "framework/ui/CWnd.h"

namespace ktest {

class ScriptedMenus {
public:
    explicit ScriptedMenus(UINT nChoice = 0) : choice(nChoice)
    {
        old = SetMenuDriver([this](const KShownMenu& m) {
            shown = m;
            return choice;
        });
    }
    ~ScriptedMenus() { SetMenuDriver(old); }
    ScriptedMenus(const ScriptedMenus&) = delete;
    ScriptedMenus& operator=(const ScriptedMenus&) = delete;

    // The window's context menu at a screen point, from the keyboard by
    // default; the chosen command, which is posted, has arrived on return.
    void OpenContextMenu(CWnd* pWnd, CPoint point = CPoint(-1, -1))
    {
        pWnd->OnContextMenu(pWnd, point);
        QApplication::processEvents();
    }

    UINT choice;
    KShownMenu shown;

private:
    MenuDriver old;
};

} // namespace ktest
