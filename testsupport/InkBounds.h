// The bounding box of the inked pixels of a picture w x h, where inked(x, y)
// tells a pixel of the drawing from the paper (an empty rectangle if none is).
#pragma once
#include <algorithm>

#include "framework/ui/WinTypes.h"

namespace ktest {

template <class Inked> CRect InkBounds(int w, int h, Inked inked)
{
    CRect r(w, h, 0, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (inked(x, y)) {
                r.left = std::min<LONG>(r.left, x);
                r.top = std::min<LONG>(r.top, y);
                r.right = std::max<LONG>(r.right, x + 1);
                r.bottom = std::max<LONG>(r.bottom, y + 1);
            }
    return r.IsRectEmpty() ? CRect() : r;
}

} // namespace ktest
