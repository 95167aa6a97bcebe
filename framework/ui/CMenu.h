// CMenu: popup menus built in code or loaded from a menu resource, shown
// with the owner's update handlers applied, their command routed to the owner.
#pragma once
#include <functional>
#include <memory>
#include <vector>

#include "framework/base/CString.h"
#include "framework/ui/WinTypes.h"

class CWnd;

enum : UINT {
    MF_STRING = 0x0000, MF_ENABLED = 0x0000, MF_UNCHECKED = 0x0000, MF_BYCOMMAND = 0x0000,
    MF_GRAYED = 0x0001, MF_DISABLED = 0x0002, MF_CHECKED = 0x0008, MF_POPUP = 0x0010,
    MF_BYPOSITION = 0x0400, MF_SEPARATOR = 0x0800,
    // Not a platform flag: a check shown as a radio mark (set by SetRadio).
    MF_RADIOCHECK_MARK = 0x0200
};
enum : UINT {
    TPM_LEFTALIGN = 0x0000, TPM_CENTERALIGN = 0x0004, TPM_RIGHTALIGN = 0x0008,
    TPM_LEFTBUTTON = 0x0000, TPM_RIGHTBUTTON = 0x0002, TPM_RETURNCMD = 0x0100
};

// One item of a menu resource: a command, a separator or a popup.
struct KMenuItem {
    KMenuItem(const char* text, UINT id, UINT flags = MF_STRING) : sText(text), nID(id), nFlags(flags) {}
    KMenuItem(const char* text, std::vector<KMenuItem> popup)
        : sText(text), nFlags(MF_POPUP), items(std::move(popup)) {}
    static KMenuItem Separator() { return KMenuItem("", 0, MF_SEPARATOR); }

    CString sText;
    UINT nID = 0;
    UINT nFlags = MF_STRING;
    std::vector<KMenuItem> items;
};

// Registers menu resource nID: a bar whose items are usually popups.
struct KMenuTemplate {
    KMenuTemplate(UINT nID, std::vector<KMenuItem> bar);
};
// The items of menu resource nID, or null when none is registered.
const std::vector<KMenuItem>* KFindMenuResource(UINT nID);

class CMenu {
public:
    CMenu();
    ~CMenu();
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    BOOL CreatePopupMenu();
    BOOL CreateMenu();
    BOOL LoadMenu(UINT nIDResource);
    BOOL DestroyMenu();
    bool IsLoaded() const { return m_pItems != nullptr; }

    BOOL AppendMenu(UINT nFlags, UINT nIDNewItem = 0, const char* lpszNewItem = nullptr);
    // MF_POPUP: the popup's items are copied into this menu.
    BOOL AppendMenu(UINT nFlags, CMenu* pPopup, const char* lpszNewItem);
    // The popup at this position, owned by this menu; null when not a popup.
    CMenu* GetSubMenu(int nPos);
    int GetMenuItemCount() const;
    UINT GetMenuItemID(int nPos) const;
    CString GetMenuString(UINT nIDItem, UINT nFlags = MF_BYCOMMAND) const;
    UINT GetMenuState(UINT nID, UINT nFlags = MF_BYCOMMAND) const;
    UINT CheckMenuItem(UINT nIDCheckItem, UINT nCheck);
    UINT EnableMenuItem(UINT nIDEnableItem, UINT nEnable);

    // Asks the owner's update handlers for every item, shows the menu at the
    // screen point, and posts the chosen command to the owner (or returns it
    // with TPM_RETURNCMD). Returns 0 when nothing was chosen.
    BOOL TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT lpRect = nullptr);

    struct Item;

private:
    std::shared_ptr<std::vector<Item>> m_pItems;
    std::vector<std::unique_ptr<CMenu>> m_subMenus;
};

// What a popup menu looked like when it was shown.
struct KShownMenuItem {
    int nDepth = 0;         // 0 for the popup's own items, 1 inside its first submenu...
    UINT nID = 0;
    CString sText;
    bool bSeparator = false;
    bool bPopup = false;
    bool bEnabled = true;
    bool bChecked = false;
    bool bRadio = false;
};
struct KShownMenu {
    CPoint ptScreen;
    std::vector<KShownMenuItem> items;
};

// Test and script control of popup menus: when a driver is installed, it
// receives each menu instead of the user and returns the chosen command ID
// (0: dismissed). Returns the driver it replaces.
using MenuDriver = std::function<UINT(const KShownMenu&)>;
MenuDriver SetMenuDriver(MenuDriver driver);
