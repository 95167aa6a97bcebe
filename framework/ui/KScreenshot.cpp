#include "framework/ui/KScreenshot.h"

#include <QApplication>
#include <QPixmap>
#include <QWidget>
#include <cstdlib>

#include "framework/ui/CWnd.h"

CString KScreenshotDir()
{
    const char* dir = std::getenv("KAVREL_SCREENSHOT_DIR");
    return dir ? CString(dir) : CString();
}

void KPumpMessages()
{
    QApplication::processEvents();
}

bool KSaveWindowScreenshot(CWnd* pWnd, const char* name)
{
    const CString dir = KScreenshotDir();
    QWidget* w = pWnd ? pWnd->GetWidget() : nullptr;
    if (dir.IsEmpty() || !w)
        return false;
    w->show();
    QApplication::processEvents();
    const QString path = QString("%1/%2-%3.png")
                             .arg(QString::fromUtf8(dir.GetString()), QApplication::applicationName(), QString::fromUtf8(name));
    return w->grab().save(path);
}
