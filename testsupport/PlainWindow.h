// The bare window most window tests start from: top level, no title or
// style, at the origin; the Qt application it needs is made first.
#pragma once
#include "framework/ui/CWnd.h"
#include "testsupport/QtTestApp.h"

namespace ktest {

inline bool CreatePlainWindow(CWnd& wnd, int cx, int cy)
{
    EnsureQtApplication();
    return wnd.Create(nullptr, "", 0, CRect(0, 0, cx, cy), nullptr) != FALSE;
}

} // namespace ktest
