// CFrameWnd: a top-level window with a menu bar, control bars and a
// client area holding a view (or a splitter of views). Commands from its
// menus, toolbar and accelerators go first to the active view (and through
// it to the document), then to the frame, then to the program.
#pragma once
#include <memory>
#include <vector>

#include "framework/base/CObject.h"
#include "framework/ui/AfxIds.h"
#include "framework/ui/CControlBars.h"
#include "framework/ui/CMenu.h"
#include "framework/ui/CWnd.h"

class CDocument;
class CDocTemplate;
class CView;
class CMenu;
class QMainWindow;
class QObject;
class QMenuBar;
class QMenu;

// What a frame needs to build its client area.
struct CCreateContext {
    const CRuntimeClass* m_pNewViewClass = nullptr;
    CDocument* m_pCurrentDoc = nullptr;
    CDocTemplate* m_pNewDocTemplate = nullptr;
    CView* m_pLastView = nullptr;
    class CFrameWnd* m_pCurrentFrame = nullptr;
};

enum : DWORD { FWS_ADDTOTITLE = 0x00008000, FWS_PREFIXTITLE = 0x00004000, WS_MAXIMIZE = 0x01000000,
               WS_MINIMIZE = 0x20000000 };

// Accelerator flags and the registration of accelerator table nID.
enum : BYTE { FVIRTKEY = 0x01, FSHIFT = 0x04, FCONTROL = 0x08, FALT = 0x10 };
struct ACCEL {
    BYTE fVirt;
    UINT key; // a VK_ code, or an upper-case letter or digit
    UINT cmd;
};
struct KAcceleratorTemplate {
    KAcceleratorTemplate(UINT nID, std::vector<ACCEL> accels);
};

class CFrameWnd : public CWnd {
    DECLARE_DYNCREATE(CFrameWnd)
public:
    CFrameWnd();
    ~CFrameWnd() override;

