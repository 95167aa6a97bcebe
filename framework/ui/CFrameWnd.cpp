#include "framework/ui/CFrameWnd.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QResizeEvent>
#include <QShortcut>
#include <QTimer>
#include <map>

#include "framework/base/StringTable.h"
#include "framework/ui/CDocTemplate.h"
#include "framework/ui/CDocument.h"
#include "framework/ui/CView.h"
#include "framework/ui/CWinApp.h"
#include "framework/ui/KActionCmdUI.h"
#include "framework/ui/KFrameWidget.h"
#include "framework/ui/KHelp.h"

IMPLEMENT_DYNCREATE(CFrameWnd, CWnd)

// The platform's CWnd has no run-time class of its own here; frames and
// views name it as their base.
const CRuntimeClass CWnd::classCWnd = {"CWnd", int(sizeof(CWnd)), 0xFFFF, nullptr, RUNTIME_CLASS(CObject)};

namespace {

std::map<UINT, std::vector<ACCEL>>& accelerators()
{
    static std::map<UINT, std::vector<ACCEL>> a;
    return a;
}

int QtKey(UINT vk)
{
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return int(vk);
    if (vk >= VK_F1 && vk <= VK_F12) return Qt::Key_F1 + int(vk - VK_F1);
    switch (vk) {
    case VK_BACK: return Qt::Key_Backspace;
    case VK_TAB: return Qt::Key_Tab;
    case VK_RETURN: return Qt::Key_Return;
    case VK_ESCAPE: return Qt::Key_Escape;
    case VK_SPACE: return Qt::Key_Space;
    case VK_PRIOR: return Qt::Key_PageUp;
    case VK_NEXT: return Qt::Key_PageDown;
    case VK_END: return Qt::Key_End;
    case VK_HOME: return Qt::Key_Home;
    case VK_LEFT: return Qt::Key_Left;
    case VK_UP: return Qt::Key_Up;
    case VK_RIGHT: return Qt::Key_Right;
    case VK_DOWN: return Qt::Key_Down;
    case VK_INSERT: return Qt::Key_Insert;
    case VK_DELETE: return Qt::Key_Delete;
    case VK_ADD: return Qt::Key_Plus;
    case VK_SUBTRACT: return Qt::Key_Minus;
    default: return 0;
    }
}

const char* const kMruProperty = "kavrelMru";

} // namespace

KAcceleratorTemplate::KAcceleratorTemplate(UINT nID, std::vector<ACCEL> accels)
{
    accelerators()[nID] = std::move(accels);
}

namespace {
class KFrameClient : public QWidget {
public:
    KFrameClient(CFrameWnd* pFrame, QWidget* pParent) : QWidget(pParent), m_pFrame(pFrame) {}
    CFrameWnd* m_pFrame;

protected:
    void resizeEvent(QResizeEvent*) override
    {
        if (m_pFrame) m_pFrame->RecalcLayout();
    }
};
} // namespace

CFrameWnd::CFrameWnd()
{
    MapCommandExRange(ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, &CFrameWnd::OnBarCheck);
    MapUpdateRange(ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, &CFrameWnd::OnUpdateControlBarMenu);
    MapCommand(ID_HELP_FINDER, &CFrameWnd::OnHelpFinder);
    MapCommand(ID_DEFAULT_HELP, &CFrameWnd::OnHelpFinder);
    MapCommand(ID_HELP, &CFrameWnd::OnHelp);
    MapCommand(ID_CONTEXT_HELP, &CFrameWnd::OnContextHelp);
}

void CFrameWnd::OnHelpFinder()
{
    if (CWinApp* app = AfxGetApp()) app->WinHelp(0, HELP_FINDER);
}

void CFrameWnd::OnHelp()
{
    CFrameWnd* active = GetActiveFrame();
    if (CWinApp* app = AfxGetApp()) app->WinHelp(HID_BASE_RESOURCE + (active ? active : this)->GetHelpID(), HELP_CONTEXT);
}

void CFrameWnd::OnContextHelp()
{
    KEnterContextHelpMode();
}

bool CFrameWnd::OnCommand(UINT nID, UINT nCode)
{
    if (KInContextHelpMode() && nID != ID_CONTEXT_HELP && nCode == BN_CLICKED) {
        KLeaveContextHelpMode();
        if (CWinApp* app = AfxGetApp()) app->WinHelp(HID_BASE_COMMAND + nID, HELP_CONTEXT);
        return true;
    }
    return CWnd::OnCommand(nID, nCode);
}

