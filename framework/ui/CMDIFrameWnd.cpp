#include "framework/ui/CMDIFrameWnd.h"

#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QResizeEvent>

#include "framework/ui/CDocument.h"
#include "framework/ui/CSurface.h"
#include "framework/ui/CView.h"
#include "framework/ui/KFrameWidget.h"
#include "framework/ui/KWndWidget.h"

IMPLEMENT_DYNAMIC(CMDIFrameWnd, CFrameWnd)
IMPLEMENT_DYNCREATE(CMDIChildWnd, CFrameWnd)

namespace {

// The client of the main frame: its empty background is painted by the
// program's painter window, which wraps the client's viewport, so that its
// client rectangle is the client's, it hears the client's size, and its
// invalidation repaints the background.
class KMdiArea : public QMdiArea {
public:
    explicit KMdiArea(QWidget* parent) : QMdiArea(parent) {}
    ~KMdiArea() override
    {
        // The painter outlives the client it wrapped.
        if (CWnd* painter = Painter()) painter->Detach();
    }

    CWnd* Painter() const
    {
        const auto p = m_painter.lock();
        return p ? *p : nullptr;
    }
    void SetPainter(CWnd* pWnd)
    {
        if (CWnd* old = Painter()) old->Detach();
        m_painter = pWnd ? pWnd->GetWeakRef() : std::weak_ptr<CWnd*>();
        if (pWnd) pWnd->Attach(viewport(), false);
        repaintBackground();
    }

    void repaintBackground()
    {
        CWnd* painter = Painter();
        if (!painter || viewport()->width() <= 0 || viewport()->height() <= 0) return;
        CSurface surface;
        surface.Resize(viewport()->width(), viewport()->height(), false);
        CDC dc(&surface);
        painter->OnEraseBkgnd(&dc);
        painter->ValidateRect(nullptr);
        setBackground(QBrush(*static_cast<const QImage*>(surface.NativeImage())));
        viewport()->update();
    }

protected:
    void resizeEvent(QResizeEvent* e) override
    {
        QMdiArea::resizeEvent(e);
        if (CWnd* painter = Painter()) painter->OnSize(SIZE_RESTORED, viewport()->width(), viewport()->height());
        repaintBackground();
    }
    bool viewportEvent(QEvent* e) override
    {
        CWnd* painter = Painter();
        if (e->type() == QEvent::Paint && painter && painter->GetUpdateRect(nullptr)) repaintBackground();
        return QMdiArea::viewportEvent(e);
    }

private:
    std::weak_ptr<CWnd*> m_painter;
};

} // namespace

// ---- the main frame ----

CMDIFrameWnd::CMDIFrameWnd()
{
    MapCommand(ID_WINDOW_CASCADE, &CMDIFrameWnd::OnWindowCascade);
    MapCommandRange(ID_WINDOW_TILE_HORZ, ID_WINDOW_TILE_VERT, &CMDIFrameWnd::OnWindowTile);
    MapCommand(ID_WINDOW_ARRANGE, &CMDIFrameWnd::OnWindowArrange);
}

CMDIFrameWnd::~CMDIFrameWnd() = default;

QMainWindow* CMDIFrameWnd::CreateFrameWidget(CWnd* pParentWnd, DWORD dwStyle)
{
    return CFrameWnd::CreateFrameWidget(pParentWnd, dwStyle);
}

void CMDIFrameWnd::RecalcLayout(BOOL)
{
    if (!m_pClient) return;
    if (!m_pMdiArea) {
        auto* area = new KMdiArea(m_pClient);
        area->setActivationOrder(QMdiArea::ActivationHistoryOrder);
        QObject::connect(area, &QMdiArea::subWindowActivated, Receiver(), [this](QMdiSubWindow*) { childActivated(); });
        area->show();
        m_pMdiArea = area;
    }
    m_pMdiArea->setGeometry(m_pClient->rect());
}

void CMDIFrameWnd::OnDestroyWidget(QWidget* w)
{
    // The client goes with the frame's widget.
    m_pMdiArea = nullptr;
    m_accelsOfChild.clear();
    CFrameWnd::OnDestroyWidget(w);
}

