#include "framework/ui/CDialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPixmap>
#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QRadioButton>
#include <QScrollBar>
#include <QDialog>
#include <QEvent>
#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <map>

#include "framework/base/UserServices.h"
#include "framework/ui/AfxIds.h"
#include "framework/ui/CWinApp.h"
#include "framework/ui/ControlIds.h"
#include "framework/ui/KEventFilter.h"
#include "framework/ui/KHelp.h"

namespace {

std::map<UINT, DialogTemplateSetup>& templates()
{
    static std::map<UINT, DialogTemplateSetup> t;
    return t;
}

DialogDriver& driver()
{
    static DialogDriver d;
    return d;
}

} // namespace

// The dialog's widget: Escape and the close box go through OnCancel, Enter
// through the default button, as on the platform. Its dialog lets go of it
// before it is deleted later; should it go first (with a parent window),
// the dialog forgets it.
class KDialogWidget : public QDialog {
public:
    KDialogWidget(CDialog* owner, QWidget* parent) : QDialog(parent), m_pOwner(owner) {}
    ~KDialogWidget() override
    {
        if (m_pOwner) m_pOwner->widgetGone();
    }
    CDialog* m_pOwner;

protected:
    void closeEvent(QCloseEvent* e) override
    {
        e->ignore();
        if (m_pOwner) m_pOwner->OnCommand(IDCANCEL, BN_CLICKED);
    }
    void reject() override
    {
        if (m_pOwner) m_pOwner->OnCommand(IDCANCEL, BN_CLICKED);
    }
    void accept() override
    {
        if (m_pOwner) m_pOwner->OnCommand(IDOK, BN_CLICKED);
    }
};

KDialogTemplate::KDialogTemplate(UINT nID, DialogTemplateSetup setup)
{
    templates()[nID] = setup;
}

DialogDriver SetDialogDriver(DialogDriver d)
{
    DialogDriver old = std::move(driver());
    driver() = std::move(d);
    return old;
}

bool HasDialogDriver()
{
    return bool(driver());
}

// ---- data exchange --------------------------------------------------------

void CDataExchange::Fail()
{
    if (CWnd* w = m_pDlgWnd->GetDlgItem(m_nLastCtrl))
        w->SetFocus();
    throw CDataExchangeFailure();
}

namespace {

CString trimmedText(CDataExchange* pDX, int nID)
{
    CString s = pDX->m_pDlgWnd->GetDlgItemText(nID);
    return s.Trim();
}

bool parseNumber(const CString& s, double& v)
{
    std::string t = s.str();
    for (char& c : t) {
        if (c == ',')
            c = '.'; // a decimal comma is what a Russian user types
    }
    char* end = nullptr;
    v = std::strtod(t.c_str(), &end);
    return !t.empty() && end && *end == '\0' && std::isfinite(v);
}

bool parseNumber(const CString& s, long& v)
{
    char* end = nullptr;
    v = std::strtol(s.GetString(), &end, 10);
    return !s.IsEmpty() && end && *end == '\0';
}

CString shown(long v)
{
    CString s;
    s.Format("%ld", v);
    return s;
}

CString shown(double v)
{
    CString s;
    s.Format("%.15g", v);
    return s;
}

// Tells the user what the control wants and sends the focus back to it.
void refuse(CDataExchange* pDX, const CString& prompt)
{
    AfxMessageBox(prompt, MB_OK | MB_ICONEXCLAMATION);
    pDX->Fail();
}

// A number in an edit: text that does not read as one is refused with prompt.
template <class T> void exchangeNumber(CDataExchange* pDX, int nID, T& value, const char* prompt)
{
    pDX->PrepareCtrl(nID);
    if (pDX->m_bSaveAndValidate) {
        T v;
        if (!parseNumber(trimmedText(pDX, nID), v))
            refuse(pDX, prompt);
        value = v;
    } else {
        pDX->m_pDlgWnd->SetDlgItemText(nID, shown(value));
    }
}

} // namespace

void DDX_Text(CDataExchange* pDX, int nID, CString& value)
{
    pDX->PrepareCtrl(nID);
    if (pDX->m_bSaveAndValidate)
        value = pDX->m_pDlgWnd->GetDlgItemText(nID);
    else
        pDX->m_pDlgWnd->SetDlgItemText(nID, value);
}

void DDX_Text(CDataExchange* pDX, int nID, long& value)
{
    exchangeNumber(pDX, nID, value, "Введите целое число.");
}

void DDX_Text(CDataExchange* pDX, int nID, int& value)
{
    long v = value;
    DDX_Text(pDX, nID, v);
    if (pDX->m_bSaveAndValidate) {
        if (v < -2147483647L - 1 || v > 2147483647L)
            refuse(pDX, "Введите целое число.");
        value = int(v);
    }
}