CFrameWnd::~CFrameWnd()
{
    m_bAutoDelete = false; // already being deleted
    if (!m_bDestroyed && m_pWidget) CFrameWnd::DestroyWindow();
}

QWidget* CFrameWnd::ChildParentWidget() const
{
    return m_pClient ? m_pClient : m_pWidget;
}

QMainWindow* CFrameWnd::MainWindow() const
{
    return qobject_cast<QMainWindow*>(m_pWidget);
}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCT&)
{
    return TRUE;
}

QMainWindow* CFrameWnd::CreateFrameWidget(CWnd* pParentWnd, DWORD)
{
    auto* w = new KFrameWidget(this, nullptr);
    if (pParentWnd && pParentWnd->GetWidget()) w->setParent(pParentWnd->GetWidget(), Qt::Window);
    return w;
}

BOOL CFrameWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd, CCreateContext* pContext)
{
    if (m_pWidget) return FALSE;
    const CString strings = AfxLoadString(nIDResource);
    if (m_strTitle.IsEmpty()) m_strTitle = AfxExtractSubString(strings, 0);
    m_nIDHelp = nIDResource;

    CREATESTRUCT cs;
    cs.style = dwDefaultStyle;
    cs.cx = 800;
    cs.cy = 600;
    cs.lpszName = m_strTitle;
    if (!PreCreateWindow(cs)) return FALSE;

    QMainWindow* w = CreateFrameWidget(pParentWnd, cs.style);
    if (!w) return FALSE;
    Attach(w, true);
    w->setWindowTitle(QString::fromUtf8(m_strTitle.GetString()));
    w->resize(cs.cx, cs.cy);
    m_pClient = new KFrameClient(this, w);
    w->setCentralWidget(m_pClient);
    if (cs.style & WS_MAXIMIZE) w->setWindowState(w->windowState() | Qt::WindowMaximized);
    m_dwStyleCreated = cs.style;

    if (KFindMenuResource(nIDResource)) SetMenuResource(nIDResource);
    LoadAccelTable(nIDResource);

    m_pCreateContext = pContext;
    const int rc = OnCreate(&cs);
    m_pCreateContext = nullptr;
    if (rc == -1) {
        DestroyWindow();
        return FALSE;
    }
    auto* idle = new QTimer(w);
    m_pIdleTimer = idle;
    idle->setInterval(250);
    QObject::connect(idle, &QTimer::timeout, Receiver(), [this] {
        if (m_pWidget && m_pWidget->isVisible()) OnIdleUpdateCmdUI();
    });
    idle->start();
    RecalcLayout();
    return TRUE;
}

int CFrameWnd::OnCreate(LPCREATESTRUCT lpcs)
{
    return OnCreateClient(lpcs, m_pCreateContext) ? 0 : -1;
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext)
{
    if (pContext && pContext->m_pNewViewClass) {
        if (!CreateView(pContext, AFX_IDW_PANE_FIRST)) return FALSE;
    }
    return TRUE;
}

CWnd* CFrameWnd::CreateView(CCreateContext* pContext, UINT nID)
{
    if (!pContext || !pContext->m_pNewViewClass) return nullptr;
    CObject* obj = pContext->m_pNewViewClass->CreateObject();
    auto* wnd = dynamic_cast<CWnd*>(obj);
    if (!wnd) {
        delete obj;
        return nullptr;
    }
    const CRect r(0, 0, 0, 0);
    if (!wnd->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, r, this, nID)) {
        delete wnd;
        return nullptr;
    }
    if (auto* view = dynamic_cast<CView*>(wnd)) {
        if (pContext->m_pCurrentDoc) pContext->m_pCurrentDoc->AddView(view);
    }
    AdoptWindow(wnd);
    RecalcLayout();
    return wnd;
}

void CFrameWnd::AdoptWindow(CWnd* pWnd)
{
    m_ownedWindows.emplace_back(pWnd);
}

void CFrameWnd::RecalcLayout(BOOL)
{
    if (!m_pClient) return;
    if (CWnd* pane = GetDlgItem(AFX_IDW_PANE_FIRST)) {
        if (pane->GetWidget() && pane->GetWidget()->parentWidget() == m_pClient)
            pane->MoveWindow(0, 0, m_pClient->width(), m_pClient->height(), TRUE);
    }
}

