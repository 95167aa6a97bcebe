#include "framework/ui/CWnd.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRadioButton>
#include <QTimer>
#include <QVariant>
#include <QWidget>

#include <QApplication>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QUrl>
#include <QWheelEvent>

#include "framework/base/UserServices.h"
#include "framework/ui/CCursor.h"
#include "framework/ui/CSurface.h"
#include "framework/ui/ControlIds.h"
#include "framework/ui/KWndWidget.h"

namespace {

CWnd* g_pCapture = nullptr;
QPointer<QWidget> g_pUnderMouse;

// A widget a window object owns knows its window, so that GetParent and
// FromWidget find the windows of dialogs and frames too.
const char* const kWndProperty = "kavrelWnd";

UINT KeyFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods)
{
    UINT f = 0;
    if (buttons & Qt::LeftButton) f |= MK_LBUTTON;
    if (buttons & Qt::RightButton) f |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton) f |= MK_MBUTTON;
    if (mods & Qt::ShiftModifier) f |= MK_SHIFT;
    if (mods & Qt::ControlModifier) f |= MK_CONTROL;
    return f;
}

CPoint ToPoint(const QPointF& p)
{
    const QPoint q = p.toPoint();
    return CPoint(q.x(), q.y());
}

// The platform's key code of a Qt key; 0 for keys the views never ask about.
UINT VirtualKey(int key)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return UINT('A' + (key - Qt::Key_A));
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return UINT('0' + (key - Qt::Key_0));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return VK_F1 + UINT(key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Tab: return VK_TAB;
    case Qt::Key_Return: case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Plus: return VK_ADD;
    case Qt::Key_Minus: return VK_SUBTRACT;
    default: return 0;
    }
}

}  // namespace

short GetKeyState(int nVirtKey)
{
    const Qt::KeyboardModifiers mods = QGuiApplication::queryKeyboardModifiers();
    bool down = false;
    if (nVirtKey == int(VK_SHIFT)) down = mods & Qt::ShiftModifier;
    else if (nVirtKey == int(VK_CONTROL)) down = mods & Qt::ControlModifier;
    else if (nVirtKey == int(VK_MENU)) down = mods & Qt::AltModifier;
    return down ? short(0x8000) : short(0);
}

// ---- the widget ----

