#include "framework/ui/CWnd.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QTimer>
#include <QVariant>
#include <QWidget>

#include "framework/base/UserServices.h"
#include "framework/ui/ControlIds.h"

CWnd::CWnd() = default;

CWnd::~CWnd()
{
    m_pSelf.reset();
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

void CWnd::Attach(QWidget* pWidget, bool bOwns)
{
    m_pWidget = pWidget;
    m_bOwnsWidget = bOwns;
}

QWidget* CWnd::Detach()
{
    QWidget* w = m_pWidget;
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

void CWnd::ShowWindow(int nCmdShow)
{
    if (m_pWidget)
        m_pWidget->setVisible(nCmdShow != SW_HIDE);
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

void CWnd::CheckRadioButton(int nFirst, int nLast, int nCheck)
{
    for (int id = nFirst; id <= nLast; ++id)
        CheckDlgButton(id, id == nCheck ? 1 : 0);
}

int CWnd::GetCheckedRadioButton(int nFirst, int nLast)
{
    for (int id = nFirst; id <= nLast; ++id) {
        if (IsDlgButtonChecked(id))
            return id;
    }
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
    if (message == WM_COMMAND)
        return OnCommand(UINT(wParam & 0xFFFF), UINT((wParam >> 16) & 0xFFFF)) ? 1 : 0;
    if (message == WM_TIMER)
        OnTimer(UINT_PTR(wParam));
    return 0;
}

bool CWnd::OnCommand(UINT nID, UINT nCode)
{
    return OnCmdMsg(nID, nCode);
}

int CWnd::MessageBox(const CString& text, const CString& caption, UINT nType)
{
    return UserInteraction().MessageBox(text, caption, nType);
}
