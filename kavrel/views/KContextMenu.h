// The context menus of the suite's windows open alike: the first popup of
// the window's menu resource at the mouse, or near the window's top left
// corner when the keyboard asked for it (the point is then -1, -1).
#pragma once
#include "framework/ui/CWnd.h"

// Opens menu nMenuID's first popup for pWnd at a screen point; its commands
// go to pOwner. Nothing happens when the menu cannot be loaded.
void KTrackContextMenu(CWnd* pWnd, UINT nMenuID, CPoint point, CWnd* pOwner);