KWndWidget::KWndWidget(CWnd* pWnd, QWidget* pParent) : QWidget(pParent), m_pWnd(pWnd)
{
    setMouseTracking(true); // moves without a button reach OnMouseMove, as on the platform
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

KWndWidget::~KWndWidget()
{
    // A parent's widget deletes its children's: their window objects must
    // not delete them again.
    if (m_pWnd) {
        if (g_pCapture == m_pWnd) g_pCapture = nullptr;
        if (m_pWnd->m_pSurface) m_pWnd->m_pSurface->SetChangeListener(nullptr);
        m_pWnd->m_pWidget = nullptr;
        m_pWnd->m_bOwnsWidget = false;
    }
}

int KWndWidget::BarThickness()
{
    return 16;
}

QScrollBar* KWndWidget::EnsureBar(bool bHorz)
{
    QScrollBar*& bar = bHorz ? m_pHorz : m_pVert;
    if (!bar) {
        bar = new QScrollBar(bHorz ? Qt::Horizontal : Qt::Vertical, this);
        // A scroll bar keeps the arrow whatever cursor its window chooses.
        bar->setCursor(Qt::ArrowCursor);
        bar->hide();
    }
    return bar;
}

void KWndWidget::ShowBar(bool bHorz, bool bShow)
{
    bool& shown = bHorz ? m_bHorzShown : m_bVertShown;
    if (shown == bShow) return;
    if (bShow) EnsureBar(bHorz);
    shown = bShow;
    LayoutBars();
}

bool KWndWidget::IsBarShown(bool bHorz) const
{
    return bHorz ? m_bHorzShown : m_bVertShown;
}

QRect KWndWidget::ClientArea() const
{
    const int t = BarThickness();
    return QRect(0, 0, std::max(0, width() - (m_bVertShown ? t : 0)),
                 std::max(0, height() - (m_bHorzShown ? t : 0)));
}

void KWndWidget::LayoutBars()
{
    const QRect c = ClientArea();
    const int t = BarThickness();
    if (m_pHorz) {
        m_pHorz->setGeometry(0, c.height(), c.width(), t);
        m_pHorz->setVisible(m_bHorzShown);
    }
    if (m_pVert) {
        m_pVert->setGeometry(c.width(), 0, t, c.height());
        m_pVert->setVisible(m_bVertShown);
    }
    if (m_pWnd) m_pWnd->surfaceFollowsClient();
}

void KWndWidget::paintEvent(QPaintEvent* e)
{
    if (!m_pWnd) return;
    if (!m_pWnd->m_rcInvalid.IsRectEmpty()) m_pWnd->OnPaint();
    if (CSurface* s = m_pWnd->GetSurface()) {
        QPainter p(this);
        if (m_bHorzShown && m_bVertShown) {
            const QRect c = ClientArea();
            p.fillRect(QRect(c.width(), c.height(), BarThickness(), BarThickness()), palette().window());
        }
        p.setClipRect(e->rect() & ClientArea());
        p.drawImage(0, 0, *static_cast<const QImage*>(s->NativeImage()));
    }
}

void KWndWidget::resizeEvent(QResizeEvent*)
{
    LayoutBars();
}

void KWndWidget::mousePressEvent(QMouseEvent* e)
{
    if (!m_pWnd) return;
    m_pWnd->OnMouseActivate();
    if (!m_pWnd) return;
    chooseCursor(e->button() == Qt::RightButton ? WM_RBUTTONDOWN : WM_LBUTTONDOWN);
    if (!m_pWnd) return;
    const UINT f = KeyFlags(e->buttons(), e->modifiers());
    if (e->button() == Qt::LeftButton) m_pWnd->OnLButtonDown(f, ToPoint(e->position()));
    else if (e->button() == Qt::RightButton) m_pWnd->OnRButtonDown(f, ToPoint(e->position()));
}

void KWndWidget::mouseReleaseEvent(QMouseEvent* e)
{
    if (!m_pWnd) return;
    const UINT f = KeyFlags(e->buttons(), e->modifiers());
    if (e->button() == Qt::LeftButton) m_pWnd->OnLButtonUp(f, ToPoint(e->position()));
    else if (e->button() == Qt::RightButton) m_pWnd->OnRButtonUp(f, ToPoint(e->position()));
}

void KWndWidget::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (!m_pWnd) return;
    const UINT f = KeyFlags(e->buttons(), e->modifiers());
    if (e->button() == Qt::LeftButton) m_pWnd->OnLButtonDblClk(f, ToPoint(e->position()));
    else if (e->button() == Qt::RightButton) m_pWnd->OnRButtonDown(f, ToPoint(e->position()));
}

void KWndWidget::mouseMoveEvent(QMouseEvent* e)
{
    chooseCursor(WM_MOUSEMOVE);
    if (m_pWnd) m_pWnd->OnMouseMove(KeyFlags(e->buttons(), e->modifiers()), ToPoint(e->position()));
}

void KWndWidget::leaveEvent(QEvent*)
{
    if (g_pUnderMouse == this) g_pUnderMouse = nullptr;
}

QWidget* KWndWidget::UnderMouse()
{
    return g_pUnderMouse.data();
}

void KWndWidget::chooseCursor(unsigned message)
{
    if (!m_pWnd || g_pCapture) return;
    g_pUnderMouse = this;
    m_pWnd->OnSetCursor(m_pWnd, HTCLIENT, message);
}

void KWndWidget::wheelEvent(QWheelEvent* e)
{
    if (!m_pWnd) return;
    const int delta = e->angleDelta().y();
    m_pWnd->OnMouseWheel(KeyFlags(e->buttons(), e->modifiers()), short(delta),
                         ToPoint(e->globalPosition()));
}

void KWndWidget::keyPressEvent(QKeyEvent* e)
{
    if (!m_pWnd) return;
    // Bit 30 of the flags: the key was down before (auto-repeat).
    const UINT flags = e->isAutoRepeat() ? 0x4000u : 0u;
    if (const UINT vk = VirtualKey(e->key())) m_pWnd->OnKeyDown(vk, 1, flags);
    const QString text = e->text();
    if (!m_pWnd) return;
    if (!text.isEmpty() && text.at(0).unicode() >= 0x20 && text.at(0).unicode() != 0x7F)
        m_pWnd->OnChar(text.at(0).unicode(), 1, flags);
    else if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter || e->key() == Qt::Key_Backspace ||
             e->key() == Qt::Key_Escape || e->key() == Qt::Key_Tab)
        m_pWnd->OnChar(VirtualKey(e->key()), 1, flags);
}

