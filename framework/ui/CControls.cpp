#include "framework/ui/CControls.h"
#include "framework/ui/ControlIds.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QListWidget>
#include <QProgressBar>
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

// ---- list box ------------------------------------------------------------

namespace {
QListWidget* list(QWidget* w)
{
    return qobject_cast<QListWidget*>(w);
}
} // namespace

bool CListBox::IsControl(const QWidget* w)
{
    return qobject_cast<const QListWidget*>(w) != nullptr;
}

int CListBox::AddString(const CString& text)
{
    QListWidget* l = list(m_pWidget);
    if (!l)
        return LB_ERR;
    QSignalBlocker block(l);
    l->addItem(toQ(text));
    return l->count() - 1;
}

void CListBox::ResetContent()
{
    if (QListWidget* l = list(m_pWidget)) {
        QSignalBlocker block(l);
        l->clear();
    }
}

int CListBox::GetCount() const
{
    QListWidget* l = list(m_pWidget);
    return l ? l->count() : 0;
}

int CListBox::SetCurSel(int nSelect)
{
    QListWidget* l = list(m_pWidget);
    if (!l)
        return LB_ERR;
    QSignalBlocker block(l);
    bool valid = nSelect >= 0 && nSelect < l->count();
    l->setCurrentRow(valid ? nSelect : -1);
    return valid ? nSelect : LB_ERR;
}

int CListBox::GetCurSel() const
{
    QListWidget* l = list(m_pWidget);
    return l ? l->currentRow() : LB_ERR;
}

int CListBox::GetText(int nIndex, CString& text) const
{
    QListWidget* l = list(m_pWidget);
    if (!l || nIndex < 0 || nIndex >= l->count())
        return LB_ERR;
    text = fromQ(l->item(nIndex)->text());
    return text.GetLength();
}

// ---- progress bar --------------------------------------------------------

namespace {
QProgressBar* bar(QWidget* w)
{
    return qobject_cast<QProgressBar*>(w);
}
} // namespace

bool CProgressCtrl::IsControl(const QWidget* w)
{
    return qobject_cast<const QProgressBar*>(w) != nullptr;
}

void CProgressCtrl::SetRange(short nLower, short nUpper)
{
    if (QProgressBar* b = bar(m_pWidget)) {
        b->setRange(std::min(nLower, nUpper), std::max(nLower, nUpper));
        b->setProperty("pbLower", int(nLower));
        b->setProperty("pbUpper", int(nUpper));
        SetPos(GetPos());
    }
}

void CProgressCtrl::GetRange(int& nLower, int& nUpper) const
{
    nLower = intProperty(m_pWidget, "pbLower", 0);
    nUpper = intProperty(m_pWidget, "pbUpper", 100);
}

int CProgressCtrl::SetPos(int nPos)
{
    int previous = GetPos();
    if (QProgressBar* b = bar(m_pWidget)) {
        int lower, upper;
        GetRange(lower, upper);
        int pos = clampToRange(nPos, lower, upper);
        b->setProperty("pbPos", pos);
        b->setValue(pos);
    }
    return previous;
}

int CProgressCtrl::GetPos() const
{
    int lower, upper;
    GetRange(lower, upper);
    return intProperty(m_pWidget, "pbPos", lower);
}

int CProgressCtrl::OffsetPos(int nPos)
{
    return SetPos(GetPos() + nPos);
}

int CProgressCtrl::SetStep(int nStep)
{
    int previous = intProperty(m_pWidget, "pbStep", 10);
    if (m_pWidget)
        m_pWidget->setProperty("pbStep", nStep);
    return previous;
}

int CProgressCtrl::StepIt()
{
    int lower, upper;
    GetRange(lower, upper);
    int pos = GetPos() + intProperty(m_pWidget, "pbStep", 10);
    if (pos > std::max(lower, upper))
        pos = std::min(lower, upper) + (pos - std::max(lower, upper));
    return SetPos(pos);
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
