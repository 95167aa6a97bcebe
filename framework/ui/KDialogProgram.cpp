#include "framework/ui/KDialogProgram.h"

CKProgramDialog::CKProgramDialog(UINT nIDTemplate, CWnd* pParent, UINT nIDAboutBox, UINT nIDAboutItem,
                                 const char* pszAboutItem)
    : CDialog(nIDTemplate, pParent), m_nIDAboutBox(nIDAboutBox), m_nIDAboutItem(nIDAboutItem),
      m_pszAboutItem(pszAboutItem)
{
}

bool CKProgramDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    AppendSystemMenuItem(m_nIDAboutItem, m_pszAboutItem);
    return true;
}

void CKProgramDialog::OnSysCommand(UINT nID)
{
    if (nID == m_nIDAboutItem) {
        CDialog about(m_nIDAboutBox, this);
        about.DoModal();
    }
}