void KWndWidget::keyReleaseEvent(QKeyEvent* e)
{
    if (!m_pWnd || e->isAutoRepeat()) return;
    if (const UINT vk = VirtualKey(e->key())) m_pWnd->OnKeyUp(vk, 1, 0xC000u);
}

void KWndWidget::contextMenuEvent(QContextMenuEvent* e)
{
    if (!m_pWnd) return;
    const CPoint pt = e->reason() == QContextMenuEvent::Keyboard ? CPoint(-1, -1)
                                                                 : CPoint(e->globalPos().x(), e->globalPos().y());
    m_pWnd->OnContextMenu(m_pWnd, pt);
}

void KWndWidget::focusInEvent(QFocusEvent*)
{
    if (m_pWnd) m_pWnd->OnSetFocus(nullptr);
}

void KWndWidget::focusOutEvent(QFocusEvent*)
{
    if (m_pWnd) m_pWnd->OnKillFocus(nullptr);
}

std::vector<CString> KDroppedFiles(const QMimeData* pData)
{
    std::vector<CString> files;
    for (const QUrl& url : pData ? pData->urls() : QList<QUrl>()) {
        if (url.isLocalFile()) files.emplace_back(url.toLocalFile().toUtf8().toStdString());
    }
    return files;
}

void KWndWidget::dragEnterEvent(QDragEnterEvent* e)
{
    if (!KDroppedFiles(e->mimeData()).empty()) e->acceptProposedAction();
}

void KWndWidget::dropEvent(QDropEvent* e)
{
    if (!m_pWnd) return;
    const std::vector<CString> files = KDroppedFiles(e->mimeData());
    if (files.empty()) return;
    e->acceptProposedAction();
    m_pWnd->OnDropFiles(files);
}

CWnd::CWnd() = default;

CWnd::~CWnd()
{
    m_pSelf.reset();
    m_pReceiver.reset();
    if (g_pCapture == this) ReleaseCapture();
    if (KWndWidget* w = GetWndWidget()) w->ForgetWnd();
    if (m_pSurface) m_pSurface->SetChangeListener(nullptr);
    if (m_pWidget && m_bOwnsWidget) m_pWidget->setProperty(kWndProperty, QVariant());
    m_dcs.clear();
    ForgetControls();
    if (m_bOwnsWidget)
        delete m_pWidget;
}

void CWnd::ForgetControls()
{
    for (auto& [id, timer] : m_timers)
        delete static_cast<QTimer*>(timer);
    m_timers.clear();
    m_controls.clear();
}

QWidget* CWnd::ReleaseWidget()
{
    if (g_pCapture == this) ReleaseCapture();
    if (KWndWidget* w = GetWndWidget()) w->ForgetWnd();
    if (m_pSurface) m_pSurface->SetChangeListener(nullptr);
    m_dcs.clear();
    ForgetControls();
    return Detach();
}

BOOL CWnd::DestroyWindow()
{
    if (!m_pWidget || !m_bOwnsWidget) return FALSE;
    delete ReleaseWidget();
    m_pSurface.reset();
    return TRUE;
}

void CWnd::Attach(QWidget* pWidget, bool bOwns)
{
    m_pWidget = pWidget;
    m_bOwnsWidget = bOwns;
    if (pWidget && bOwns)
        pWidget->setProperty(kWndProperty, QVariant::fromValue<quintptr>(reinterpret_cast<quintptr>(this)));
}

QObject* CWnd::Receiver()
{
    if (!m_pReceiver) m_pReceiver = std::make_unique<QObject>();
    return m_pReceiver.get();
}

QWidget* CWnd::Detach()
{
    m_pReceiver.reset();
    QWidget* w = m_pWidget;
    if (w && m_bOwnsWidget) w->setProperty(kWndProperty, QVariant());
    m_pWidget = nullptr;
    m_bOwnsWidget = false;
    return w;
}