void DDX_Text(CDataExchange* pDX, int nID, double& value)
{
    exchangeNumber(pDX, nID, value, "Введите число.");
}

void DDX_Text(CDataExchange* pDX, int nID, float& value)
{
    if (!pDX->m_bSaveAndValidate) {
        // A float shows the digits it holds, not those of its double.
        pDX->PrepareCtrl(nID);
        CString s;
        s.Format("%.*g", FLT_DIG, double(value));
        pDX->m_pDlgWnd->SetDlgItemText(nID, s);
        return;
    }
    double v = value;
    DDX_Text(pDX, nID, v);
    value = float(v);
}

void DDX_Check(CDataExchange* pDX, int nID, int& value)
{
    pDX->PrepareCtrl(nID);
    if (pDX->m_bSaveAndValidate)
        value = pDX->m_pDlgWnd->IsDlgButtonChecked(nID);
    else
        pDX->m_pDlgWnd->CheckDlgButton(nID, value);
}

void DDX_CBIndex(CDataExchange* pDX, int nID, int& value)
{
    pDX->PrepareCtrl(nID);
    CComboBox* c = pDX->m_pDlgWnd->GetDlgItemAs<CComboBox>(nID);
    if (!c)
        return;
    if (pDX->m_bSaveAndValidate)
        value = c->GetCurSel();
    else
        c->SetCurSel(value);
}

void DDX_Radio(CDataExchange* pDX, int nID, int& value)
{
    pDX->PrepareCtrl(nID);
    CWnd* first = pDX->m_pDlgWnd->GetDlgItem(nID);
    const std::vector<QAbstractButton*> group = KRadioGroupFrom(first ? first->GetWidget() : nullptr);
    if (pDX->m_bSaveAndValidate) {
        value = -1;
        for (size_t i = 0; i < group.size() && value < 0; ++i)
            if (group[i]->isChecked()) value = int(i);
    } else {
        for (size_t i = 0; i < group.size(); ++i) KSetButtonChecked(group[i], int(i) == value);
    }
}

void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal)
{
    if (pDX->m_bSaveAndValidate && (value < minVal || value > maxVal)) {
        CString s;
        s.Format("Введите целое число от %d до %d.", minVal, maxVal);
        refuse(pDX, s);
    }
}

void DDV_MinMaxDouble(CDataExchange* pDX, double value, double minVal, double maxVal)
{
    if (pDX->m_bSaveAndValidate && (value < minVal || value > maxVal)) {
        CString s;
        s.Format("Введите число от %g до %g.", minVal, maxVal);
        refuse(pDX, s);
    }
}

void DDX_TextInRange(CDataExchange* pDX, int nID, int& value, int minVal, int maxVal)
{
    DDX_Text(pDX, nID, value);
    DDV_MinMaxInt(pDX, value, minVal, maxVal);
}

void DDX_TextInRange(CDataExchange* pDX, int nID, double& value, double minVal, double maxVal)
{
    DDX_Text(pDX, nID, value);
    DDV_MinMaxDouble(pDX, value, minVal, maxVal);
}

void DDX_TextInRange(CDataExchange* pDX, int nID, float& value, double minVal, double maxVal)
{
    DDX_Text(pDX, nID, value);
    DDV_MinMaxDouble(pDX, value, minVal, maxVal);
}

// ---- the dialog -----------------------------------------------------------

CDialog::CDialog(UINT nIDTemplate, CWnd* pParent) : m_pParentWnd(pParent), m_nIDTemplate(nIDTemplate) {}

CDialog::~CDialog()
{
    DestroyWindow();
}

bool CDialog::build()
{
    auto it = templates().find(m_nIDTemplate);
    if (it == templates().end())
        return false;
    QWidget* parent = m_pParentWnd ? m_pParentWnd->GetWidget() : nullptr;
    auto* dlg = new KDialogWidget(this, parent);
    it->second(dlg);
    Attach(dlg, true);
    connectControls();
    layOut();
    m_bEnded = false;
    return true;
}

void CDialog::layOut()
{
    // OnInitDialog finds its controls where the user will see them, as a
    // dialog template places them on the platform: the dialog takes the
    // size it will be shown with and its layouts run now. A hidden widget
    // hears no resize, so each layout is run in turn, outer ones first.
    m_pWidget->ensurePolished();
    if (!m_pWidget->testAttribute(Qt::WA_Resized))
        m_pWidget->adjustSize();
    QList<QWidget*> widgets = m_pWidget->findChildren<QWidget*>();
    widgets.prepend(m_pWidget);
    for (QWidget* w : widgets) {
        if (QLayout* l = w->layout()) {
            l->invalidate();
            l->activate();
        }
    }
}