BOOL CMDIFrameWnd::SubclassMDIClient(CWnd* pWnd)
{
    auto* area = dynamic_cast<KMdiArea*>(m_pMdiArea);
    if (!area || (pWnd && pWnd->GetWidget())) return FALSE;
    area->SetPainter(pWnd);
    return TRUE;
}

std::vector<CMDIChildWnd*> CMDIFrameWnd::GetChildFrames() const
{
    std::vector<CMDIChildWnd*> out;
    if (!m_pMdiArea) return out;
    for (QMdiSubWindow* sw : m_pMdiArea->subWindowList(QMdiArea::CreationOrder))
        if (auto* child = dynamic_cast<CMDIChildWnd*>(CWnd::FromWidget(sw->widget()))) out.push_back(child);
    return out;
}

CMDIChildWnd* CMDIFrameWnd::MDIGetActive() const
{
    if (!m_pMdiArea) return nullptr;
    QMdiSubWindow* sw = m_pMdiArea->activeSubWindow();
    if (!sw) sw = m_pMdiArea->currentSubWindow();
    return sw ? dynamic_cast<CMDIChildWnd*>(CWnd::FromWidget(sw->widget())) : nullptr;
}

void CMDIFrameWnd::MDIActivate(CWnd* pWndActivate)
{
    if (auto* child = dynamic_cast<CMDIChildWnd*>(pWndActivate)) child->MDIActivate();
}

void CMDIFrameWnd::MDICascade()
{
    if (m_pMdiArea) m_pMdiArea->cascadeSubWindows();
}

void CMDIFrameWnd::MDITile(int)
{
    if (m_pMdiArea) m_pMdiArea->tileSubWindows();
}

void CMDIFrameWnd::MDIIconArrange()
{
    if (!m_pMdiArea) return;
    // Minimised children line up along the bottom of the client.
    int x = 0;
    for (QMdiSubWindow* sw : m_pMdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (!sw->isMinimized()) continue;
        sw->move(x, m_pMdiArea->viewport()->height() - sw->height());
        x += sw->width();
    }
}

CFrameWnd* CMDIFrameWnd::GetActiveFrame()
{
    CMDIChildWnd* child = MDIGetActive();
    return child ? static_cast<CFrameWnd*>(child) : this;
}

CDocument* CMDIFrameWnd::GetActiveDocument()
{
    CMDIChildWnd* child = MDIGetActive();
    return child ? child->GetActiveDocument() : nullptr;
}

bool CMDIFrameWnd::OnCmdMsg(UINT nID, UINT nCode)
{
    if (CMDIChildWnd* child = MDIGetActive(); child && child->OnCmdMsg(nID, nCode)) return true;
    return CFrameWnd::OnCmdMsg(nID, nCode);
}

bool CMDIFrameWnd::OnUpdateCmdUI(CCmdUI* pCmdUI)
{
    if (CMDIChildWnd* child = MDIGetActive(); child && child->OnUpdateCmdUI(pCmdUI)) return true;
    return CFrameWnd::OnUpdateCmdUI(pCmdUI);
}

bool CMDIFrameWnd::IsCommandHandled(UINT nID)
{
    if (CMDIChildWnd* child = MDIGetActive(); child && child->IsCommandHandled(nID)) return true;
    return CFrameWnd::IsCommandHandled(nID);
}

void CMDIFrameWnd::OnUpdateFrameTitle(BOOL bAddToTitle)
{
    if (!m_pWidget) return;
    CString title = m_strTitle;
    CDocument* doc = GetActiveDocument();
    if (bAddToTitle && (m_dwStyleCreated & FWS_ADDTOTITLE) && doc) title = m_strTitle + " - " + doc->GetTitle();
    m_pWidget->setWindowTitle(QString::fromUtf8(title.GetString()));
}

void CMDIFrameWnd::childActivated()
{
    // The menu bar is the active document's, or the frame's own without one.
    CMDIChildWnd* child = MDIGetActive();
    const UINT want = child && child->GetMenuResource() ? child->GetMenuResource() : m_nIDDefaultMenu;
    if (want && want != m_nIDMenu) {
        m_nIDMenu = want;
        rebuildMenuBar();
    }
    if (child) {
        m_accelsOfChild = child->m_accels;
    } else {
        m_accelsOfChild.clear();
    }
    OnUpdateFrameTitle(TRUE);
}