CWnd* CWnd::GetDlgItem(int nID)
{
    auto it = m_controls.find(nID);
    if (it != m_controls.end())
        return it->second.get();
    QWidget* w = m_pWidget ? KFindControl(m_pWidget, nID) : nullptr;
    if (!w)
        return nullptr;
    if (CWnd* own = FromWidget(w))
        return own; // a window made by Create answers for itself, uncached
    auto wrapper = std::make_unique<CWnd>();
    wrapper->Attach(w, false);
    return (m_controls[nID] = std::move(wrapper)).get();
}

int CWnd::GetDlgCtrlID() const
{
    return m_pWidget ? KControlId(m_pWidget) : 0;
}

void CWnd::SetWindowText(const CString& text)
{
    if (!m_pWidget)
        return;
    QString q = QString::fromUtf8(text.GetString());
    if (auto* e = qobject_cast<QLineEdit*>(m_pWidget))
        e->setText(q);
    else if (auto* m = qobject_cast<QPlainTextEdit*>(m_pWidget))
        m->setPlainText(q.replace("\r\n", "\n")); // a multi-line edit's lines end in CR LF
    else if (auto* l = qobject_cast<QLabel*>(m_pWidget))
        l->setText(q);
    else if (auto* b = qobject_cast<QAbstractButton*>(m_pWidget))
        b->setText(q);
    else
        m_pWidget->setWindowTitle(q);
}

CString CWnd::GetWindowText() const
{
    if (!m_pWidget)
        return CString();
    QString q;
    if (auto* e = qobject_cast<QLineEdit*>(m_pWidget))
        q = e->text();
    else if (auto* m = qobject_cast<QPlainTextEdit*>(m_pWidget))
        q = m->toPlainText().replace("\n", "\r\n");
    else if (auto* l = qobject_cast<QLabel*>(m_pWidget))
        q = l->text();
    else if (auto* b = qobject_cast<QAbstractButton*>(m_pWidget))
        q = b->text();
    else
        q = m_pWidget->windowTitle();
    return CString(q.toUtf8().toStdString());
}

void CWnd::SetDlgItemText(int nID, const CString& text)
{
    if (CWnd* w = GetDlgItem(nID))
        w->SetWindowText(text);
}

CString CWnd::GetDlgItemText(int nID)
{
    CWnd* w = GetDlgItem(nID);
    return w ? w->GetWindowText() : CString();
}

void CWnd::SetDlgItemInt(int nID, int value)
{
    CString s;
    s.Format("%d", value);
    SetDlgItemText(nID, s);
}

void CWnd::EnableWindow(bool bEnable)
{
    if (m_pWidget)
        m_pWidget->setEnabled(bEnable);
}

bool CWnd::IsWindowEnabled() const
{
    return m_pWidget && m_pWidget->isEnabled();
}

void KShowWindowAs(QWidget* w, int nCmdShow)
{
    const Qt::WindowStates state = w->windowState();
    switch (nCmdShow) {
    case SW_HIDE: w->hide(); break;
    case SW_SHOWMAXIMIZED: w->showMaximized(); break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE: w->showMinimized(); break;
    case SW_SHOWNORMAL: w->showNormal(); break;
    case SW_RESTORE:
        // A minimised window comes back as it was before, maximised or not.
        if ((state & Qt::WindowMinimized) && (state & Qt::WindowMaximized)) w->showMaximized();
        else w->showNormal();
        break;
    default: w->show(); break;
    }
}

BOOL CWnd::ShowWindow(int nCmdShow)
{
    if (!m_pWidget) return FALSE;
    const BOOL wasVisible = m_pWidget->isVisible();
    // A child window has no size state of its own: it is only shown or hidden.
    if (m_pWidget->isWindow()) KShowWindowAs(m_pWidget, nCmdShow);
    else m_pWidget->setVisible(nCmdShow != SW_HIDE);
    return wasVisible;
}

bool CWnd::IsWindowVisible() const
{
    return m_pWidget && m_pWidget->isVisible();
}

void CWnd::SetFocus()
{
    if (m_pWidget)
        m_pWidget->setFocus();
}

void CWnd::CheckDlgButton(int nID, int nCheck)
{
    CWnd* w = GetDlgItem(nID);
    if (auto* b = w ? qobject_cast<QAbstractButton*>(w->m_pWidget) : nullptr)
        b->setChecked(nCheck != 0);
}

