#include "framework/ui/CCursor.h"

#include <QBitmap>
#include <QCursor>
#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "framework/ui/KWndWidget.h"

struct KCursor {
    QCursor cursor;
};

namespace {

struct CursorPicture {
    std::vector<std::string> rows;
    int xHotSpot;
    int yHotSpot;
};

// Registered at start, before any application object exists: the picture
// becomes a Qt cursor only when it is first loaded.
std::map<UINT, CursorPicture>& pictures()
{
    static std::map<UINT, CursorPicture> m;
    return m;
}

std::map<UINT, std::unique_ptr<KCursor>>& loaded()
{
    static std::map<UINT, std::unique_ptr<KCursor>> m;
    return m;
}

std::map<UINT, std::unique_ptr<KCursor>>& standard()
{
    static std::map<UINT, std::unique_ptr<KCursor>> m;
    return m;
}

HCURSOR g_hCurrent = nullptr;

bool standardShape(UINT nID, Qt::CursorShape& shape)
{
    switch (nID) {
    case IDC_ARROW: shape = Qt::ArrowCursor; return true;
    case IDC_IBEAM: shape = Qt::IBeamCursor; return true;
    case IDC_WAIT: shape = Qt::WaitCursor; return true;
    case IDC_CROSS: shape = Qt::CrossCursor; return true;
    case IDC_UPARROW: shape = Qt::UpArrowCursor; return true;
    case IDC_SIZENWSE: shape = Qt::SizeFDiagCursor; return true;
    case IDC_SIZENESW: shape = Qt::SizeBDiagCursor; return true;
    case IDC_SIZEWE: shape = Qt::SizeHorCursor; return true;
    case IDC_SIZENS: shape = Qt::SizeVerCursor; return true;
    case IDC_SIZEALL: shape = Qt::SizeAllCursor; return true;
    case IDC_NO: shape = Qt::ForbiddenCursor; return true;
    case IDC_HAND: shape = Qt::PointingHandCursor; return true;
    case IDC_APPSTARTING: shape = Qt::BusyCursor; return true;
    case IDC_HELP: shape = Qt::WhatsThisCursor; return true;
    default: return false;
    }
}

QCursor cursorFromPicture(const CursorPicture& pic)
{
    size_t width = 0;
    for (const std::string& row : pic.rows)
        width = std::max(width, row.size());
    QImage image(int(std::max<size_t>(width, 1)), int(std::max<size_t>(pic.rows.size(), 1)),
                 QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 0; y < int(pic.rows.size()); ++y) {
        const std::string& row = pic.rows[size_t(y)];
        for (int x = 0; x < int(row.size()); ++x) {
            if (row[size_t(x)] == '#')
                image.setPixel(x, y, qRgba(0, 0, 0, 255));
            else if (row[size_t(x)] == '.')
                image.setPixel(x, y, qRgba(255, 255, 255, 255));
        }
    }
    return QCursor(QPixmap::fromImage(image), pic.xHotSpot, pic.yHotSpot);
}

} // namespace

KCursorResource::KCursorResource(UINT nID, std::vector<const char*> rows, int xHotSpot, int yHotSpot)
{
    CursorPicture pic{{}, xHotSpot, yHotSpot};
    for (const char* row : rows)
        pic.rows.emplace_back(row ? row : "");
    pictures()[nID] = std::move(pic);
}

HCURSOR LoadCursorResource(UINT nIDResource)
{
    auto& cache = loaded();
    if (auto it = cache.find(nIDResource); it != cache.end())
        return it->second.get();
    auto pic = pictures().find(nIDResource);
    if (pic == pictures().end())
        return nullptr;
    auto& slot = cache[nIDResource];
    slot = std::make_unique<KCursor>(KCursor{cursorFromPicture(pic->second)});
    return slot.get();
}

HCURSOR LoadStandardCursor(UINT nIDCursor)
{
    auto& cache = standard();
    if (auto it = cache.find(nIDCursor); it != cache.end())
        return it->second.get();
    Qt::CursorShape shape;
    if (!standardShape(nIDCursor, shape))
        return nullptr;
    auto& slot = cache[nIDCursor];
    slot = std::make_unique<KCursor>(KCursor{QCursor(shape)});
    return slot.get();
}

const QCursor* KQtCursor(HCURSOR hCursor)
{
    return hCursor ? &hCursor->cursor : nullptr;
}

HCURSOR SetCursor(HCURSOR hCursor)
{
    const HCURSOR hOld = g_hCurrent;
    g_hCurrent = hCursor;
    if (QWidget* w = KWndWidget::UnderMouse())
        w->setCursor(hCursor ? hCursor->cursor : QCursor(Qt::BlankCursor));
    return hOld;
}

HCURSOR GetCursor()
{
    return g_hCurrent;
}