void CFrameWnd::SetActiveView(CView* pViewNew, BOOL bNotify)
{
    CView* old = m_pViewActive;
    m_pViewActive = pViewNew;
    if (bNotify && old != pViewNew) {
        if (old) old->OnActivateView(FALSE, pViewNew, old);
        if (pViewNew) pViewNew->OnActivateView(TRUE, pViewNew, old);
    }
    if (pViewNew && pViewNew->GetWidget() && !pViewNew->GetWidget()->hasFocus())
        pViewNew->GetWidget()->setFocus();
    OnUpdateFrameTitle(TRUE);
}

void CFrameWnd::ForgetView(CView* pView)
{
    if (m_pViewActive == pView) m_pViewActive = nullptr;
}

CDocument* CFrameWnd::GetActiveDocument()
{
    CView* v = GetActiveView();
    return v ? v->GetDocument() : nullptr;
}

CFrameWnd* CFrameWnd::GetParentFrameOf(const CWnd* pWnd)
{
    for (CWnd* p = pWnd ? pWnd->GetParent() : nullptr; p; p = p->GetParent()) {
        if (auto* f = dynamic_cast<CFrameWnd*>(p)) return f;
    }
    return nullptr;
}

CFrameWnd* CFrameWnd::GetTopLevelFrame()
{
    CFrameWnd* f = this;
    while (CFrameWnd* up = GetParentFrameOf(f)) f = up;
    return f;
}

void CFrameWnd::InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible)
{
    // The first view of the pane grid becomes active unless one already is.
    if (!m_pViewActive) {
        if (auto* v = dynamic_cast<CView*>(GetDlgItem(AFX_IDW_PANE_FIRST))) SetActiveView(v, FALSE);
    }
    for (CView* v : pDoc ? pDoc->GetViews() : std::vector<CView*>{}) {
        if (GetParentFrameOf(v) == this) v->OnInitialUpdate();
    }
    if (bMakeVisible) ActivateFrame();
    OnUpdateFrameTitle(TRUE);
}

void CFrameWnd::ActivateFrame(int nCmdShow)
{
    if (!m_pWidget) return;
    if (nCmdShow == -1) nCmdShow = (m_dwStyleCreated & WS_MAXIMIZE) ? int(SW_SHOWMAXIMIZED) : int(SW_SHOW);
    ShowWindow(nCmdShow);
    m_pWidget->raise();
    m_pWidget->activateWindow();
}

void CFrameWnd::OnUpdateFrameTitle(BOOL bAddToTitle)
{
    if (!m_pWidget) return;
    CString title = m_strTitle;
    CDocument* doc = GetActiveDocument();
    if (bAddToTitle && (m_dwStyleCreated & FWS_ADDTOTITLE) && doc) {
        if (m_dwStyleCreated & FWS_PREFIXTITLE) title = doc->GetTitle() + " - " + m_strTitle;
        else title = m_strTitle + " - " + doc->GetTitle();
    }
    m_pWidget->setWindowTitle(QString::fromUtf8(title.GetString()));
}

void CFrameWnd::DockControlBar(CControlBar*) {}

void CFrameWnd::ShowControlBar(CControlBar* pBar, BOOL bShow, BOOL)
{
    if (pBar && pBar->GetWidget()) pBar->GetWidget()->setVisible(bShow != FALSE);
}

BOOL CFrameWnd::OnBarCheck(UINT nID)
{
    CControlBar* bar = GetControlBar(nID);
    if (!bar || !bar->GetWidget()) return FALSE;
    ShowControlBar(bar, bar->GetWidget()->isHidden(), FALSE);
    return TRUE;
}

void CFrameWnd::OnUpdateControlBarMenu(CCmdUI* pCmdUI)
{
    CControlBar* bar = GetControlBar(pCmdUI->m_nID);
    if (!bar || !bar->GetWidget()) {
        pCmdUI->ContinueRouting();
        return;
    }
    pCmdUI->Enable(true);
    pCmdUI->SetCheck(bar->GetWidget()->isHidden() ? 0 : 1);
}

CControlBar* CFrameWnd::GetControlBar(UINT nID)
{
    for (CControlBar* bar : m_bars)
        if (bar && bar->GetDlgCtrlID() == int(nID)) return bar;
    return nullptr;
}

void CFrameWnd::SetMessageText(const char* lpszText)
{
    if (auto* bar = dynamic_cast<CStatusBar*>(GetControlBar(AFX_IDW_STATUS_BAR))) bar->SetPaneText(0, lpszText);
}