int CWnd::IsDlgButtonChecked(int nID)
{
    CWnd* w = GetDlgItem(nID);
    auto* b = w ? qobject_cast<QAbstractButton*>(w->m_pWidget) : nullptr;
    return b && b->isChecked() ? BST_CHECKED : BST_UNCHECKED;
}

std::vector<QAbstractButton*> CWnd::radioRun(int nFirst, int nLast)
{
    CWnd* first = GetDlgItem(nFirst);
    std::vector<QAbstractButton*> run = KRadioGroupFrom(first ? first->m_pWidget : nullptr);
    for (size_t i = 0; i < run.size(); ++i) {
        if (KControlId(run[i]) == nLast) {
            run.resize(i + 1);
            break;
        }
    }
    return run;
}

void CWnd::CheckRadioButton(int nFirst, int nLast, int nCheck)
{
    const std::vector<QAbstractButton*> run = radioRun(nFirst, nLast);
    if (run.empty()) {
        // Not a radio button: the buttons of that ID range, as on the platform.
        for (int id = nFirst; id <= nLast; ++id)
            CheckDlgButton(id, id == nCheck ? 1 : 0);
        return;
    }
    for (QAbstractButton* b : run)
        KSetButtonChecked(b, KControlId(b) == nCheck);
}

int CWnd::GetCheckedRadioButton(int nFirst, int nLast)
{
    const std::vector<QAbstractButton*> run = radioRun(nFirst, nLast);
    if (run.empty()) {
        for (int id = nFirst; id <= nLast; ++id)
            if (IsDlgButtonChecked(id)) return id;
        return 0;
    }
    for (QAbstractButton* b : run)
        if (b->isChecked()) return KControlId(b);
    return 0;
}

void CWnd::ClickDlgButton(int nID)
{
    CWnd* w = GetDlgItem(nID);
    auto* b = w ? qobject_cast<QAbstractButton*>(w->m_pWidget) : nullptr;
    if (b && b->isEnabled() && b->isVisibleTo(m_pWidget))
        b->click(); // the connection made when the dialog was built routes it
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse)
{
    if (!m_pWidget)
        return 0;
    KillTimer(nIDEvent);
    auto* t = new QTimer;
    t->setInterval(int(nElapse));
    QObject::connect(t, &QTimer::timeout, m_pWidget, [this, nIDEvent] { OnTimer(nIDEvent); });
    t->start();
    m_timers[nIDEvent] = t;
    return nIDEvent;
}

bool CWnd::KillTimer(UINT_PTR nIDEvent)
{
    auto it = m_timers.find(nIDEvent);
    if (it == m_timers.end())
        return false;
    delete static_cast<QTimer*>(it->second);
    m_timers.erase(it);
    return true;
}

void CWnd::OnTimer(UINT_PTR) {}

void CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!m_pWidget)
        return;
    std::weak_ptr<CWnd*> self = m_pSelf;
    QMetaObject::invokeMethod(
        m_pWidget,
        [self, message, wParam, lParam] {
            if (auto wnd = self.lock())
                (*wnd)->WindowProc(message, wParam, lParam);
        },
        Qt::QueuedConnection);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return WindowProc(message, wParam, lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    if (message == WM_COMMAND) {
        const UINT nID = UINT(wParam & 0xFFFF), nCode = UINT((wParam >> 16) & 0xFFFF);
        // A grey item cannot be chosen, nor its key or button used: checked
        // again as the command arrives, since it was posted.
        if (lParam == 0 && nCode <= 1 && !IsCommandEnabled(nID))
            return 0;
        return OnCommand(nID, nCode) ? 1 : 0;
    }
    if (message == WM_TIMER)
        OnTimer(UINT_PTR(wParam));
    return 0;
}

bool CWnd::OnCommand(UINT nID, UINT nCode)
{
    return OnCmdMsg(nID, nCode);
}

bool CWnd::IsCommandEnabled(UINT nID)
{
    CCmdUI state(nID);
    OnUpdateCmdUI(&state);
    return state.m_bEnabled;
}

int CWnd::MessageBox(const CString& text, const CString& caption, UINT nType)
{
    return UserInteraction().MessageBox(text, caption.IsEmpty() ? KProgramName() : caption, nType);
}

// ---- windows of our own ----

KWndWidget* CWnd::GetWndWidget() const
{
    return dynamic_cast<KWndWidget*>(m_pWidget);
}