bool CMDIFrameWnd::TranslateAccelerator(UINT vk, bool bShift, bool bCtrl, bool bAlt)
{
    // The active document's keys first, then the frame's own.
    const std::vector<ACCEL> own = m_accels;
    if (!m_accelsOfChild.empty()) {
        m_accels = m_accelsOfChild;
        const bool done = CFrameWnd::TranslateAccelerator(vk, bShift, bCtrl, bAlt);
        m_accels = own;
        if (done) return true;
    }
    return CFrameWnd::TranslateAccelerator(vk, bShift, bCtrl, bAlt);
}

// ---- a document's child frame ----

CMDIChildWnd::CMDIChildWnd() = default;
CMDIChildWnd::~CMDIChildWnd() = default;

BOOL CMDIChildWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd, CCreateContext* pContext)
{
    m_pMDIFrame = dynamic_cast<CMDIFrameWnd*>(pParentWnd);
    if (!GetMDIFrame() || !m_pMDIFrame->GetMDIClient()) return FALSE;
    return CFrameWnd::LoadFrame(nIDResource, dwDefaultStyle, pParentWnd, pContext);
}

QMainWindow* CMDIChildWnd::CreateFrameWidget(CWnd*, DWORD)
{
    auto* w = new KFrameWidget(this, nullptr);
    w->setWindowFlags(Qt::Widget);
    QMdiSubWindow* sw = m_pMDIFrame->GetMDIClient()->addSubWindow(w);
    sw->setAttribute(Qt::WA_DeleteOnClose, false);
    m_pSubWindow = sw;
    return w;
}

void CMDIChildWnd::OnDestroyWidget(QWidget* w)
{
    CMDIFrameWnd* main = GetMDIFrame();
    if (m_pSubWindow) {
        if (main && main->GetMDIClient())
            main->GetMDIClient()->removeSubWindow(m_pSubWindow);
        m_pSubWindow->deleteLater();
        m_pSubWindow = nullptr;
    }
    if (w) w->deleteLater();
    if (main) main->childActivated();
}

void CMDIChildWnd::ActivateFrame(int nCmdShow)
{
    if (!m_pWidget || !m_pSubWindow) return;
    if (nCmdShow == -1) nCmdShow = (m_dwStyleCreated & WS_MAXIMIZE) ? int(SW_SHOWMAXIMIZED) : int(SW_SHOW);
    ShowWindow(nCmdShow);
    MDIActivate();
}

BOOL CMDIChildWnd::ShowWindow(int nCmdShow)
{
    if (!m_pWidget || !m_pSubWindow) return CFrameWnd::ShowWindow(nCmdShow);
    const BOOL wasVisible = m_pSubWindow->isVisible();
    if (nCmdShow != SW_HIDE) m_pWidget->show();
    KShowWindowAs(m_pSubWindow, nCmdShow);
    return wasVisible;
}

void CMDIChildWnd::MDIActivate()
{
    CMDIFrameWnd* main = GetMDIFrame();
    if (main && m_pSubWindow && main->GetMDIClient())
        main->GetMDIClient()->setActiveSubWindow(static_cast<QMdiSubWindow*>(m_pSubWindow.data()));
    if (main) main->childActivated();
}

void CMDIChildWnd::MDIMaximize()
{
    if (m_pSubWindow) m_pSubWindow->showMaximized();
}

void CMDIChildWnd::MDIRestore()
{
    if (m_pSubWindow) m_pSubWindow->showNormal();
}

bool CMDIChildWnd::IsMaximized() const
{
    return m_pSubWindow && m_pSubWindow->isMaximized();
}

void CMDIChildWnd::OnUpdateFrameTitle(BOOL bAddToTitle)
{
    if (!m_pWidget) return;
    CDocument* doc = GetActiveDocument();
    const CString title = bAddToTitle && doc ? doc->GetTitle() : m_strTitle;
    m_pWidget->setWindowTitle(QString::fromUtf8(title.GetString()));
    if (m_pSubWindow) m_pSubWindow->setWindowTitle(QString::fromUtf8(title.GetString()));
}