CString CFrameWnd::GetMessageText() const
{
    auto* self = const_cast<CFrameWnd*>(this);
    auto* bar = dynamic_cast<CStatusBar*>(self->GetControlBar(AFX_IDW_STATUS_BAR));
    return bar ? bar->GetPaneText(0) : CString();
}

// ---- menus ----

BOOL CFrameWnd::SetMenuResource(UINT nIDMenu)
{
    if (!KFindMenuResource(nIDMenu)) return FALSE;
    m_nIDMenu = nIDMenu;
    if (!m_nIDDefaultMenu) m_nIDDefaultMenu = nIDMenu;
    if (OwnsMenuBar()) rebuildMenuBar();
    return TRUE;
}

void CFrameWnd::rebuildMenuBar()
{
    QMainWindow* w = MainWindow();
    if (!w) return;
    const std::vector<KMenuItem>* items = KFindMenuResource(m_nIDMenu);
    QMenuBar* bar = w->menuBar();
    bar->clear();
    if (!items) return;
    for (const KMenuItem& top : *items) {
        if (!(top.nFlags & MF_POPUP)) {
            QAction* a = bar->addAction(QString::fromUtf8(top.sText.GetString()));
            a->setData(top.nID);
            QObject::connect(a, &QAction::triggered, Receiver(), [this, id = top.nID] { OnCommandFromUi(id); });
            continue;
        }
        QMenu* menu = bar->addMenu(QString::fromUtf8(top.sText.GetString()));
        populateMenu(menu, top.items);
    }
}

void CFrameWnd::populateMenu(QMenu* menu, const std::vector<KMenuItem>& items)
{
    for (const KMenuItem& it : items) {
        if (it.nFlags & MF_SEPARATOR) {
            menu->addSeparator();
            continue;
        }
        if (it.nFlags & MF_POPUP) {
            populateMenu(menu->addMenu(QString::fromUtf8(it.sText.GetString())), it.items);
            continue;
        }
        QAction* a = menu->addAction(QString::fromUtf8(it.sText.GetString()));
        a->setData(it.nID);
        const CString prompt = AfxExtractSubString(AfxLoadString(it.nID), 0);
        if (!prompt.IsEmpty()) a->setStatusTip(QString::fromUtf8(prompt.GetString()));
        QObject::connect(a, &QAction::triggered, Receiver(), [this, a] { OnCommandFromUi(a->data().toUInt()); });
    }
    QObject::connect(menu, &QMenu::aboutToShow, Receiver(), [this, menu] { updateMenu(menu); });
}

void CFrameWnd::updateMenu(QMenu* menu)
{
    // The recent-file list stands where its first item is, as the platform shows it.
    for (QAction* a : menu->actions()) {
        if (a->property(kMruProperty).toBool()) {
            menu->removeAction(a);
            delete a;
        }
    }
    for (QAction* a : menu->actions()) {
        if (a->menu() || a->isSeparator() || a->data().toUInt() != ID_FILE_MRU_FILE1) continue;
        CWinApp* app = AfxGetApp();
        const std::vector<CString> recent = app ? app->GetRecentFileList() : std::vector<CString>{};
        a->setVisible(recent.empty());
        a->setEnabled(false);
        QAction* before = nullptr;
        const QList<QAction*> all = menu->actions();
        const int at = int(all.indexOf(a));
        if (at + 1 < all.size()) before = all[at + 1];
        for (size_t i = 0; i < recent.size(); ++i) {
            auto* e = new QAction(QString("&%1 %2").arg(i + 1).arg(QString::fromUtf8(recent[i].GetString())), menu);
            e->setData(UINT(ID_FILE_MRU_FIRST + i));
            e->setProperty(kMruProperty, true);
            QObject::connect(e, &QAction::triggered, Receiver(), [this, id = UINT(ID_FILE_MRU_FIRST + i)] { OnCommandFromUi(id); });
            menu->insertAction(before, e);
        }
        break;
    }
    for (QAction* a : menu->actions()) {
        if (a->menu() || a->isSeparator() || a->property(kMruProperty).toBool()) continue;
        const UINT id = a->data().toUInt();
        if (id == 0 || id == ID_FILE_MRU_FILE1) continue;
        KActionCmdUI ui(id, a, KActionCmdUI::menuItem);
        OnUpdateCmdUI(&ui);
        if (m_bAutoMenuEnable && !ui.m_bEnableChanged) ui.Enable(IsCommandHandled(id));
    }
}

