// Command routing by numeric ID: each class registers its handlers in its
// constructor, the equivalent of a message map. Update handlers set the
// state of the menu item, button or pane that carries the command.
#pragma once
#include <functional>
#include <map>
#include <utility>

#include "framework/base/CObject.h"
#include "framework/base/CString.h"
#include "framework/base/Types.h"

class CCmdUI {
public:
    explicit CCmdUI(UINT id) : m_nID(id) {}
    virtual ~CCmdUI() = default;
    virtual void Enable(bool bOn = true) { m_bEnabled = bOn; m_bEnableChanged = true; }
    virtual void SetCheck(int nCheck = 1) { m_nCheck = nCheck; }
    virtual void SetRadio(bool bOn = true) { m_nCheck = bOn ? 1 : 0; m_bRadio = true; }
    virtual void SetText(const CString& text) { m_sText = text; m_bTextSet = true; }
    // This handler has nothing to say: the next target in the route is asked.
    void ContinueRouting() { m_bContinueRouting = true; }

    UINT m_nID;
    bool m_bEnabled = true;
    bool m_bEnableChanged = false; // an update handler said whether the item is enabled
    int m_nCheck = 0;
    bool m_bRadio = false;
    CString m_sText;
    bool m_bTextSet = false;
    bool m_bContinueRouting = false;
};

// Notification codes carried with a control's command.
enum : UINT {
    BN_CLICKED = 0,
    EN_SETFOCUS = 0x0100,
    EN_KILLFOCUS = 0x0200,
    EN_CHANGE = 0x0300,
    CBN_SELCHANGE = 1,
};

class CCmdTarget : public CObject {
public:
    static const CRuntimeClass classCCmdTarget;
    const CRuntimeClass* GetRuntimeClass() const override { return &classCCmdTarget; }

    // Runs the handler registered for (id, code); false when there is none.
    // Without one here, the next target in the route is asked.
    virtual bool OnCmdMsg(UINT nID, UINT nCode = BN_CLICKED);
    // Asks the update handler of pCmdUI's command; false when there is none.
    // Without one here, or when it continues routing, the next target is asked.
    virtual bool OnUpdateCmdUI(CCmdUI* pCmdUI);
    bool HasCommandHandler(UINT nID, UINT nCode = BN_CLICKED) const;
    // A handler here or further along the route.
    bool HasRoutedHandler(UINT nID) const;

protected:
    // The target a command goes on to when this one has no handler for it:
    // a view's document, a document's template. None by default.
    virtual CCmdTarget* GetRouteNext() const { return nullptr; }

    template <class T> void MapCommand(UINT nID, void (T::*fn)())
    {
        m_handlers[{nID, BN_CLICKED}] = [this, fn] { (static_cast<T*>(this)->*fn)(); return true; };
    }
    // A handler told which command came, that returns FALSE to let the
    // command go on to the next target in the route.
    template <class T> void MapCommandEx(UINT nID, BOOL (T::*fn)(UINT))
    {
        m_handlers[{nID, BN_CLICKED}] = [this, fn, nID] { return (static_cast<T*>(this)->*fn)(nID) != FALSE; };
    }
    // One handler for a range of commands: it is told which one came.
    template <class T> void MapCommandWithId(UINT nID, void (T::*fn)(UINT))
    {
        m_handlers[{nID, BN_CLICKED}] = [this, fn, nID] { (static_cast<T*>(this)->*fn)(nID); return true; };
    }
    template <class T> void MapNotify(UINT nID, UINT nCode, void (T::*fn)())
    {
        m_handlers[{nID, nCode}] = [this, fn] { (static_cast<T*>(this)->*fn)(); return true; };
    }
    template <class T> void MapUpdate(UINT nID, void (T::*fn)(CCmdUI*))
    {
        m_updates[nID] = [this, fn](CCmdUI* p) { (static_cast<T*>(this)->*fn)(p); };
    }
    // One handler for the consecutive commands nFirst..nLast, as a range in
    // a message map says it once.
    template <class T> void MapCommandRange(UINT nFirst, UINT nLast, void (T::*fn)())
    {
        for (UINT id = nFirst; id <= nLast; ++id)
            MapCommand(id, fn);
    }
    template <class T> void MapCommandExRange(UINT nFirst, UINT nLast, BOOL (T::*fn)(UINT))
    {
        for (UINT id = nFirst; id <= nLast; ++id)
            MapCommandEx(id, fn);
    }
    template <class T> void MapUpdateRange(UINT nFirst, UINT nLast, void (T::*fn)(CCmdUI*))
    {
        for (UINT id = nFirst; id <= nLast; ++id)
            MapUpdate(id, fn);
    }
    // Most commands come with the handler that checks or greys their item.
    template <class T> void MapCommandAndUpdate(UINT nID, void (T::*fn)(), void (T::*update)(CCmdUI*))
    {
        MapCommand(nID, fn);
        MapUpdate(nID, update);
    }

private:
    std::map<std::pair<UINT, UINT>, std::function<bool()>> m_handlers;
    std::map<UINT, std::function<void(CCmdUI*)>> m_updates;
};
