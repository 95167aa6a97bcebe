// CDialog: a dialog built from its template (a Qt Designer form
// registered under the dialog's numeric ID), modal or modeless, with data
// exchange and the notifications its handlers expect.
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <typeindex>
#include <typeinfo>
#include <utility>

#include "framework/ui/CControls.h"
#include "framework/ui/CWnd.h"

class QDialog;
class CDialog;
class KDialogWidget;

// The form of dialog nID: fills an empty dialog with its controls.
using DialogTemplateSetup = void (*)(QDialog*);
struct KDialogTemplate {
    KDialogTemplate(UINT nID, DialogTemplateSetup setup);
};
// The form of dialog nID straight from its Qt Designer form class (Ui::Name).
template <class Form>
struct KFormTemplate : KDialogTemplate {
    explicit KFormTemplate(UINT nID) : KDialogTemplate(nID, [](QDialog* d) { Form().setupUi(d); }) {}
};

// Data exchange between controls and members.
class CDataExchange {
public:
    CDataExchange(CDialog* pDlg, bool bSaveAndValidate) : m_pDlgWnd(pDlg), m_bSaveAndValidate(bSaveAndValidate) {}
    // Ends the exchange after a failed validation (the control gets the focus).
    void Fail();
    void PrepareCtrl(int nID) { m_nLastCtrl = nID; }

    CDialog* m_pDlgWnd;
    bool m_bSaveAndValidate;
    int m_nLastCtrl = 0;
};
struct CDataExchangeFailure {};

void DDX_Text(CDataExchange* pDX, int nID, CString& value);
void DDX_Text(CDataExchange* pDX, int nID, int& value);
void DDX_Text(CDataExchange* pDX, int nID, long& value);
void DDX_Text(CDataExchange* pDX, int nID, double& value);
void DDX_Text(CDataExchange* pDX, int nID, float& value);
void DDX_Check(CDataExchange* pDX, int nID, int& value);
// The selected item's index (-1 for none).
void DDX_CBIndex(CDataExchange* pDX, int nID, int& value);
// The index of the checked radio button in the group that starts at nID,
// counted in the form's order whatever the IDs; -1 for none.
void DDX_Radio(CDataExchange* pDX, int nID, int& value);
void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal);
void DDV_MinMaxDouble(CDataExchange* pDX, double value, double minVal, double maxVal);
// A number typed into an edit box and held to [minVal, maxVal]: the exchange
// and its check in one call, as nearly every numeric field wants them.
void DDX_TextInRange(CDataExchange* pDX, int nID, int& value, int minVal, int maxVal);
void DDX_TextInRange(CDataExchange* pDX, int nID, double& value, double minVal, double maxVal);
void DDX_TextInRange(CDataExchange* pDX, int nID, float& value, double minVal, double maxVal);

class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParent = nullptr);
    ~CDialog() override;

    virtual INT_PTR DoModal();
    // Modeless.
    bool Create(UINT nIDTemplate, CWnd* pParent = nullptr);
    BOOL DestroyWindow() override;
    void EndDialog(int nResult);
    bool IsEnded() const { return m_bEnded; }
    UINT GetTemplateID() const { return m_nIDTemplate; }

    virtual bool OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    // The system menu's commands (the About item).
    virtual void OnSysCommand(UINT nID);
    virtual void DoDataExchange(CDataExchange* pDX);
    bool UpdateData(bool bSaveAndValidate = true);

    // Adds an item to the dialog's system menu (its context menu here).
    void AppendSystemMenuItem(UINT nID, const CString& text);
    // What a control's focus leaving does.
    void NotifyKillFocus(int nID);

    bool OnCommand(UINT nID, UINT nCode) override;
    // A control's notification with data (an up-down's UDN_DELTAPOS):
    // routed to the handler registered for it; false when there is none.
    virtual bool OnNotify(UINT nID, NMHDR* pNMHDR, LRESULT* pResult);

    // The control nID as a wrapper of its kind, or nullptr when there is
    // no such control or it is of another kind. The wrapper lives as long
    // as the dialog's window.
    template <class T> T* GetDlgItemAs(int nID)
    {
        CWnd* plain = GetDlgItem(nID);
        if (!plain || !T::IsControl(plain->GetWidget()))
            return nullptr;
        std::unique_ptr<CWnd>& slot = m_typedControls[{nID, std::type_index(typeid(T))}];
        if (!slot) {
            slot = std::make_unique<T>();
            slot->Attach(plain->GetWidget(), false);
        }
        return static_cast<T*>(slot.get());
    }

    // What a user does with the controls: press an up-down's upper or lower
    // arrow, choose an item of a combo or list box. Tests and dialog scripts
    // use them; a disabled or hidden control does not respond.
    void PressSpin(int nID, bool bUpperArrow);
    void ChooseComboItem(int nID, int nIndex);
    // Types text into edit nID in place of what it holds, as a user selects
    // all and types (the edit's own length and validation apply), so that
    // the dialog hears EN_CHANGE; false, with nothing typed, for a control
    // that is no edit or is disabled, hidden or read-only.
    bool TypeDlgItemText(int nID, const CString& text);

protected:
    using CCmdTarget::MapNotify;
    // ON_NOTIFY: the handler gets the notification and may refuse an
    // up-down's change by setting *pResult nonzero.
    template <class T> void MapNotify(UINT nID, UINT nCode, void (T::*fn)(NMHDR*, LRESULT*))
    {
        m_notifyHandlers[{nID, nCode}] = [this, fn](NMHDR* p, LRESULT* r) { (static_cast<T*>(this)->*fn)(p, r); };
    }

    // Null once the parent window object is gone (a modeless dialog may outlive it).
    KWndRef<CWnd> m_pParentWnd;

private:
    friend class KDialogWidget;
    bool build();
    // The widget went with its parent while this dialog still held it.
    void widgetGone();
    void connectControls();
    void layOut();
    void saveScreenshot(const char* dir);
    void spinArrow(int nID, bool bUpperArrow);
    bool canUse(int nID);

    UINT m_nIDTemplate;
    bool m_bEnded = false;
    int m_nResult = 0;
    bool m_bModal = false;
    std::map<std::pair<UINT, UINT>, std::function<void(NMHDR*, LRESULT*)>> m_notifyHandlers;
    std::map<std::pair<int, std::type_index>, std::unique_ptr<CWnd>> m_typedControls;
};

// Test and script control of modal dialogs: when a driver is installed,
// DoModal builds and initialises the dialog, hands it to the driver, and
// returns the result the driver ended it with (IDCANCEL if it did not).
using DialogDriver = std::function<void(CDialog&)>;
DialogDriver SetDialogDriver(DialogDriver driver);
bool HasDialogDriver();
