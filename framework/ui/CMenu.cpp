#include "framework/ui/CMenu.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <map>

#include "framework/ui/CWnd.h"

struct CMenu::Item {
    CString sText;
    UINT nID = 0;
    UINT nFlags = MF_STRING;
    std::shared_ptr<std::vector<Item>> pPopup;
};

namespace {

std::map<UINT, std::vector<KMenuItem>>& resources()
{
    static std::map<UINT, std::vector<KMenuItem>> r;
    return r;
}

MenuDriver& driver()
{
    static MenuDriver d;
    return d;
}

std::shared_ptr<std::vector<CMenu::Item>> FromResource(const std::vector<KMenuItem>& defs)
{
    auto items = std::make_shared<std::vector<CMenu::Item>>();
    for (const KMenuItem& d : defs) {
        CMenu::Item it{d.sText, d.nID, d.nFlags, nullptr};
        if (d.nFlags & MF_POPUP) it.pPopup = FromResource(d.items);
        items->push_back(std::move(it));
    }
    return items;
}

std::shared_ptr<std::vector<CMenu::Item>> DeepCopy(const std::vector<CMenu::Item>& from)
{
    auto items = std::make_shared<std::vector<CMenu::Item>>();
    for (const CMenu::Item& f : from) {
        CMenu::Item it = f;
        if (f.pPopup) it.pPopup = DeepCopy(*f.pPopup);
        items->push_back(std::move(it));
    }
    return items;
}

CMenu::Item* FindItem(std::vector<CMenu::Item>& items, UINT nID, UINT nFlags)
{
    if (nFlags & MF_BYPOSITION)
        return nID < items.size() ? &items[nID] : nullptr;
    for (CMenu::Item& it : items) {
        if (it.pPopup) {
            if (CMenu::Item* inner = FindItem(*it.pPopup, nID, nFlags)) return inner;
        } else if (!(it.nFlags & MF_SEPARATOR) && it.nID == nID) {
            return &it;
        }
    }
    return nullptr;
}

// The update handler's answers land in the item's flags.
class KMenuCmdUI : public CCmdUI {
public:
    explicit KMenuCmdUI(CMenu::Item& item) : CCmdUI(item.nID), m_item(item) {}
    void Enable(bool bOn) override
    {
        CCmdUI::Enable(bOn);
        m_item.nFlags = bOn ? (m_item.nFlags & ~(MF_GRAYED | MF_DISABLED)) : (m_item.nFlags | MF_GRAYED);
    }
    void SetCheck(int nCheck) override
    {
        CCmdUI::SetCheck(nCheck);
        m_item.nFlags = nCheck ? (m_item.nFlags | MF_CHECKED) : (m_item.nFlags & ~MF_CHECKED);
        m_item.nFlags &= ~MF_RADIOCHECK_MARK;
    }
    void SetRadio(bool bOn) override
    {
        CCmdUI::SetRadio(bOn);
        m_item.nFlags = bOn ? (m_item.nFlags | MF_CHECKED | MF_RADIOCHECK_MARK)
                            : (m_item.nFlags & ~(MF_CHECKED | MF_RADIOCHECK_MARK));
    }
    void SetText(const CString& text) override
    {
        CCmdUI::SetText(text);
        m_item.sText = text;
    }

private:
    CMenu::Item& m_item;
};

// As the platform does before a popup opens: every command item asks the
// owner; an item nobody handles is greyed.
void RunUpdateHandlers(std::vector<CMenu::Item>& items, CWnd* pOwner)
{
    for (CMenu::Item& it : items) {
        if (it.pPopup) {
            RunUpdateHandlers(*it.pPopup, pOwner);
            continue;
        }
        if ((it.nFlags & MF_SEPARATOR) || it.nID == 0) continue;
        KMenuCmdUI ui(it);
        pOwner->OnUpdateCmdUI(&ui);
        if (!ui.m_bEnableChanged && !pOwner->IsCommandHandled(it.nID))
            ui.Enable(false);
    }
}

void Record(const std::vector<CMenu::Item>& items, int depth, std::vector<KShownMenuItem>& out)
{
    for (const CMenu::Item& it : items) {
        KShownMenuItem s;
        s.nDepth = depth;
        s.nID = it.nID;
        s.sText = it.sText;
        s.bSeparator = (it.nFlags & MF_SEPARATOR) != 0;
        s.bPopup = it.pPopup != nullptr;
        s.bEnabled = !(it.nFlags & (MF_GRAYED | MF_DISABLED));
        s.bChecked = (it.nFlags & MF_CHECKED) != 0;
        s.bRadio = (it.nFlags & MF_RADIOCHECK_MARK) != 0;
        out.push_back(s);
        if (it.pPopup) Record(*it.pPopup, depth + 1, out);
    }
}

// Menu texts mark their access keys with '&', as Qt does.
void Fill(QMenu* menu, const std::vector<CMenu::Item>& items)
{
    for (const CMenu::Item& it : items) {
        if (it.nFlags & MF_SEPARATOR) {
            menu->addSeparator();
            continue;
        }
        const QString text = QString::fromUtf8(it.sText.GetString());
        if (it.pPopup) {
            QMenu* sub = menu->addMenu(text);
            sub->setEnabled(!(it.nFlags & (MF_GRAYED | MF_DISABLED)));
            Fill(sub, *it.pPopup);
            continue;
        }
        QAction* a = menu->addAction(text);
        a->setData(it.nID);
        a->setEnabled(!(it.nFlags & (MF_GRAYED | MF_DISABLED)));
        if (it.nFlags & MF_CHECKED) {
            a->setCheckable(true);
            a->setChecked(true);
            if (it.nFlags & MF_RADIOCHECK_MARK) (new QActionGroup(a))->addAction(a);
        }
    }
}

}  // namespace