CWnd* CWnd::FromWidget(QWidget* pWidget)
{
    if (auto* w = dynamic_cast<KWndWidget*>(pWidget)) return w->Wnd();
    const QVariant v = pWidget ? pWidget->property(kWndProperty) : QVariant();
    return v.isValid() ? reinterpret_cast<CWnd*>(v.value<quintptr>()) : nullptr;
}

CWnd* CWnd::GetParentOwner() const
{
    const CWnd* w = this;
    while (w && w->m_pWidget && !w->m_pWidget->isWindow()) w = w->GetParent();
    return const_cast<CWnd*>(w);
}

BOOL CWnd::Create(const char*, const char* lpszWindowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID)
{
    if (m_pWidget) return FALSE;
    const bool child = (dwStyle & WS_CHILD) != 0;
    if (child && (!pParentWnd || !pParentWnd->m_pWidget)) return FALSE;
    auto* w = new KWndWidget(this, child ? pParentWnd->ChildParentWidget() : nullptr);
    if (!child && pParentWnd && pParentWnd->m_pWidget) {
        // An owned top-level window stays above its owner.
        w->setParent(pParentWnd->m_pWidget, Qt::Window);
    }
    Attach(w, true);
    if (nID) w->setProperty("ctrlId", int(nID));
    if (lpszWindowName) w->setWindowTitle(QString::fromUtf8(lpszWindowName));
    m_pSurface = std::make_unique<CSurface>();
    m_pSurface->SetChangeListener([w](const CRect& r) {
        w->update(QRect(r.left, r.top, r.Width(), r.Height()));
    });
    w->setGeometry(rect.left, rect.top, std::max<LONG>(0, rect.right - rect.left),
                   std::max<LONG>(0, rect.bottom - rect.top));
    if (dwStyle & WS_HSCROLL) w->ShowBar(true, true);
    if (dwStyle & WS_VSCROLL) w->ShowBar(false, true);
    surfaceFollowsClient();
    CREATESTRUCT cs;
    cs.style = dwStyle;
    cs.x = rect.left;
    cs.y = rect.top;
    cs.cx = rect.right - rect.left;
    cs.cy = rect.bottom - rect.top;
    cs.lpszName = lpszWindowName ? lpszWindowName : "";
    if (OnCreate(&cs) == -1) {
        delete ReleaseWidget();
        m_pSurface.reset();
        return FALSE;
    }
    if (dwStyle & WS_VISIBLE) w->show();
    return TRUE;
}

void CWnd::surfaceFollowsClient()
{
    KWndWidget* w = GetWndWidget();
    if (!w || !m_pSurface) return;
    const QRect c = w->ClientArea();
    if (c.width() == m_pSurface->Width() && c.height() == m_pSurface->Height()) return;
    m_pSurface->Resize(c.width(), c.height(), true);
    m_pSurface->TakeChangedRect();
    Invalidate(TRUE);
    OnSize(SIZE_RESTORED, c.width(), c.height());
}

CWnd* CWnd::GetParent() const
{
    for (QWidget* p = m_pWidget ? m_pWidget->parentWidget() : nullptr; p; p = p->parentWidget()) {
        if (CWnd* w = FromWidget(p)) return w;
    }
    return nullptr;
}

void CWnd::GetClientRect(LPRECT lpRect) const
{
    QRect c;
    if (KWndWidget* w = GetWndWidget()) c = w->ClientArea();
    else if (QWidget* client = ChildParentWidget()) c = client->rect();
    *lpRect = CRect(0, 0, c.width(), c.height());
}

void CWnd::GetWindowRect(LPRECT lpRect) const
{
    if (!m_pWidget) { *lpRect = CRect(); return; }
    const QPoint p = m_pWidget->mapToGlobal(QPoint(0, 0));
    *lpRect = CRect(p.x(), p.y(), p.x() + m_pWidget->width(), p.y() + m_pWidget->height());
}

void CWnd::MoveWindow(int x, int y, int cx, int cy, BOOL bRepaint)
{
    if (!m_pWidget) return;
    m_pWidget->setGeometry(x, y, std::max(cx, 0), std::max(cy, 0));
    // The size reaches OnSize now, as on the platform, not at the next show.
    if (KWndWidget* w = GetWndWidget()) w->LayoutBars();
    if (bRepaint) Invalidate(TRUE);
}