void CFrameWnd::OnCommandFromUi(UINT nID)
{
    // Posted, as on the platform: the menu has closed when the command runs.
    PostMessage(WM_COMMAND, nID, 0);
}

bool CFrameWnd::ChooseMenuCommand(UINT nID)
{
    QMainWindow* w = MainWindow();
    if (!w || nID == 0) return false;
    std::vector<QMenu*> menus;
    for (QAction* a : w->menuBar()->actions())
        if (a->menu()) menus.push_back(a->menu());
    for (size_t i = 0; i < menus.size(); ++i) {
        QMenu* m = menus[i];
        updateMenu(m);
        for (QAction* a : m->actions()) {
            if (a->menu()) {
                menus.push_back(a->menu());
                continue;
            }
            if (a->isSeparator() || a->data().toUInt() != nID || !a->isVisible()) continue;
            if (!a->isEnabled()) return false;
            SendMessage(WM_COMMAND, nID, 0);
            return true;
        }
    }
    return false;
}

std::vector<KShownMenuItem> CFrameWnd::GetShownMenu()
{
    std::vector<KShownMenuItem> out;
    QMainWindow* w = MainWindow();
    if (!w) return out;
    std::function<void(QMenu*, int)> walk = [&](QMenu* m, int depth) {
        updateMenu(m);
        for (QAction* a : m->actions()) {
            if (!a->isVisible()) continue;
            KShownMenuItem s;
            s.nDepth = depth;
            s.bSeparator = a->isSeparator();
            s.bPopup = a->menu() != nullptr;
            s.nID = s.bPopup || s.bSeparator ? 0 : a->data().toUInt();
            s.sText = CString(a->text().toUtf8().toStdString());
            s.bEnabled = a->isEnabled();
            s.bChecked = a->isChecked();
            out.push_back(s);
            if (a->menu()) walk(a->menu(), depth + 1);
        }
    };
    for (QAction* a : w->menuBar()->actions()) {
        KShownMenuItem s;
        s.bPopup = a->menu() != nullptr;
        s.sText = CString(a->text().toUtf8().toStdString());
        out.push_back(s);
        if (a->menu()) walk(a->menu(), 1);
    }
    return out;
}

// ---- accelerators ----

BOOL CFrameWnd::LoadAccelTable(UINT nIDResource)
{
    auto it = accelerators().find(nIDResource);
    if (it == accelerators().end() || !m_pWidget) return FALSE;
    for (QObject* s : m_shortcuts) delete s;
    m_shortcuts.clear();
    m_accels = it->second;
    if (!OwnsMenuBar()) return TRUE;
    for (const ACCEL& a : m_accels) {
        const int key = QtKey(a.key);
        if (!key) continue;
        int mods = 0;
        if (a.fVirt & FSHIFT) mods |= Qt::SHIFT;
        if (a.fVirt & FCONTROL) mods |= Qt::CTRL;
        if (a.fVirt & FALT) mods |= Qt::ALT;
        auto* sc = new QShortcut(QKeySequence(key | mods), m_pWidget);
        sc->setContext(Qt::WindowShortcut);
        const ACCEL copy = a;
        QObject::connect(sc, &QShortcut::activated, Receiver(), [this, copy] {
            TranslateAccelerator(copy.key, copy.fVirt & FSHIFT, copy.fVirt & FCONTROL, copy.fVirt & FALT);
        });
        m_shortcuts.push_back(sc);
    }
    return TRUE;
}

bool CFrameWnd::TranslateAccelerator(UINT vk, bool bShift, bool bCtrl, bool bAlt)
{
    for (const ACCEL& a : m_accels) {
        if (a.key != vk || bool(a.fVirt & FSHIFT) != bShift || bool(a.fVirt & FCONTROL) != bCtrl ||
            bool(a.fVirt & FALT) != bAlt)
            continue;
        // A disabled command swallows its key without running, as a grey menu item would.
        CCmdUI ui(a.cmd);
        OnUpdateCmdUI(&ui);
        if (!ui.m_bEnableChanged && m_bAutoMenuEnable) ui.Enable(IsCommandHandled(a.cmd));
        if (!ui.m_bEnabled) return true;
        PostMessage(WM_COMMAND, a.cmd, 0);
        return true;
    }
    return false;
}

// ---- commands ----

