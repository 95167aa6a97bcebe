#include "framework/ui/KWndDestroy.h"

#include <QWidget>

BOOL KDestroyWindowWidget(CWnd* pWnd)
{
    if (!pWnd || !pWnd->GetWidget())
        return FALSE;
    if (CWnd::GetCapture() == pWnd)
        CWnd::ReleaseCapture();
    delete pWnd->Detach();
    return TRUE;
}
