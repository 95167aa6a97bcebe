#include "framework/ui/CToolTipCtrl.h"

#include <QCursor>
#include <QToolTip>
#include <QWidget>

CToolTipCtrl::CToolTipCtrl() = default;

CToolTipCtrl::~CToolTipCtrl()
{
    // Tools outlive nothing: a tip left on a window would show stale text.
    for (auto& [pWnd, text] : m_tools)
        if (pWnd->GetWidget())
            pWnd->GetWidget()->setToolTip(QString());
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
    m_tools[pWnd] = CString(lpszText ? lpszText : "");
    applyTo(pWnd);
    return TRUE;
}

void CToolTipCtrl::DelTool(CWnd* pWnd, UINT_PTR)
{
    auto it = m_tools.find(pWnd);
    if (it == m_tools.end())
        return;
    m_tools.erase(it);
    if (pWnd->GetWidget())
        pWnd->GetWidget()->setToolTip(QString());
}

void CToolTipCtrl::UpdateTipText(const char* lpszText, CWnd* pWnd, UINT_PTR)
{
    auto it = m_tools.find(pWnd);
    if (it == m_tools.end())
        return;
    it->second = CString(lpszText ? lpszText : "");
    applyTo(pWnd);
}

CString CToolTipCtrl::GetText(CWnd* pWnd, UINT_PTR) const
{
    auto it = m_tools.find(pWnd);
    return it == m_tools.end() ? CString() : it->second;
}

void CToolTipCtrl::Activate(BOOL bActivate)
{
    m_bActive = bActivate != FALSE;
    for (auto& [pWnd, text] : m_tools)
        applyTo(pWnd);
}

void CToolTipCtrl::SetDelayTime(DWORD dwDuration, int iTime)
{
    if (dwDuration == TTDT_AUTOMATIC || dwDuration == TTDT_INITIAL)
        m_nInitialDelay = iTime < 0 ? 500 : iTime;
}

int CToolTipCtrl::GetDelayTime(DWORD dwDuration) const
{
    return dwDuration == TTDT_INITIAL || dwDuration == TTDT_AUTOMATIC ? m_nInitialDelay : 0;
}

void CToolTipCtrl::applyTo(CWnd* pWnd)
{
    QWidget* w = pWnd->GetWidget();
    if (!w)
        return;
    const QString text = m_bActive ? QString::fromUtf8(m_tools[pWnd].GetString()) : QString();
    w->setToolTip(text);
    w->setToolTipDuration(-1);
    // A tip already up follows the text, as the platform's does on TTM_UPDATETIPTEXT.
    if (QToolTip::isVisible() && w->underMouse()) {
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(QCursor::pos(), text, w);
    }
}