void CWnd::CenterWindow(CWnd* pAlternateOwner)
{
    if (!m_pWidget) return;
    CWnd* owner = pAlternateOwner ? pAlternateOwner : GetParent();
    QRect area;
    if (owner && owner->m_pWidget) {
        CRect r;
        owner->GetWindowRect(&r);
        area = QRect(r.left, r.top, r.Width(), r.Height());
    } else if (QScreen* screen = m_pWidget->screen()) {
        area = screen->availableGeometry();
    }
    QPoint topLeft(area.left() + (area.width() - m_pWidget->width()) / 2,
                     area.top() + (area.height() - m_pWidget->height()) / 2);
    // A child window moves in its parent's client coordinates.
    if (!m_pWidget->isWindow() && m_pWidget->parentWidget())
        topLeft = m_pWidget->parentWidget()->mapFromGlobal(topLeft);
    MoveWindow(topLeft.x(), topLeft.y(), m_pWidget->width(), m_pWidget->height(), TRUE);
}

void CWnd::MoveWindow(LPCRECT r, BOOL bRepaint)
{
    MoveWindow(r->left, r->top, r->right - r->left, r->bottom - r->top, bRepaint);
}

namespace {
// Between a widget's client coordinates and the screen's, one way or the
// other; without a widget a point stays as it is.
using KMapPoint = QPoint (QWidget::*)(const QPoint&) const;

void MapPoint(const QWidget* w, KMapPoint map, LPPOINT p)
{
    if (!w) return;
    const QPoint q = (w->*map)(QPoint(p->x, p->y));
    p->x = q.x();
    p->y = q.y();
}

void MapRect(const QWidget* w, KMapPoint map, LPRECT r)
{
    POINT a{r->left, r->top}, b{r->right, r->bottom};
    MapPoint(w, map, &a);
    MapPoint(w, map, &b);
    *r = CRect(a.x, a.y, b.x, b.y);
}
} // namespace

void CWnd::ClientToScreen(LPPOINT p) const { MapPoint(m_pWidget, &QWidget::mapToGlobal, p); }
void CWnd::ClientToScreen(LPRECT r) const { MapRect(m_pWidget, &QWidget::mapToGlobal, r); }
void CWnd::ScreenToClient(LPPOINT p) const { MapPoint(m_pWidget, &QWidget::mapFromGlobal, p); }
void CWnd::ScreenToClient(LPRECT r) const { MapRect(m_pWidget, &QWidget::mapFromGlobal, r); }

void CWnd::Invalidate(BOOL bErase)
{
    CRect c;
    GetClientRect(&c);
    InvalidateRect(&c, bErase);
}

void CWnd::InvalidateRect(LPCRECT lpRect, BOOL bErase)
{
    CRect c;
    GetClientRect(&c);
    CRect r;
    if (lpRect) r.IntersectRect(lpRect, &c);
    else r = c;
    if (r.IsRectEmpty()) return;
    m_rcInvalid.UnionRect(&m_rcInvalid, &r);
    if (bErase) m_bEraseInvalid = true;
    if (m_pWidget) m_pWidget->update(QRect(r.left, r.top, r.Width(), r.Height()));
}

void CWnd::ValidateRect(LPCRECT lpRect)
{
    // The invalid area is one rectangle: validating part of it keeps the whole.
    CRect r = lpRect ? CRect(*lpRect) : m_rcInvalid;
    CRect both;
    both.UnionRect(&r, &m_rcInvalid);
    if (both.left == r.left && both.top == r.top && both.right == r.right && both.bottom == r.bottom) {
        m_rcInvalid.SetRectEmpty();
        m_bEraseInvalid = false;
    }
}

bool CWnd::GetUpdateRect(LPRECT lpRect) const
{
    if (lpRect) *lpRect = m_rcInvalid;
    return !m_rcInvalid.IsRectEmpty();
}

void CWnd::UpdateWindow()
{
    if (!m_pSurface || m_rcInvalid.IsRectEmpty()) return;
    OnPaint();
}

CDC* CWnd::GetDC()
{
    if (!m_pSurface) return nullptr;
    m_dcs.push_back(std::make_unique<CClientDC>(this));
    return m_dcs.back().get();
}

