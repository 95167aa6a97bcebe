#include "framework/ui/KWndPicture.h"

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "framework/ui/CDC.h"

bool KSaveWindowPicture(CWnd* pWnd, const CString& sPathName)
{
    QWidget* w = pWnd ? pWnd->GetWidget() : nullptr;
    if (!w)
        return false;
    QApplication::processEvents();
    return w->grab().save(QString::fromUtf8(sPathName.GetString()), "PNG");
}

bool KDrawWindowPicture(CWnd* pWnd, CDC* pDC, int x, int y, double dScale)
{
    QWidget* w = pWnd ? pWnd->GetWidget() : nullptr;
    if (!w || !pDC || w->width() <= 0 || w->height() <= 0)
        return false;
    const QImage picture = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (picture.isNull())
        return false;
    // Top-down rows of 32-bit pixels in the platform's order (blue first), as RGB32 keeps them.
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = picture.width();
    bmi.bmiHeader.biHeight = -picture.height();
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    std::vector<unsigned char> rows(size_t(picture.width()) * 4 * size_t(picture.height()));
    for (int r = 0; r < picture.height(); ++r)
        std::memcpy(rows.data() + size_t(r) * size_t(picture.width()) * 4, picture.constScanLine(r),
                    size_t(picture.width()) * 4);
    const int cx = std::max(1, int(std::lround(picture.width() * dScale)));
    const int cy = std::max(1, int(std::lround(picture.height() * dScale)));
    return pDC->StretchDIBits(x, y, cx, cy, 0, 0, picture.width(), picture.height(), rows.data(), &bmi,
                              DIB_RGB_COLORS, SRCCOPY) > 0;
}
