// CKProgressDlg: the modeless progress window of long computations, with a
// bar, a percentage, a status line and "Прервать". CKProgressService shows it for the
// core's progress reports.
#pragma once
#include "framework/base/ProgressService.h"
#include "framework/ui/CDialog.h"

class CKProgressDlg : public CDialog {
public:
    enum { IDD = 4107, IDS_CAPTION = 4108 };

    explicit CKProgressDlg(UINT nCaptionID = 0);
    ~CKProgressDlg() override;

    bool Create(CWnd* pParent = nullptr);
    // Gives the owner back its input, then destroys the window.
    BOOL DestroyWindow() override;

    void SetRange(int nLower, int nUpper);
    int SetStep(int nStep);
    int SetPos(int nPos);
    int OffsetPos(int nPos);
    int StepIt();
    void SetStatus(const CString& text);
    void PumpMessages();

    bool OnInitDialog() override;
    // Enter does nothing; "Прервать" and Escape ask the computation to stop
    // at its next step (the window stays until the computation closes it).
    void OnOK() override {}
    void OnCancel() override { m_bCancelled = true; }
    bool IsCancelled() const { return m_bCancelled; }

    // The percentage text for a position, as the static shows it.
    CString PercentText(int nPos) const;

    UINT m_nCaptionID;
    int m_nLower = 0;
    int m_nUpper = 100;
    int m_nStep = 10;
    int m_nPos = 0;
    bool m_bParentDisabled = false;
    bool m_bCancelled = false;
    CWnd* m_pOwner = nullptr;

private:
    void UpdatePercent(int nPos);
    CString m_sLastPercent;
};

class CKProgressService : public IProgressService {
public:
    void Open(int lower, int upper, const CString& status) override;
    void SetPos(int pos) override;
    void Close() override;
    bool Cancelled() const override;
    CKProgressDlg* Dialog() const { return m_pDlg; }

private:
    CKProgressDlg* m_pDlg = nullptr;
};

// Installs the windowed services of the library (the progress dialog).
void KInstallViewServices();
