// CDialog: a dialog built from its template (a Qt Designer form
// registered under the dialog's numeric ID), modal or modeless, with data
// exchange and the notifications its handlers expect.
#pragma once
#include <functional>

#include "framework/ui/CWnd.h"

class QDialog;
class CDialog;

// The form of dialog nID: fills an empty dialog with its controls.
using DialogTemplateSetup = void (*)(QDialog*);
struct KDialogTemplate {
    KDialogTemplate(UINT nID, DialogTemplateSetup setup);
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
void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal);
void DDV_MinMaxDouble(CDataExchange* pDX, double value, double minVal, double maxVal);

class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParent = nullptr);
    ~CDialog() override;

    virtual INT_PTR DoModal();
    // Modeless.
    bool Create(UINT nIDTemplate, CWnd* pParent = nullptr);
    void DestroyWindow();
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

protected:
    CWnd* m_pParentWnd;

private:
    bool build();
    void connectControls();
    void saveScreenshot(const char* dir);

    UINT m_nIDTemplate;
    bool m_bEnded = false;
    int m_nResult = 0;
    bool m_bModal = false;
};

// Test and script control of modal dialogs: when a driver is installed,
// DoModal builds and initialises the dialog, hands it to the driver, and
// returns the result the driver ended it with (IDCANCEL if it did not).
using DialogDriver = std::function<void(CDialog&)>;
DialogDriver SetDialogDriver(DialogDriver driver);
bool HasDialogDriver();
