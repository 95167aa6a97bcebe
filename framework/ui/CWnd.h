// CWnd: a window. It wraps one Qt widget and offers the platform's
// vocabulary to the suite's classes: controls found by numeric ID, texts,
// enabling, timers, posted messages with handlers.
#pragma once
#include <map>
#include <memory>

#include "framework/base/CString.h"
#include "framework/base/UserServices.h"
#include "framework/audio/WaveAudio.h"
#include "framework/ui/CCmdTarget.h"
#include "framework/ui/CDC.h"
#include "framework/ui/WinTypes.h"

#include <vector>

class QAbstractButton;
class QObject;
class QWidget;
class CDC;
class CSurface;
class KWndWidget;

typedef std::intptr_t LRESULT;
typedef std::intptr_t INT_PTR;
typedef std::uintptr_t UINT_PTR;

enum : UINT {
    WM_USER = 0x0400,
    WM_COMMAND = 0x0111,
    WM_TIMER = 0x0113,
    WM_SYSCOMMAND = 0x0112,
    WM_MOUSEMOVE = 0x0200,
    WM_LBUTTONDOWN = 0x0201,
    WM_RBUTTONDOWN = 0x0204,
};
// ShowWindow's modes.
enum : int { SW_HIDE = 0, SW_SHOWNORMAL = 1, SW_SHOWMINIMIZED = 2, SW_SHOWMAXIMIZED = 3, SW_MAXIMIZE = 3,
             SW_SHOW = 5, SW_MINIMIZE = 6, SW_RESTORE = 9 };

// Window styles that mean something here.
enum : DWORD {
    WS_OVERLAPPED = 0x00000000, WS_POPUP = 0x80000000, WS_CHILD = 0x40000000,
    WS_VISIBLE = 0x10000000, WS_CLIPSIBLINGS = 0x04000000, WS_CLIPCHILDREN = 0x02000000,
    WS_CAPTION = 0x00C00000, WS_BORDER = 0x00800000, WS_SYSMENU = 0x00080000,
    WS_THICKFRAME = 0x00040000, WS_VSCROLL = 0x00200000, WS_HSCROLL = 0x00100000,
    WS_OVERLAPPEDWINDOW = 0x00CF0000
};

// Key and button state carried with mouse messages.
enum : UINT {
    MK_LBUTTON = 0x0001, MK_RBUTTON = 0x0002, MK_SHIFT = 0x0004, MK_CONTROL = 0x0008,
    MK_MBUTTON = 0x0010
};

// Virtual key codes; letters and digits are their upper-case ASCII codes.
enum : UINT {
    VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_CONTROL = 0x11,
    VK_MENU = 0x12, VK_ESCAPE = 0x1B, VK_SPACE = 0x20, VK_PRIOR = 0x21, VK_NEXT = 0x22,
    VK_END = 0x23, VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27,
    VK_DOWN = 0x28, VK_INSERT = 0x2D, VK_DELETE = 0x2E, VK_ADD = 0x6B, VK_SUBTRACT = 0x6D,
    VK_F1 = 0x70, VK_F12 = 0x7B
};
// High bit set while the key is down.
short GetKeyState(int nVirtKey);

// OnSize kinds.
enum : UINT { SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2 };

// What a window is being created with, as its OnCreate sees it.
struct CREATESTRUCT {
    DWORD style = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    CString lpszName;
};
typedef CREATESTRUCT* LPCREATESTRUCT;

struct PAINTSTRUCT {
    BOOL fErase = FALSE;
    RECT rcPaint{};
};
enum : int { BST_UNCHECKED = 0, BST_CHECKED = 1 };

class CWnd : public CCmdTarget, public IWaveNotifySink {
public:
    static const CRuntimeClass classCWnd;
    const CRuntimeClass* GetRuntimeClass() const override { return &classCWnd; }
    CWnd();
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // The control with this ID among this window's descendants, or nullptr.
    CWnd* GetDlgItem(int nID);

    // A plain window with its own picture: a child of pParentWnd with WS_CHILD,
    // otherwise a top-level one. The rectangle is in the parent's client
    // coordinates (screen ones for a top-level window).
    BOOL Create(const char* lpszClassName, const char* lpszWindowName, DWORD dwStyle,
                const RECT& rect, CWnd* pParentWnd, UINT nID = 0);
    // The window exists (with its size) but is not shown yet; -1 fails Create.
    virtual int OnCreate(LPCREATESTRUCT lpCreateStruct);
    CWnd* GetParent() const;
    // The nearest of this window and its ancestors that is not a child
    // window: the owner of a view's popup menus, so their commands go
    // through the frame.
    CWnd* GetParentOwner() const;
    // The window object of a widget made by Create, or nullptr.
    static CWnd* FromWidget(QWidget* pWidget);

