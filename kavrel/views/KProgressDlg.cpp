#include "kavrel/views/KProgressDlg.h"

#include <QApplication>
#include <QProgressBar>
#include <QWidget>
#include <algorithm>

#include "framework/base/StringTable.h"
#include "framework/ui/CWinApp.h"

namespace {

QProgressBar* bar(CWnd* dlg)
{
    CWnd* w = dlg->GetDlgItem(1003);
    return w ? qobject_cast<QProgressBar*>(w->GetWidget()) : nullptr;
}

} // namespace

CKProgressDlg::CKProgressDlg(UINT nCaptionID) : CDialog(IDD), m_nCaptionID(nCaptionID ? nCaptionID : UINT(IDS_CAPTION)) {}

// The default caption.
static const KStringResource s_caption(CKProgressDlg::IDS_CAPTION, "K");

CKProgressDlg::~CKProgressDlg()
{
    DestroyWindow();
}

bool CKProgressDlg::Create(CWnd* pParent)
{
    m_pOwner = pParent;
    if (m_pOwner && m_pOwner->IsWindowEnabled()) {
        m_pOwner->EnableWindow(false);
        m_bParentDisabled = true;
    }
    if (!CDialog::Create(IDD, pParent)) {
        if (m_bParentDisabled)
            m_pOwner->EnableWindow(true);
        m_bParentDisabled = false;
        return false;
    }
    // Its owner is disabled; the window itself must still take the screen.
    GetWidget()->setEnabled(true);
    return true;
}

bool CKProgressDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (QProgressBar* b = bar(this)) {
        b->setRange(m_nLower, m_nUpper);
        b->setValue(m_nPos);
    }
    CString caption;
    if (!AfxLoadString(m_nCaptionID, caption))
        AfxLoadString(IDS_CAPTION, caption);
    SetWindowText(caption);
    UpdatePercent(m_nPos);
    return true;
}

BOOL CKProgressDlg::DestroyWindow()
{
    // Whoever ends the progress, the owner it disabled works again.
    if (m_bParentDisabled && m_pOwner)
        m_pOwner->EnableWindow(true);
    m_bParentDisabled = false;
    return CDialog::DestroyWindow();
}

void CKProgressDlg::SetRange(int nLower, int nUpper)
{
    m_nLower = short(nLower);
    m_nUpper = short(nUpper);
    if (QProgressBar* b = bar(this))
        b->setRange(m_nLower, m_nUpper);
}

int CKProgressDlg::SetStep(int nStep)
{
    int old = m_nStep;
    m_nStep = nStep;
    return old;
}

int CKProgressDlg::SetPos(int nPos)
{
    PumpMessages();
    int old = m_nPos;
    m_nPos = nPos;
    if (QProgressBar* b = bar(this))
        b->setValue(std::min(std::max(nPos, m_nLower), m_nUpper));
    UpdatePercent(nPos);
    return old;
}

int CKProgressDlg::OffsetPos(int nPos)
{
    return SetPos(m_nPos + nPos);
}

int CKProgressDlg::StepIt()
{
    return SetPos(m_nPos + m_nStep);
}

void CKProgressDlg::SetStatus(const CString& text)
{
    SetDlgItemText(1005, text);
}

void CKProgressDlg::PumpMessages()
{
    if (QApplication::instance())
        QApplication::processEvents();
}

CString CKProgressDlg::PercentText(int nPos) const
{
    int range = m_nUpper - m_nLower;
    int p = range != 0 ? (nPos - m_nLower) * 100 / range : 0;
    CString s;
    s.Format("%d%c", p == 100 ? p : p % 100, '%');
    return s;
}

void CKProgressDlg::UpdatePercent(int nPos)
{
    CString text = PercentText(nPos);
    if (text != m_sLastPercent) {
        m_sLastPercent = text;
        SetDlgItemText(1004, text);
    }
}

void CKProgressService::Open(int lower, int upper, const CString& status)
{
    Close();
    m_pDlg = new CKProgressDlg;
    m_pDlg->SetRange(lower, upper);
    CWinApp* app = AfxGetApp();
    if (!m_pDlg->Create(app ? app->m_pMainWnd : nullptr)) {
        delete m_pDlg;
        m_pDlg = nullptr;
        return;
    }
    m_pDlg->SetRange(lower, upper);
    m_pDlg->SetStatus(status);
}

void CKProgressService::SetPos(int pos)
{
    if (m_pDlg)
        m_pDlg->SetPos(pos);
}

bool CKProgressService::Cancelled() const
{
    if (!m_pDlg)
        return false;
    // A press since the last report is seen now, not at the next one.
    m_pDlg->PumpMessages();
    return m_pDlg->IsCancelled();
}

void CKProgressService::Close()
{
    delete m_pDlg;
    m_pDlg = nullptr;
}

void KInstallViewServices()
{
    static CKProgressService service;
    SetProgressService(&service);
}
