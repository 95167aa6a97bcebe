// What a window shows, for the tests that read its pixels: a pixel of its
// backing surface (0x00BBGGRR) and its client rectangle.
#pragma once
#include "framework/ui/CSurface.h"
#include "framework/ui/CWnd.h"

namespace ktest {

inline COLORREF ScreenPixel(const CWnd* pWnd, int x, int y)
{
    return pWnd->GetSurface()->GetPixel(x, y);
}

inline CRect ClientRect(const CWnd* pWnd)
{
    CRect rc;
    pWnd->GetClientRect(&rc);
    return rc;
}

} // namespace ktest
