// Where a window drew: the bounding box of the pixels of its backing
// surface that differ from the background (empty if none).
#pragma once
#include "framework/ui/CSurface.h"
#include "testsupport/InkBounds.h"

namespace ktest {

inline CRect Ink(const CSurface& s, COLORREF background)
{
    return InkBounds(s.Width(), s.Height(), [&](int x, int y) { return s.GetPixel(x, y) != background; });
}

} // namespace ktest
