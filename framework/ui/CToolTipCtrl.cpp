#include "framework/ui/CToolTipCtrl.h"

#include <QCursor>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QToolTip>
#include <QWidget>

class CToolTipTimer : public QObject {
public:
    explicit CToolTipTimer(CToolTipCtrl* pCtrl) : m_pCtrl(pCtrl)
    {
        m_timer.setSingleShot(true);
        // A coarse timer may fire a little before the delay is over.
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Show(); });
    }

    void Watch(QWidget* w) { w->installEventFilter(this); }
    void Forget(QWidget* w)
    {
        w->removeEventFilter(this);
        if (m_pWidget == w) {
            m_timer.stop();
            m_pWidget = nullptr;
        }
    }
    bool IsWaiting() const { return m_timer.isActive(); }

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        auto* w = qobject_cast<QWidget*>(o);
        if (!w)
            return false;
        switch (e->type()) {
        case QEvent::ToolTip:
            return true; // shown by our own timer instead
        case QEvent::Enter:
        case QEvent::MouseMove:
            // The mouse must rest for the delay before the tip comes up;
            // a tip already up follows the text (see applyTo).
            if (!QToolTip::isVisible() || m_pWidget != w) {
                m_pWidget = w;
                m_timer.start(m_pCtrl->m_nInitialDelay);
            }
            break;
        case QEvent::Leave:
        case QEvent::MouseButtonPress:
            m_timer.stop();
            if (m_pWidget == w && QToolTip::isVisible())
                QToolTip::hideText();
            break;
        default:
            break;
        }
        return false;
    }

private:
    void Show()
    {
        if (!m_pWidget || !m_pCtrl->m_bActive)
            return;
        const QString text = m_pWidget->toolTip();
        if (!text.isEmpty())
            QToolTip::showText(QCursor::pos(), text, m_pWidget, QRect(), m_pCtrl->m_nAutoPopDelay);
    }

    CToolTipCtrl* m_pCtrl;
    QPointer<QWidget> m_pWidget;
    QTimer m_timer;
};

CToolTipCtrl::CToolTipCtrl() : m_pTimer(std::make_unique<CToolTipTimer>(this)) {}

CToolTipCtrl::~CToolTipCtrl()
{
    // Tools outlive nothing: a tip left on a window would show stale text.
    for (auto& [key, tool] : m_tools)
        if (CWnd* pWnd = tool.pWnd; pWnd && pWnd->GetWidget()) {
            pWnd->GetWidget()->setToolTip(QString());
            m_pTimer->Forget(pWnd->GetWidget());
        }
}

bool CToolTipCtrl::IsTipPending() const
{
    return m_pTimer->IsWaiting();
}

BOOL CToolTipCtrl::Create(CWnd* pParentWnd, DWORD)
{
    if (!pParentWnd || !pParentWnd->GetWidget())
        return FALSE;
    m_pOwner = pParentWnd;
    return TRUE;
}

BOOL CToolTipCtrl::AddTool(CWnd* pWnd, const char* lpszText, LPCRECT, UINT_PTR)
{
    if (!m_pOwner || !pWnd || !pWnd->GetWidget())
        return FALSE;
    m_tools[pWnd] = Tool{pWnd, CString(lpszText ? lpszText : "")};
    m_pTimer->Watch(pWnd->GetWidget());
    applyTo(pWnd);
    return TRUE;
}

void CToolTipCtrl::DelTool(CWnd* pWnd, UINT_PTR)
{
    auto it = m_tools.find(pWnd);
    if (it == m_tools.end())
        return;
    m_tools.erase(it);
    if (QWidget* w = pWnd->GetWidget()) {
        w->setToolTip(QString());
        m_pTimer->Forget(w);
    }
}

void CToolTipCtrl::UpdateTipText(const char* lpszText, CWnd* pWnd, UINT_PTR)
{
    auto it = m_tools.find(pWnd);
    if (it == m_tools.end())
        return;
    it->second.sText = CString(lpszText ? lpszText : "");
    applyTo(pWnd);
}

CString CToolTipCtrl::GetText(CWnd* pWnd, UINT_PTR) const
{
    auto it = m_tools.find(pWnd);
    return it == m_tools.end() ? CString() : it->second.sText;
}

void CToolTipCtrl::Activate(BOOL bActivate)
{
    m_bActive = bActivate != FALSE;
    for (auto& [key, tool] : m_tools)
        if (CWnd* pWnd = tool.pWnd) applyTo(pWnd);
}

void CToolTipCtrl::SetDelayTime(DWORD dwDuration, int iTime)
{
    switch (dwDuration) {
    case TTDT_AUTOMATIC:
        m_nInitialDelay = iTime < 0 ? 500 : iTime;
        m_nAutoPopDelay = 10 * m_nInitialDelay;
        break;
    case TTDT_INITIAL:
        m_nInitialDelay = iTime < 0 ? 500 : iTime;
        break;
    case TTDT_AUTOPOP:
        m_nAutoPopDelay = iTime < 0 ? 5000 : iTime;
        break;
    default:
        break;
    }
}

int CToolTipCtrl::GetDelayTime(DWORD dwDuration) const
{
    switch (dwDuration) {
    case TTDT_INITIAL:
    case TTDT_AUTOMATIC:
        return m_nInitialDelay;
    case TTDT_AUTOPOP:
        return m_nAutoPopDelay;
    default:
        return 0;
    }
}

void CToolTipCtrl::applyTo(CWnd* pWnd)
{
    QWidget* w = pWnd->GetWidget();
    if (!w)
        return;
    const QString text = m_bActive ? QString::fromUtf8(m_tools[pWnd].sText.GetString()) : QString();
    w->setToolTip(text);
    w->setToolTipDuration(m_nAutoPopDelay);
    // A tip already up follows the text, as the platform's does on TTM_UPDATETIPTEXT.
    if (QToolTip::isVisible() && w->underMouse()) {
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(QCursor::pos(), text, w);
    }
}