void CDialog::connectControls()
{
    QObject* receiver = Receiver();
    // A control's focus leaving reaches its dialog. The watcher belongs to the
    // dialog's connections (CWnd::Receiver), so it goes as soon as the dialog
    // lets go of its widget, which lives on until the event loop deletes it.
    auto* watcher = new KEventFilter(
        [this](QObject* o, QEvent* e) {
            if (e->type() == QEvent::FocusOut) {
                if (auto* w = qobject_cast<QWidget*>(o))
                    NotifyKillFocus(KControlId(w));
            }
            return false;
        },
        receiver);
    for (QWidget* w : m_pWidget->findChildren<QWidget*>()) {
        int id = KControlId(w);
        if (!id)
            continue;
        if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            QObject::connect(b, &QAbstractButton::clicked, receiver, [this, id] { OnCommand(UINT(id), BN_CLICKED); });
        } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
            QObject::connect(e, &QLineEdit::textEdited, receiver, [this, id] { OnCommand(UINT(id), EN_CHANGE); });
            e->installEventFilter(watcher);
        } else if (auto* c = qobject_cast<QComboBox*>(w)) {
            // The user's choice only: SetCurSel does not notify, as on the platform.
            QObject::connect(c, &QComboBox::activated, receiver, [this, id] { OnCommand(UINT(id), CBN_SELCHANGE); });
        } else if (auto* s = qobject_cast<QScrollBar*>(w)) {
            // An up-down's arrows: the bar never moves, each arrow is one step.
            s->setRange(0, 2);
            s->setSingleStep(1);
            s->setPageStep(1);
            s->setValue(1);
            QObject::connect(s, &QAbstractSlider::actionTriggered, receiver, [this, id, s](int action) {
                bool vertical = s->orientation() == Qt::Vertical;
                bool towardStart = action == QAbstractSlider::SliderSingleStepSub || action == QAbstractSlider::SliderPageStepSub;
                bool towardEnd = action == QAbstractSlider::SliderSingleStepAdd || action == QAbstractSlider::SliderPageStepAdd;
                s->setSliderPosition(1);
                if (towardStart || towardEnd)
                    spinArrow(id, vertical ? towardStart : towardEnd); // the top, or the right, arrow is the upper one
            });
        }
    }
}

void CDialog::spinArrow(int nID, bool bUpperArrow)
{
    CSpinButtonCtrl* spin = GetDlgItemAs<CSpinButtonCtrl>(nID);
    if (!spin)
        return;
    int lower, upper;
    spin->GetRange(lower, upper);
    int toward = upper >= lower ? 1 : -1;
    NMUPDOWN nm;
    nm.hdr.hwndFrom = spin;
    nm.hdr.idFrom = UINT_PTR(nID);
    nm.hdr.code = UDN_DELTAPOS;
    nm.iPos = spin->GetPos();
    nm.iDelta = bUpperArrow ? toward : -toward;
    LRESULT result = 0;
    OnNotify(UINT(nID), &nm.hdr, &result);
    // At an end of the range the notification is still sent (dialogs use
    // the arrows for their deltas alone), but the position stays.
    if (result == 0)
        spin->SetPos(nm.iPos + nm.iDelta);
}

bool CDialog::OnNotify(UINT nID, NMHDR* pNMHDR, LRESULT* pResult)
{
    auto it = m_notifyHandlers.find({nID, pNMHDR->code});
    if (it == m_notifyHandlers.end())
        return false;
    it->second(pNMHDR, pResult);
    return true;
}

bool CDialog::canUse(int nID)
{
    CWnd* w = GetDlgItem(nID);
    return w && w->GetWidget()->isEnabled() && w->GetWidget()->isVisibleTo(m_pWidget);
}

void CDialog::PressSpin(int nID, bool bUpperArrow)
{
    if (!canUse(nID) || !GetDlgItemAs<CSpinButtonCtrl>(nID))
        return;
    auto* s = static_cast<QScrollBar*>(GetDlgItem(nID)->GetWidget());
    bool vertical = s->orientation() == Qt::Vertical;
    s->triggerAction(bUpperArrow == vertical ? QAbstractSlider::SliderSingleStepSub : QAbstractSlider::SliderSingleStepAdd);
}

void CDialog::ChooseComboItem(int nID, int nIndex)
{
    if (!canUse(nID) || !GetDlgItemAs<CComboBox>(nID))
        return;
    auto* c = static_cast<QComboBox*>(GetDlgItem(nID)->GetWidget());
    if (nIndex < 0 || nIndex >= c->count())
        return;
    c->setCurrentIndex(nIndex);
    emit c->activated(nIndex); // what the combo does when the user picks an item
}

