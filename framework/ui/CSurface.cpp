#include "framework/ui/CSurface.h"

#include <QImage>

namespace {

QRgb ToQRgb(COLORREF c)
{
    return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

}  // namespace

struct CSurface::Impl {
    QImage image;
    CRect changed;
    std::function<void(const CRect&)> listener;
};

CSurface::CSurface() : m(std::make_unique<Impl>()) {}

CSurface::CSurface(int cx, int cy, COLORREF fill) : m(std::make_unique<Impl>())
{
    Resize(cx, cy, false, fill);
}

CSurface::~CSurface() = default;

int CSurface::Width() const { return m->image.width(); }
int CSurface::Height() const { return m->image.height(); }

void CSurface::Resize(int cx, int cy, bool bKeep, COLORREF fill)
{
    cx = std::max(cx, 0);
    cy = std::max(cy, 0);
    if (cx == Width() && cy == Height()) {
        if (!bKeep) Fill(fill);
        return;
    }
    QImage next(cx, cy, QImage::Format_RGB32);
    next.fill(ToQRgb(fill));
    if (bKeep && !m->image.isNull() && cx > 0 && cy > 0) {
        const int w = std::min(cx, Width()), h = std::min(cy, Height());
        for (int y = 0; y < h; ++y)
            std::copy_n(reinterpret_cast<const QRgb*>(m->image.constScanLine(y)), w,
                        reinterpret_cast<QRgb*>(next.scanLine(y)));
    }
    m->image = std::move(next);
    NoteChanged(GetRect());
}

void CSurface::Fill(COLORREF color)
{
    if (m->image.isNull()) return;
    m->image.fill(ToQRgb(color));
    NoteChanged(GetRect());
}

COLORREF CSurface::GetPixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= Width() || y >= Height()) return CLR_INVALID;
    const QRgb p = reinterpret_cast<const QRgb*>(m->image.constScanLine(y))[x];
    return RGB(qRed(p), qGreen(p), qBlue(p));
}

void CSurface::NoteChanged(const CRect& rect)
{
    CRect r;
    const CRect bounds = GetRect();
    if (!r.IntersectRect(&rect, &bounds)) return;
    m->changed.UnionRect(&m->changed, &r);
    if (m->listener) m->listener(r);
}

CRect CSurface::TakeChangedRect()
{
    const CRect r = m->changed;
    m->changed.SetRectEmpty();
    return r;
}

void CSurface::SetChangeListener(std::function<void(const CRect&)> listener)
{
    m->listener = std::move(listener);
}

void* CSurface::NativeImage() { return &m->image; }
const void* CSurface::NativeImage() const { return &m->image; }
