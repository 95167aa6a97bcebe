#include "framework/ui/CControls.h"
#include "framework/ui/ControlIds.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVariant>
#include <algorithm>

namespace {

// The control's state lives on its widget, so every wrapper of it agrees.
int intProperty(const QWidget* w, const char* name, int defaultValue)
{
    QVariant v = w ? w->property(name) : QVariant();
    return v.isValid() ? v.toInt() : defaultValue;
}

int clampToRange(int v, int a, int b)
{
    return std::clamp(v, std::min(a, b), std::max(a, b));
}

QString toQ(const CString& s)
{
    return QString::fromUtf8(s.GetString());
}

CString fromQ(const QString& s)
{
    return CString(s.toUtf8().toStdString());
}

} // namespace

// ---- up-down --------------------------------------------------------------

bool CSpinButtonCtrl::IsControl(const QWidget* w)
{
    return qobject_cast<const QScrollBar*>(w) != nullptr;
}

void CSpinButtonCtrl::SetRange(int nLower, int nUpper)
{
    if (!m_pWidget)
        return;
    m_pWidget->setProperty("udLower", nLower);
    m_pWidget->setProperty("udUpper", nUpper);
    m_pWidget->setProperty("udPos", clampToRange(GetPos(), nLower, nUpper));
}

void CSpinButtonCtrl::GetRange(int& nLower, int& nUpper) const
{
    nLower = intProperty(m_pWidget, "udLower", 100);
    nUpper = intProperty(m_pWidget, "udUpper", 0);
}

int CSpinButtonCtrl::SetPos(int nPos)
{
    int previous = GetPos();
    int lower, upper;
    GetRange(lower, upper);
    if (m_pWidget)
        m_pWidget->setProperty("udPos", clampToRange(nPos, lower, upper));
    return previous;
}

int CSpinButtonCtrl::GetPos() const
{
    return intProperty(m_pWidget, "udPos", 0);
}

// ---- combo box -----------------------------------------------------------

namespace {
QComboBox* combo(QWidget* w)
{
    return qobject_cast<QComboBox*>(w);
}
} // namespace

bool CComboBox::IsControl(const QWidget* w)
{
    return qobject_cast<const QComboBox*>(w) != nullptr;
}

int CComboBox::AddString(const CString& text)
{
    QComboBox* c = combo(m_pWidget);
    if (!c)
        return CB_ERR;
    // Qt selects the first item added to an empty box; the platform does not.
    QSignalBlocker block(c);
    int selected = c->currentIndex();
    c->addItem(toQ(text));
    c->setCurrentIndex(selected);
    return c->count() - 1;
}

void CComboBox::ResetContent()
{
    if (QComboBox* c = combo(m_pWidget)) {
        QSignalBlocker block(c);
        c->clear();
    }
}

int CComboBox::GetCount() const
{
    QComboBox* c = combo(m_pWidget);
    return c ? c->count() : 0;
}

int CComboBox::SetCurSel(int nSelect)
{
    QComboBox* c = combo(m_pWidget);
    if (!c)
        return CB_ERR;
    QSignalBlocker block(c);
    bool valid = nSelect >= 0 && nSelect < c->count();
    c->setCurrentIndex(valid ? nSelect : -1);
    return valid ? nSelect : CB_ERR;
}

int CComboBox::GetCurSel() const
{
    QComboBox* c = combo(m_pWidget);
    return c ? c->currentIndex() : CB_ERR;
}

int CComboBox::GetLBText(int nIndex, CString& text) const
{
    QComboBox* c = combo(m_pWidget);
    if (!c || nIndex < 0 || nIndex >= c->count())
        return CB_ERR;
    text = fromQ(c->itemText(nIndex));
    return text.GetLength();
}

// ---- buttons -------------------------------------------------------------

bool CButton::IsControl(const QWidget* w)
{
    return qobject_cast<const QAbstractButton*>(w) != nullptr;
}

void CButton::SetCheck(int nCheck)
{
    if (auto* b = qobject_cast<QAbstractButton*>(m_pWidget))
        KSetButtonChecked(b, nCheck != BST_UNCHECKED);
}

int CButton::GetCheck() const
{
    auto* b = qobject_cast<QAbstractButton*>(m_pWidget);
    return b && b->isChecked() ? BST_CHECKED : BST_UNCHECKED;
}