bool CDialog::TypeDlgItemText(int nID, const CString& text)
{
    if (!canUse(nID))
        return false;
    auto* e = qobject_cast<QLineEdit*>(GetDlgItem(nID)->GetWidget());
    if (!e || e->isReadOnly())
        return false;
    e->selectAll();
    e->insert(QString::fromUtf8(text.GetString())); // an edit by the user: textEdited, hence EN_CHANGE
    return true;
}

void CDialog::NotifyKillFocus(int nID)
{
    if (nID)
        OnCommand(UINT(nID), EN_KILLFOCUS);
}

bool CDialog::OnCommand(UINT nID, UINT nCode)
{
    if (OnCmdMsg(nID, nCode))
        return true;
    if (nCode == BN_CLICKED && nID == IDOK) {
        OnOK();
        return true;
    }
    if (nCode == BN_CLICKED && nID == IDCANCEL) {
        OnCancel();
        return true;
    }
    // The Help button: the dialog's topic in the program's guide.
    if (nCode == BN_CLICKED && nID == ID_HELP) {
        if (CWinApp* app = AfxGetApp()) app->WinHelp(HID_BASE_RESOURCE + m_nIDTemplate, HELP_CONTEXT);
        return true;
    }
    return false;
}

INT_PTR CDialog::DoModal()
{
    if (!build()) {
        AfxMessageBox("Не найден шаблон диалога.", MB_OK | MB_ICONERROR);
        return -1;
    }
    m_bModal = true;
    m_nResult = IDCANCEL;
    UpdateData(false);
    OnInitDialog();
    if (m_bEnded) {
        // ended from its own initialisation
    } else if (const char* dir = std::getenv("KAVREL_SCREENSHOT_DIR"); dir && *dir) {
        saveScreenshot(dir);
    } else if (HasDialogDriver()) {
        DialogDriver d = driver(); // the script may open dialogs of its own
        d(*this);
        if (!m_bEnded)
            EndDialog(IDCANCEL);
    } else {
        static_cast<QDialog*>(m_pWidget)->exec();
    }
    m_bModal = false;
    INT_PTR result = m_nResult;
    DestroyWindow();
    return result;
}

// For looking at the program without a display: the dialog is drawn into a
// PNG named after the program and the dialog, the items of its system menu
// are opened in turn (so their dialogs are drawn too), and it ends.
void CDialog::saveScreenshot(const char* dir)
{
    m_pWidget->adjustSize();
    m_pWidget->show();
    QApplication::processEvents();
    QString name = QString("%1/%2-%3.png").arg(QString::fromUtf8(dir), QApplication::applicationName()).arg(m_nIDTemplate);
    m_pWidget->grab().save(name);
    for (QAction* a : m_pWidget->actions())
        a->trigger();
    EndDialog(IDCANCEL);
}

bool CDialog::Create(UINT nIDTemplate, CWnd* pParent)
{
    m_nIDTemplate = nIDTemplate;
    m_pParentWnd = pParent;
    if (!build())
        return false;
    UpdateData(false);
    OnInitDialog();
    m_pWidget->show();
    return true;
}

BOOL CDialog::DestroyWindow()
{
    if (!m_pWidget || !m_bOwnsWidget) return FALSE;
    m_typedControls.clear();
    ForgetControls();
    // The widget is deleted from the event loop, after this object may have
    // gone: from here on none of its events and signals reaches the dialog
    // (Detach ends the connections and the focus watcher).
    if (auto* dw = dynamic_cast<KDialogWidget*>(m_pWidget)) dw->m_pOwner = nullptr;
    QWidget* w = Detach();
    w->hide();
    w->deleteLater();
    return TRUE;
}

void CDialog::widgetGone()
{
    m_typedControls.clear();
    ForgetControls();
    Detach();
}

void CDialog::EndDialog(int nResult)
{
    m_nResult = nResult;
    m_bEnded = true;
    if (m_pWidget && m_bModal && !HasDialogDriver())
        static_cast<QDialog*>(m_pWidget)->done(nResult);
    else if (m_pWidget && !m_bModal)
        m_pWidget->hide();
}

bool CDialog::OnInitDialog()
{
    return true;
}

void CDialog::OnOK()
{
    if (UpdateData(true))
        EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::OnSysCommand(UINT) {}

void CDialog::DoDataExchange(CDataExchange*) {}

bool CDialog::UpdateData(bool bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (const CDataExchangeFailure&) {
        return false;
    }
    return true;
}

void CDialog::AppendSystemMenuItem(UINT nID, const CString& text)
{
    // No system menu here: the item lives in the dialog's context menu.
    if (!m_pWidget)
        return;
    m_pWidget->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* action = new QAction(QString::fromUtf8(text.GetString()).replace('&', QString()), m_pWidget);
    QObject::connect(action, &QAction::triggered, Receiver(), [this, nID] { OnSysCommand(nID); });
    m_pWidget->addAction(action);
}
