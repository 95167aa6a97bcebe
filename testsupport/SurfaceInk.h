// Where a window drew: the bounding box of the pixels of its backing
// surface that differ from the background (empty if none).
#pragma once
#include <algorithm>

#include "framework/ui/CSurface.h"

namespace ktest {

inline CRect Ink(const CSurface& s, COLORREF background)
{
    CRect r(s.Width(), s.Height(), 0, 0);
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x)
            if (s.GetPixel(x, y) != background) {
                r.left = std::min<LONG>(r.left, x);
                r.top = std::min<LONG>(r.top, y);
                r.right = std::max<LONG>(r.right, x + 1);
                r.bottom = std::max<LONG>(r.bottom, y + 1);
            }
    return r.IsRectEmpty() ? CRect() : r;
}

} // namespace ktest