    void GetClientRect(LPRECT lpRect) const;
    void GetWindowRect(LPRECT lpRect) const;
    void MoveWindow(int x, int y, int cx, int cy, BOOL bRepaint = TRUE);
    void MoveWindow(LPCRECT lpRect, BOOL bRepaint = TRUE);
    // Centres the window on its owner (or pAlternateOwner), keeping its size;
    // a window without either is centred on the screen.
    void CenterWindow(CWnd* pAlternateOwner = nullptr);
    void ClientToScreen(LPPOINT lpPoint) const;
    void ClientToScreen(LPRECT lpRect) const;
    void ScreenToClient(LPPOINT lpPoint) const;
    void ScreenToClient(LPRECT lpRect) const;

    // Painting: the invalid area collects until the next paint, which
    // OnPaint does through a CPaintDC; UpdateWindow paints at once.
    void Invalidate(BOOL bErase = TRUE);
    void InvalidateRect(LPCRECT lpRect, BOOL bErase = TRUE);
    void ValidateRect(LPCRECT lpRect);
    void UpdateWindow();
    bool GetUpdateRect(LPRECT lpRect) const;
    // The window's picture (sized to the client area); null before Create.
    CSurface* GetSurface() const { return m_pSurface.get(); }
    // A client context the caller gives back with ReleaseDC.
    CDC* GetDC();
    int ReleaseDC(CDC* pDC);

    // Mouse capture: one window at a time holds it.
    CWnd* SetCapture();
    static CWnd* GetCapture();
    static BOOL ReleaseCapture();
    static CWnd* GetFocus();

    // Files dropped from a file manager arrive as OnDropFiles with their paths.
    void DragAcceptFiles(BOOL bAccept = TRUE);
    int GetDlgCtrlID() const;

    void SetWindowText(const CString& text);
    CString GetWindowText() const;
    void SetDlgItemText(int nID, const CString& text);
    CString GetDlgItemText(int nID);
    void SetDlgItemInt(int nID, int value);
    void EnableWindow(bool bEnable = true);
    bool IsWindowEnabled() const;
    // Hides, shows, maximises, minimises or restores the window as nCmdShow
    // says (a document's child frame inside its main frame's client too);
    // true when it was visible before.
    virtual BOOL ShowWindow(int nCmdShow);
    bool IsWindowVisible() const;
    void SetFocus();

    // Buttons: check boxes and radio buttons. The radio functions walk the
    // group of nFirst in the form's order up to nLast, whatever the IDs
    // between (a group that is no radio group: the IDs nFirst..nLast).
    void CheckDlgButton(int nID, int nCheck);
    int IsDlgButtonChecked(int nID);
    void CheckRadioButton(int nFirst, int nLast, int nCheck);
    int GetCheckedRadioButton(int nFirst, int nLast);