KMenuTemplate::KMenuTemplate(UINT nID, std::vector<KMenuItem> bar)
{
    resources()[nID] = std::move(bar);
}

const std::vector<KMenuItem>* KFindMenuResource(UINT nID)
{
    auto it = resources().find(nID);
    return it == resources().end() ? nullptr : &it->second;
}

MenuDriver SetMenuDriver(MenuDriver d)
{
    MenuDriver old = std::move(driver());
    driver() = std::move(d);
    return old;
}

CMenu::CMenu() = default;
CMenu::~CMenu() = default;

BOOL CMenu::CreatePopupMenu()
{
    if (m_pItems) return FALSE;
    m_pItems = std::make_shared<std::vector<Item>>();
    return TRUE;
}

BOOL CMenu::CreateMenu()
{
    return CreatePopupMenu();
}

BOOL CMenu::LoadMenu(UINT nIDResource)
{
    auto it = resources().find(nIDResource);
    if (m_pItems || it == resources().end()) return FALSE;
    m_pItems = FromResource(it->second);
    return TRUE;
}

BOOL CMenu::DestroyMenu()
{
    if (!m_pItems) return FALSE;
    m_pItems.reset();
    m_subMenus.clear();
    return TRUE;
}

BOOL CMenu::AppendMenu(UINT nFlags, UINT nIDNewItem, const char* lpszNewItem)
{
    if (!m_pItems || (nFlags & MF_POPUP)) return FALSE;
    m_pItems->push_back(Item{CString(lpszNewItem ? lpszNewItem : ""), nIDNewItem, nFlags, nullptr});
    return TRUE;
}

BOOL CMenu::AppendMenu(UINT nFlags, CMenu* pPopup, const char* lpszNewItem)
{
    if (!m_pItems || !pPopup || !pPopup->m_pItems) return FALSE;
    m_pItems->push_back(Item{CString(lpszNewItem ? lpszNewItem : ""), 0, nFlags | MF_POPUP,
                             DeepCopy(*pPopup->m_pItems)});
    return TRUE;
}

