// What a print job knows while it runs: the document's pages, the pages
// asked for, the page being printed and the area to draw it in.
#pragma once
#include "framework/base/UserServices.h"
#include "framework/ui/WinTypes.h"

class CPrintInfo {
public:
    void SetMaxPage(UINT nMaxPage) { m_nMaxPage = nMaxPage; }
    UINT GetMinPage() const { return m_nMinPage; }
    // 0xFFFF while the view has not said how many pages there are.
    UINT GetMaxPage() const { return m_nMaxPage; }
    UINT GetFromPage() const { return m_nFromPage; }
    UINT GetToPage() const { return m_nToPage; }

    BOOL m_bDirect = FALSE;  // no print dialog: the current printer as it is
    BOOL m_bPreview = FALSE; // the pages go to the preview window
    BOOL m_bContinuePrinting = TRUE;
    UINT m_nCurPage = 1;
    // The page's printable area in the printer context's units (96 to the inch).
    CRect m_rectDraw;

    UINT m_nMinPage = 1, m_nMaxPage = 0xFFFF;
    UINT m_nFromPage = 1, m_nToPage = 0xFFFF;
    // The printer, paper and output of this job, as the dialog left them.
    PrintDialogRequest m_printer;
};
