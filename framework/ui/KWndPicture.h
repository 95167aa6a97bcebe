// A window as the user sees it, with its child windows and scroll bars,
// saved as a PNG: how programs draw themselves for the screenshots.
#pragma once
#include "framework/ui/CWnd.h"

bool KSaveWindowPicture(CWnd* pWnd, const CString& sPathName);

class CDC;
// The same picture drawn into a context (a page being printed), its top-left
// corner at (x, y), scaled by dScale; false for a window with nothing shown.
bool KDrawWindowPicture(CWnd* pWnd, CDC* pDC, int x, int y, double dScale = 1.0);
