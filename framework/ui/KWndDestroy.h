// Destroying a window made by CWnd::Create while its object lives on, as
// views do in DestroyWindow: the widget goes, the object stays usable.
#pragma once
#include "framework/ui/CWnd.h"

BOOL KDestroyWindowWidget(CWnd* pWnd);