    // What a user's click on a button does: the button's command reaches
    // its dialog. Tests and dialog scripts press buttons through it.
    void ClickDlgButton(int nID);

    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse);
    bool KillTimer(UINT_PTR nIDEvent);
    virtual void OnTimer(UINT_PTR nIDEvent);

    // Messages: PostMessage queues to the UI thread, SendMessage runs now.
    void PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // A command from a control or a menu: routed through the command table.
    // One that no control sent (a menu's, a key's, a toolbar's, a script's:
    // WM_COMMAND without a control in lParam) runs only while the update
    // handlers of this window's route leave it enabled.
    virtual bool OnCommand(UINT nID, UINT nCode);
    // Whether command nID may run now: the update pass for it (CCmdUI, on
    // this window's route) does not disable it.
    bool IsCommandEnabled(UINT nID);

    // The sound devices' notifications arrive as posted window messages.
    void PostWaveMessage(UINT message, WPARAM device, LPARAM header) override { PostMessage(message, device, header); }

    // Message handlers, called with the platform's arguments. Points are in
    // client coordinates, but the wheel's and the context menu's are on the
    // screen; the context menu's is (-1, -1) when it came from the keyboard.
    virtual void OnPaint();
    virtual BOOL OnEraseBkgnd(CDC* pDC);
    virtual void OnSize(UINT nType, int cx, int cy);
    virtual void OnLButtonDown(UINT nFlags, CPoint point);
    virtual void OnLButtonUp(UINT nFlags, CPoint point);
    virtual void OnLButtonDblClk(UINT nFlags, CPoint point);
    virtual void OnRButtonDown(UINT nFlags, CPoint point);
    virtual void OnRButtonUp(UINT nFlags, CPoint point);
    virtual void OnMouseMove(UINT nFlags, CPoint point);
    virtual BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt);
    virtual void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    virtual void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
    virtual void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    // Default: the parent's, as for an unhandled context menu on the platform.
    virtual void OnContextMenu(CWnd* pWnd, CPoint point);
    virtual void OnSetFocus(CWnd* pOldWnd);
    virtual void OnKillFocus(CWnd* pNewWnd);
    virtual void OnDropFiles(const std::vector<CString>& files);
    // The mouse is over pWnd (this window or a child of it) and about to
    // move or press (message): choose its cursor with SetCursor and return
    // TRUE, or FALSE to leave the choice to the default. By default a child
    // window's parent chooses first, then the window takes the arrow.
    virtual BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    // Whether a command of a menu would find a handler through this window;
    // menu items without one are greyed. Windows that route further override it.
    virtual bool IsCommandHandled(UINT nID);
    // A mouse button went down in the window: a view becomes its frame's active view.
    virtual void OnMouseActivate();

    int MessageBox(const CString& text, const CString& caption = CString(), UINT nType = 0);

    QWidget* GetWidget() const { return m_pWidget; }
    // Reads null once this window object is gone: for holders that may outlive it.
    std::weak_ptr<CWnd*> GetWeakRef() const { return m_pSelf; }
    // Wraps a widget that this object does not own (a dialog's control).
    void Attach(QWidget* pWidget, bool bOwns);
    QWidget* Detach();

protected:
    // Where this window's child windows live: a frame keeps them in its client area.
    virtual QWidget* ChildParentWidget() const { return m_pWidget; }
    // The widget Create made, when it made one.
    KWndWidget* GetWndWidget() const;
    // Drops the wrappers of controls and the timers, before the widget goes.
    void ForgetControls();
    // Lets go of the widget without deleting it: no event reaches this
    // object any more. Returns the widget, for the caller to delete.
    QWidget* ReleaseWidget();
    // The context of the Qt connections that call this object. They end
    // when the object lets go of its widget or goes, even while the widget
    // itself lives on (frames and dialogs leave theirs to the event loop).
    QObject* Receiver();
public:
    // The window goes; the object stays and may be created again.
    virtual BOOL DestroyWindow();
protected:

    QWidget* m_pWidget = nullptr;
    bool m_bOwnsWidget = false;

private:
    friend class KWndWidget;
    friend class CPaintDC;
    // The radio buttons of nFirst's group from nFirst up to nLast.
    std::vector<QAbstractButton*> radioRun(int nFirst, int nLast);
    void surfaceFollowsClient();

    std::unique_ptr<CSurface> m_pSurface;
    CRect m_rcInvalid;
    bool m_bEraseInvalid = false;
    std::vector<std::unique_ptr<CDC>> m_dcs;

    // Messages still queued when the window object goes are dropped: they
    // hold only a weak reference to this.
    std::shared_ptr<CWnd*> m_pSelf = std::make_shared<CWnd*>(this);
    std::map<int, std::unique_ptr<CWnd>> m_controls;
    std::map<UINT_PTR, void*> m_timers;
    std::unique_ptr<QObject> m_pReceiver;
};

// A window object held by one that does not own it: reads null once the
// object is gone, so that no holder calls a window past its end.
template <class T> class KWndRef {
public:
    KWndRef() = default;
    KWndRef(T* p) : m_ref(p ? p->GetWeakRef() : std::weak_ptr<CWnd*>()), m_p(p) {}
    T* get() const { return m_ref.expired() ? nullptr : m_p; }
    operator T*() const { return get(); }
    T* operator->() const { return get(); }

private:
    std::weak_ptr<CWnd*> m_ref;
    T* m_p = nullptr;
};

// The context of a paint: limited to the invalid area, which it validates;
// the background is erased first when the invalidation asked for it.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC() override;
    PAINTSTRUCT m_ps;

protected:
    CWnd* m_pWnd;
};

// Drawing on a window outside a paint (carets, inverted selections): it
// lands in the same picture and is shown.
class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* pWnd);
    ~CClientDC() override;

protected:
    CWnd* m_pWnd;
};

// The whole window; its scroll bars are separate controls here, so it is the client area.
class CWindowDC : public CClientDC {
public:
    explicit CWindowDC(CWnd* pWnd) : CClientDC(pWnd) {}
};