    // The frame of resource nIDResource: its menu, accelerators and title
    // (the first part of the string resource) come from that ID.
    virtual BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = DWORD(WS_OVERLAPPEDWINDOW) | DWORD(FWS_ADDTOTITLE),
                           CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr);
    virtual BOOL PreCreateWindow(CREATESTRUCT& cs);
    // Creates the control bars in a program's frame; -1 fails the creation.
    int OnCreate(LPCREATESTRUCT lpCreateStruct) override;
    // Default: one view of the context's class as pane AFX_IDW_PANE_FIRST.
    virtual BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext);
    CWnd* CreateView(CCreateContext* pContext, UINT nID = AFX_IDW_PANE_FIRST);

    CView* GetActiveView() const { return m_pViewActive.get(); }
    virtual void SetActiveView(CView* pViewNew, BOOL bNotify = TRUE);
    virtual CDocument* GetActiveDocument();
    virtual CFrameWnd* GetActiveFrame() { return this; }
    // The frame that holds a window: its nearest frame ancestor.
    static CFrameWnd* GetParentFrameOf(const CWnd* pWnd);
    CFrameWnd* GetTopLevelFrame();

    void InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible);
    // Shows the frame (maximised when created so, or as nCmdShow says) and brings it forward.
    virtual void ActivateFrame(int nCmdShow = -1);
    virtual void OnUpdateFrameTitle(BOOL bAddToTitle);
    void SetTitle(const CString& title) { m_strTitle = title; }
    CString GetTitle() const { return m_strTitle; }
    // Fits the pane AFX_IDW_PANE_FIRST to the client area.
    virtual void RecalcLayout(BOOL bNotify = TRUE);

    void EnableDocking(DWORD dwDockStyle) { m_dwDockStyle = dwDockStyle; }
    void DockControlBar(CControlBar* pBar);
    void ShowControlBar(CControlBar* pBar, BOOL bShow, BOOL bDelay);
    // "Показывать панель инструментов" and "Показывать строку состояния":
    // the bar of that ID shows or hides, and its item is checked while it
    // shows. A frame without the bar leaves the command to the next target
    // (a document's frame to the main frame).
    BOOL OnBarCheck(UINT nID);
    // Help: the guide from its beginning (help finder, default help), at
    // the active frame's topic (F1), or context help (Shift+F1).
    void OnHelpFinder();
    void OnHelp();
    void OnContextHelp();
    // The frame's topic number: its resource.
    UINT GetHelpID() const { return m_nIDHelp; }
    // In context help a command shows its topic instead of running.
    bool OnCommand(UINT nID, UINT nCode) override;
    void OnUpdateControlBarMenu(CCmdUI* pCmdUI);
    CControlBar* GetControlBar(UINT nID);
    // The message pane of the status bar (pane 0).
    void SetMessageText(const char* lpszText);
    CString GetMessageText() const;

    // The menu bar: resource nID (a bar of popups). A document's frame may
    // show its own menu in the main window (multiple-document frames).
    BOOL SetMenuResource(UINT nIDMenu);
    UINT GetMenuResource() const { return m_nIDMenu; }
    // What a user's menu click does; false when the item is missing or grey.
    bool ChooseMenuCommand(UINT nID);
    // The menu bar's items as a user would see them after the update
    // handlers ran (tests, scripts).
    std::vector<KShownMenuItem> GetShownMenu();

    BOOL LoadAccelTable(UINT nIDResource);
    // What a user's key press does; false when no accelerator matches.
    virtual bool TranslateAccelerator(UINT vk, bool bShift, bool bCtrl, bool bAlt);

    // Runs the update handlers of the control bars (on the platform: when
    // the program goes idle). A timer does it here; tests call it.
    virtual void OnIdleUpdateCmdUI();

    bool OnCmdMsg(UINT nID, UINT nCode = 0) override;
    bool OnUpdateCmdUI(CCmdUI* pCmdUI) override;
    bool IsCommandHandled(UINT nID) override;

    // The user closes the window: the document is asked to save first.
    virtual void OnClose();
    // Files dropped on the frame (after DragAcceptFiles): the frame comes
    // forward and the program opens each file in turn.
    void OnDropFiles(const std::vector<CString>& files) override;
    BOOL DestroyWindow() override;
    bool IsDestroyed() const { return m_bDestroyed; }

    // Windows the frame made (views, splitters) and deletes when it goes.
    void AdoptWindow(CWnd* pWnd);
    // A view going away stops being the active one.
    void ForgetView(CView* pView);
    // A control bar made on this frame; it lets go of its widget when the
    // frame goes. Bars are the program's members: the frame never outlives
    // its hold on them.
    void AddControlBar(CControlBar* pBar) { m_bars.emplace_back(pBar); }

    BOOL m_bAutoMenuEnable = TRUE;
    // Frames made by a document template delete themselves when destroyed.
    bool m_bAutoDelete = false;

protected:
    friend class KFrameWidget;
    friend class CMDIFrameWnd;
    friend class CMDIChildWnd;
    QWidget* ChildParentWidget() const override;
    QMainWindow* MainWindow() const;
    // Builds the frame's Qt window; a multiple-document child is placed in
    // its parent's client.
    virtual QMainWindow* CreateFrameWidget(CWnd* pParentWnd, DWORD dwStyle);
    void rebuildMenuBar();
    virtual void OnCommandFromUi(UINT nID);
    void populateMenu(QMenu* menu, const std::vector<KMenuItem>& items);
    void updateMenu(QMenu* menu);
    virtual void OnDestroyWidget(QWidget* w);
    // A document's child frame leaves its menu and keys to the main frame.
    virtual bool OwnsMenuBar() const { return true; }

    UINT m_nIDMenu = 0;
    UINT m_nIDHelp = 0;
    CString m_strTitle;
    DWORD m_dwDockStyle = 0;
    KWndRef<CView> m_pViewActive;
    QWidget* m_pClient = nullptr;
    std::vector<ACCEL> m_accels;
    UINT m_nIDDefaultMenu = 0;
    std::vector<QObject*> m_shortcuts;
    QObject* m_pIdleTimer = nullptr;
    bool m_bDestroyed = false;
    bool m_bInClose = false;
    DWORD m_dwStyleCreated = 0;
    CCreateContext* m_pCreateContext = nullptr;
    std::vector<std::unique_ptr<CWnd>> m_ownedWindows;
    std::vector<KWndRef<CControlBar>> m_bars;
};