CMenu* CMenu::GetSubMenu(int nPos)
{
    if (!m_pItems || nPos < 0 || nPos >= int(m_pItems->size())) return nullptr;
    const auto& popup = (*m_pItems)[static_cast<size_t>(nPos)].pPopup;
    if (!popup) return nullptr;
    for (const auto& sub : m_subMenus) {
        if (sub->m_pItems == popup) return sub.get();
    }
    auto sub = std::make_unique<CMenu>();
    sub->m_pItems = popup; // shares the items: changes show in both
    m_subMenus.push_back(std::move(sub));
    return m_subMenus.back().get();
}

int CMenu::GetMenuItemCount() const
{
    return m_pItems ? int(m_pItems->size()) : -1;
}

UINT CMenu::GetMenuItemID(int nPos) const
{
    if (!m_pItems || nPos < 0 || nPos >= int(m_pItems->size())) return UINT(-1);
    const Item& it = (*m_pItems)[static_cast<size_t>(nPos)];
    if (it.pPopup) return UINT(-1);
    return (it.nFlags & MF_SEPARATOR) ? 0 : it.nID;
}

CString CMenu::GetMenuString(UINT nIDItem, UINT nFlags) const
{
    const Item* it = m_pItems ? FindItem(*m_pItems, nIDItem, nFlags) : nullptr;
    return it ? it->sText : CString();
}

UINT CMenu::GetMenuState(UINT nID, UINT nFlags) const
{
    const Item* it = m_pItems ? FindItem(*m_pItems, nID, nFlags) : nullptr;
    return it ? it->nFlags & ~MF_RADIOCHECK_MARK : UINT(-1);
}

UINT CMenu::CheckMenuItem(UINT nID, UINT nCheck)
{
    Item* it = m_pItems ? FindItem(*m_pItems, nID, nCheck) : nullptr;
    if (!it) return UINT(-1);
    const UINT old = it->nFlags & MF_CHECKED;
    it->nFlags = (it->nFlags & ~MF_CHECKED) | (nCheck & MF_CHECKED);
    return old;
}

UINT CMenu::EnableMenuItem(UINT nID, UINT nEnable)
{
    Item* it = m_pItems ? FindItem(*m_pItems, nID, nEnable) : nullptr;
    if (!it) return UINT(-1);
    const UINT old = it->nFlags & (MF_GRAYED | MF_DISABLED);
    it->nFlags = (it->nFlags & ~(MF_GRAYED | MF_DISABLED)) | (nEnable & (MF_GRAYED | MF_DISABLED));
    return old;
}

BOOL CMenu::TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT)
{
    if (!m_pItems || !pWnd) return FALSE;
    RunUpdateHandlers(*m_pItems, pWnd);

    UINT chosen = 0;
    if (driver()) {
        KShownMenu shown;
        shown.ptScreen = CPoint(x, y);
        Record(*m_pItems, 0, shown.items);
        MenuDriver d = driver(); // the chosen command may show menus of its own
        chosen = d(shown);
        // A script may only choose what a user could click.
        const Item* it = chosen ? FindItem(*m_pItems, chosen, MF_BYCOMMAND) : nullptr;
        if (!it || (it->nFlags & (MF_GRAYED | MF_DISABLED))) chosen = 0;
    } else {
        QMenu menu(pWnd->GetWidget());
        Fill(&menu, *m_pItems);
        if (QAction* a = menu.exec(QPoint(x, y))) chosen = a->data().toUInt();
    }
    if (nFlags & TPM_RETURNCMD) return BOOL(chosen);
    if (chosen == 0) return FALSE;
    // Posted, as on the platform: the command runs after the menu's caller
    // has returned, so it may destroy the window that showed the menu.
    pWnd->PostMessage(WM_COMMAND, chosen, 0);
    return TRUE;
}
