#include "kavrel/views/KContextMenu.h"

#include "framework/ui/CMenu.h"

void KTrackContextMenu(CWnd* pWnd, UINT nMenuID, CPoint point, CWnd* pOwner)
{
    if (point.x == -1 && point.y == -1) {
        point = CPoint(5, 5);
        pWnd->ClientToScreen(&point);
    }
    CMenu menu;
    if (!menu.LoadMenu(nMenuID))
        return;
    if (CMenu* popup = menu.GetSubMenu(0))
        popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y, pOwner);
}