void CFrameWnd::OnIdleUpdateCmdUI()
{
    // Windows inside this frame have their own bars only when they are frames.
    if (auto* tb = dynamic_cast<CToolBar*>(GetControlBar(AFX_IDW_TOOLBAR))) tb->OnUpdateCmdUI(this, TRUE);
    if (auto* sb = dynamic_cast<CStatusBar*>(GetControlBar(AFX_IDW_STATUS_BAR))) sb->OnUpdateCmdUI(this, TRUE);
    OnUpdateFrameTitle(TRUE);
}

bool CFrameWnd::OnCmdMsg(UINT nID, UINT nCode)
{
    if (CView* v = GetActiveView(); v && v->OnCmdMsg(nID, nCode)) return true;
    if (CWnd::OnCmdMsg(nID, nCode)) return true;
    CWinApp* app = AfxGetApp();
    return app && app->OnCmdMsg(nID, nCode);
}

bool CFrameWnd::OnUpdateCmdUI(CCmdUI* pCmdUI)
{
    if (CView* v = GetActiveView(); v && v->OnUpdateCmdUI(pCmdUI)) return true;
    if (CWnd::OnUpdateCmdUI(pCmdUI)) return true;
    CWinApp* app = AfxGetApp();
    return app && app->OnUpdateCmdUI(pCmdUI);
}

bool CFrameWnd::IsCommandHandled(UINT nID)
{
    if (CView* v = GetActiveView(); v && v->IsCommandHandled(nID)) return true;
    if (HasCommandHandler(nID)) return true;
    CWinApp* app = AfxGetApp();
    return app && app->HasCommandHandler(nID);
}

// ---- closing ----

void CFrameWnd::OnClose()
{
    if (m_bInClose || m_bDestroyed) return;
    m_bInClose = true;
    CWinApp* app = AfxGetApp();
    const bool isMain = app && app->m_pMainWnd == this;
    if (isMain) {
        // The program ends: every document is asked first.
        if (!app->SaveAllModified()) {
            m_bInClose = false;
            return;
        }
        app->CloseAllDocuments(FALSE);
        // A single-document frame went with its document.
        if (app->m_pMainWnd != this) return;
        m_bInClose = false;
        DestroyWindow();
        return;
    }
    CDocument* doc = GetActiveDocument();
    if (doc && !doc->CanCloseFrame(this)) {
        m_bInClose = false;
        return;
    }
    // The document's last frame closes the document with it.
    bool otherFrame = false;
    if (doc) {
        for (CView* v : doc->GetViews())
            if (GetParentFrameOf(v) != this) otherFrame = true;
    }
    m_bInClose = false;
    if (doc && !otherFrame) doc->OnCloseDocument();
    else DestroyWindow();
}

void CFrameWnd::OnDropFiles(const std::vector<CString>& files)
{
    if (m_pWidget) {
        m_pWidget->raise();
        m_pWidget->activateWindow();
    }
    CWinApp* app = AfxGetApp();
    for (const CString& file : files) {
        if (app) app->OpenDocumentFile(file);
    }
}

BOOL CFrameWnd::DestroyWindow()
{
    if (m_bDestroyed) return FALSE;
    m_bDestroyed = true;
    CWinApp* app = AfxGetApp();
    const bool isMain = app && app->m_pMainWnd == this;
    m_pViewActive = nullptr;
    for (QObject* s : m_shortcuts) delete s;
    m_shortcuts.clear();
    delete m_pIdleTimer;
    m_pIdleTimer = nullptr;
    // Views go before the widgets they live in.
    while (!m_ownedWindows.empty()) {
        std::unique_ptr<CWnd> w = std::move(m_ownedWindows.back());
        m_ownedWindows.pop_back();
        w.reset();
    }
    // A bar that went before the frame (a member of a frame class goes
    // before the frame's own part) has nothing left to let go of.
    for (CControlBar* bar : m_bars)
        if (bar) bar->OnFrameGone();
    m_bars.clear();
    if (auto* fw = dynamic_cast<KFrameWidget*>(m_pWidget)) fw->Forget();
    // The widgets go later, from the event loop: none of them may reach this object.
    if (auto* client = dynamic_cast<KFrameClient*>(m_pClient)) client->m_pFrame = nullptr;
    m_pClient = nullptr;
    QWidget* w = ReleaseWidget();
    OnDestroyWidget(w);
    if (isMain) {
        app->m_pMainWnd = nullptr;
        QCoreApplication::quit();
    }
    if (m_bAutoDelete) delete this;
    return TRUE;
}

void CFrameWnd::OnDestroyWidget(QWidget* w)
{
    if (w) w->deleteLater();
}
