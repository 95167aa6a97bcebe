// A window as the user sees it, with its child windows and scroll bars,
// saved as a PNG: how programs draw themselves for the screenshots.
#pragma once
#include "framework/ui/CWnd.h"

bool KSaveWindowPicture(CWnd* pWnd, const CString& sPathName);
