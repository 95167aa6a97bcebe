#include "framework/ui/KWndPicture.h"

#include <QApplication>
#include <QPixmap>
#include <QWidget>

bool KSaveWindowPicture(CWnd* pWnd, const CString& sPathName)
{
    QWidget* w = pWnd ? pWnd->GetWidget() : nullptr;
    if (!w)
        return false;
    QApplication::processEvents();
    return w->grab().save(QString::fromUtf8(sPathName.GetString()), "PNG");
}