int CWnd::ReleaseDC(CDC* pDC)
{
    for (auto it = m_dcs.begin(); it != m_dcs.end(); ++it) {
        if (it->get() == pDC) {
            m_dcs.erase(it);
            return 1;
        }
    }
    return 0;
}

CWnd* CWnd::SetCapture()
{
    CWnd* old = g_pCapture;
    g_pCapture = this;
    return old;
}

CWnd* CWnd::GetCapture()
{
    return g_pCapture;
}

BOOL CWnd::ReleaseCapture()
{
    g_pCapture = nullptr;
    return TRUE;
}

CWnd* CWnd::GetFocus()
{
    return FromWidget(QApplication::focusWidget());
}

void CWnd::DragAcceptFiles(BOOL bAccept)
{
    if (m_pWidget) m_pWidget->setAcceptDrops(bAccept != FALSE);
}

void CWnd::OnPaint()
{
    CPaintDC dc(this);
}

BOOL CWnd::OnEraseBkgnd(CDC* pDC)
{
    CRect r;
    GetClientRect(&r);
    pDC->FillSolidRect(&r, RGB(255, 255, 255));
    return TRUE;
}

void CWnd::OnSize(UINT, int, int) {}
void CWnd::OnLButtonDown(UINT, CPoint) {}
void CWnd::OnLButtonUp(UINT, CPoint) {}
void CWnd::OnLButtonDblClk(UINT, CPoint) {}
void CWnd::OnRButtonDown(UINT, CPoint) {}
void CWnd::OnRButtonUp(UINT, CPoint) {}
void CWnd::OnMouseMove(UINT, CPoint) {}
BOOL CWnd::OnMouseWheel(UINT, short, CPoint) { return FALSE; }
void CWnd::OnKeyDown(UINT, UINT, UINT) {}
void CWnd::OnKeyUp(UINT, UINT, UINT) {}
void CWnd::OnChar(UINT, UINT, UINT) {}
void CWnd::OnSetFocus(CWnd*) {}
void CWnd::OnKillFocus(CWnd*) {}
void CWnd::OnDropFiles(const std::vector<CString>&) {}

BOOL CWnd::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    // Only a child asks its parent: a floating window's owner has no say.
    if (m_pWidget && !m_pWidget->isWindow()) {
        if (CWnd* parent = GetParent(); parent && parent->OnSetCursor(pWnd, nHitTest, message)) return TRUE;
    }
    if (pWnd == this) SetCursor(LoadStandardCursor(IDC_ARROW));
    return FALSE;
}

void CWnd::OnContextMenu(CWnd* pWnd, CPoint point)
{
    if (m_pWidget && m_pWidget->isWindow()) return;
    if (CWnd* parent = GetParent()) parent->OnContextMenu(pWnd, point);
}

int CWnd::OnCreate(LPCREATESTRUCT) { return 0; }
void CWnd::OnMouseActivate() {}

bool CWnd::IsCommandHandled(UINT nID)
{
    return HasRoutedHandler(nID);
}

// ---- contexts over a window ----

CPaintDC::CPaintDC(CWnd* pWnd) : CDC(pWnd->GetSurface()), m_pWnd(pWnd)
{
    m_ps.rcPaint = pWnd->m_rcInvalid;
    m_ps.fErase = pWnd->m_bEraseInvalid ? TRUE : FALSE;
    pWnd->m_rcInvalid.SetRectEmpty();
    pWnd->m_bEraseInvalid = false;
    SetDeviceLimit(CRect(m_ps.rcPaint));
    if (m_ps.rcPaint.right <= m_ps.rcPaint.left || m_ps.rcPaint.bottom <= m_ps.rcPaint.top) {
        // Nothing was invalid: a paint without an invalid area draws nothing.
        SetDeviceLimit(CRect(0, 0, 0, 0));
        SetTargetSurface(nullptr);
    }
    else if (m_ps.fErase) {
        // The background is erased before the painter draws; OnEraseBkgnd
        // returning 0 leaves the erase pending, which no one asks about here.
        SaveDC();
        pWnd->OnEraseBkgnd(this);
        RestoreDC(-1);
    }
}

CPaintDC::~CPaintDC() = default;

CClientDC::CClientDC(CWnd* pWnd) : CDC(pWnd->GetSurface()), m_pWnd(pWnd) {}

CClientDC::~CClientDC() = default;
