#include "tembrix/KDialogMakeWaveCooktail.h"

#include <algorithm>
#include <cstdlib>

#include "framework/ui/CControls.h"
#include "tembrix/TembrixIds.h"

CKDialogMakeWaveCooktail::CKDialogMakeWaveCooktail(CWnd* pParent) : CDialog(IDD_MAKE_WAVE_COCKTAIL, pParent)
{
    MapNotify(IDC_COCKTAIL_SPIN, UDN_DELTAPOS, &CKDialogMakeWaveCooktail::OnDeltaposAdditions);
}

void CKDialogMakeWaveCooktail::DoDataExchange(CDataExchange* pDX)
{
    DDX_TextInRange(pDX, IDC_COCKTAIL_ADDITIONS, nAdditions, 1, 1000000);
}

bool CKDialogMakeWaveCooktail::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (CSpinButtonCtrl* spin = GetDlgItemAs<CSpinButtonCtrl>(IDC_COCKTAIL_SPIN)) {
        spin->SetRange(1, 1000000);
        spin->SetPos(nAdditions);
    }
    return true;
}

// The arrows step the count shown in the edit, whatever was typed there.
void CKDialogMakeWaveCooktail::OnDeltaposAdditions(NMHDR* pNMHDR, LRESULT* pResult)
{
    const int delta = reinterpret_cast<const NMUPDOWN*>(pNMHDR)->iDelta;
    const long shown = std::atol(GetDlgItemText(IDC_COCKTAIL_ADDITIONS).GetString());
    const long next = std::clamp(shown + (delta > 0 ? 1L : delta < 0 ? -1L : 0L), 1L, 1000000L);
    CString text;
    text.Format("%li", next);
    SetDlgItemText(IDC_COCKTAIL_ADDITIONS, text);
    *pResult = 0;
}
