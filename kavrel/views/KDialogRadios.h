// A group of radio buttons whose IDs are not consecutive (so DDX_Radio
// cannot read it), named by a table in index order: the data exchange of
// the index of the checked button.
#pragma once
#include "framework/ui/CControls.h"
#include "framework/ui/CDialog.h"

template <int N> void KExchangeRadios(CDataExchange* pDX, const int (&ids)[N], int& index)
{
    CDialog* d = pDX->m_pDlgWnd;
    if (pDX->m_bSaveAndValidate) {
        for (int i = 0; i < N; ++i) {
            if (d->IsDlgButtonChecked(ids[i]))
                index = i;
        }
    } else {
        for (int i = 0; i < N; ++i)
            d->GetDlgItemAs<CButton>(ids[i])->SetCheck(i == index ? BST_CHECKED : BST_UNCHECKED);
    }
}
