#include "framework/ui/CDC.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QRegion>
#include <QStringList>

#include "framework/ui/CSurface.h"

namespace {

// Pixels are mixed as 0x00RRGGBB; the picture keeps 0xFF in the top byte.
constexpr std::uint32_t kOpaque = 0xFF000000u;

std::uint32_t ToPixel(COLORREF c)
{
    return kOpaque | (std::uint32_t(GetRValue(c)) << 16) | (std::uint32_t(GetGValue(c)) << 8) |
           GetBValue(c);
}

// The binary mixes: bit (P << 1 | D) of (mode - 1) gives the result bit.
std::uint32_t Rop2(int mode, std::uint32_t d, std::uint32_t p)
{
    switch (mode) {
    case R2_COPYPEN: return p | kOpaque;
    case R2_XORPEN: return (d ^ p) | kOpaque;
    case R2_NOT: return ~d | kOpaque;
    default: break;
    }
    const unsigned code = unsigned(mode - 1) & 0xF;
    std::uint32_t r = 0;
    if (code & 1) r |= ~p & ~d;
    if (code & 2) r |= ~p & d;
    if (code & 4) r |= p & ~d;
    if (code & 8) r |= p & d;
    return r | kOpaque;
}

// The ternary mixes of the block transfers: bit (P << 2 | S << 1 | D) of
// the operation's index byte gives the result bit.
std::uint32_t Rop3(unsigned code, std::uint32_t p, std::uint32_t s, std::uint32_t d)
{
    switch (code) {
    case 0xCC: return s | kOpaque;
    case 0xEE: return (s | d) | kOpaque;
    case 0x88: return (s & d) | kOpaque;
    case 0x66: return (s ^ d) | kOpaque;
    case 0x55: return ~d | kOpaque;
    case 0xF0: return p | kOpaque;
    case 0x5A: return (p ^ d) | kOpaque;
    case 0x00: return kOpaque;
    case 0xFF: return 0xFFFFFFFFu;
    default: break;
    }
    std::uint32_t r = 0;
    for (unsigned k = 0; k < 8; ++k)
        if ((code >> k) & 1)
            r |= ((k & 4) ? p : ~p) & ((k & 2) ? s : ~s) & ((k & 1) ? d : ~d);
    return r | kOpaque;
}

unsigned RopCode(DWORD rop) { return (rop >> 16) & 0xFF; }
bool RopUsesPattern(unsigned code) { return ((code >> 4) & 0xF) != (code & 0xF); }
bool RopUsesSource(unsigned code) { return ((code >> 2) & 0x33) != (code & 0x33); }

QRect NormalRect(int l, int t, int r, int b)
{
    if (l > r) std::swap(l, r);
    if (t > b) std::swap(t, b);
    return QRect(l, t, r - l, b - t);
}

// Everything, before any clipping narrows it.
const QRect kEverything(-(1 << 24), -(1 << 24), 1 << 25, 1 << 25);

int RegionKind(const QRegion& r)
{
    if (r.isEmpty()) return NULLREGION;
    return r.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

QImage& ImageOf(CSurface* s) { return *static_cast<QImage*>(s->NativeImage()); }

std::uint32_t* Row(QImage& img, int y) { return reinterpret_cast<std::uint32_t*>(img.scanLine(y)); }

CRect ToCRect(const QRect& r) { return CRect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height()); }

// What a shape covers, pixel by pixel, before it is mixed into the picture.
enum : std::uint8_t { kNone = 0, kBrush = 1, kPen = 2, kBack = 3 };

struct Cover {
    QRect box;
    std::vector<std::uint8_t> v;
    explicit Cover(const QRect& b)
        : box(b), v(static_cast<size_t>(std::max(0, b.width())) * static_cast<size_t>(std::max(0, b.height())), kNone) {}
    void Set(int x, int y, std::uint8_t what)
    {
        if (box.contains(x, y))
            v[static_cast<size_t>(y - box.top()) * static_cast<size_t>(box.width()) + static_cast<size_t>(x - box.left())] = what;
    }
    std::uint8_t At(int x, int y) const
    {
        return v[static_cast<size_t>(y - box.top()) * static_cast<size_t>(box.width()) + static_cast<size_t>(x - box.left())];
    }
    void FillRect(const QRect& r, std::uint8_t what)
    {
        const QRect c = r & box;
        for (int y = c.top(); y <= c.bottom(); ++y)
            for (int x = c.left(); x <= c.right(); ++x) Set(x, y, what);
    }
    // Marks what a shape drawn by Qt (without smoothing) covers.
    template <class Draw>
    void FromMask(std::uint8_t what, Draw draw)
    {
        if (box.isEmpty()) return;
        QImage mask(box.size(), QImage::Format_ARGB32_Premultiplied);
        mask.fill(0);
        {
            QPainter p(&mask);
            p.setRenderHint(QPainter::Antialiasing, false);
            p.translate(-box.topLeft());
            draw(p);
        }
        for (int y = 0; y < box.height(); ++y) {
            const QRgb* line = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
            for (int x = 0; x < box.width(); ++x)
                if (qAlpha(line[x]) != 0)
                    v[static_cast<size_t>(y) * static_cast<size_t>(box.width()) + static_cast<size_t>(x)] = what;
        }
    }
};

// Dash patterns of the one-pixel styled pens, in pixels on / off.
const std::vector<int>& DashPattern(int style)
{
    static const std::vector<int> none, dash{18, 6}, dot{3, 3}, dashdot{9, 6, 3, 6},
        dashdotdot{9, 3, 3, 3, 3, 3};
    switch (style) {
    case PS_DASH: return dash;
    case PS_DOT: return dot;
    case PS_DASHDOT: return dashdot;
    case PS_DASHDOTDOT: return dashdotdot;
    default: return none;
    }
}

struct Dasher {
    const std::vector<int>& pattern;
    bool opaqueGaps;
    size_t index = 0;
    int left = 0;
    std::uint8_t Next()
    {
        if (pattern.empty()) return kPen;
        if (left == 0) left = pattern[index];
        const bool on = index % 2 == 0;
        if (--left == 0) index = (index + 1) % pattern.size();
        return on ? kPen : (opaqueGaps ? kBack : kNone);
    }
};

// One-pixel line from a to b without b itself.
void ThinSegment(Cover& cv, QPoint a, QPoint b, Dasher& dash)
{
    long long x0 = a.x(), y0 = a.y(), x1 = b.x(), y1 = b.y();
    // A wildly long segment is first cut to the neighbourhood of the box.
    if (std::llabs(x1 - x0) > 65536 || std::llabs(y1 - y0) > 65536) {
        const double bx0 = cv.box.left() - 2, by0 = cv.box.top() - 2;
        const double bx1 = cv.box.right() + 2, by1 = cv.box.bottom() + 2;
        double t0 = 0, t1 = 1;
        const double dx = double(x1 - x0), dy = double(y1 - y0);
        const double pq[4][2] = {{-dx, double(x0) - bx0}, {dx, bx1 - double(x0)},
                                 {-dy, double(y0) - by0}, {dy, by1 - double(y0)}};
        for (const auto& e : pq) {
            if (e[0] == 0) {
                if (e[1] < 0) return;
                continue;
            }
            const double t = e[1] / e[0];
            if (e[0] < 0) t0 = std::max(t0, t);
            else t1 = std::min(t1, t);
        }
        if (t0 > t1) return;
        const long long nx0 = std::llround(double(x0) + t0 * dx), ny0 = std::llround(double(y0) + t0 * dy);
        x1 = std::llround(double(x0) + t1 * dx);
        y1 = std::llround(double(y0) + t1 * dy);
        x0 = nx0;
        y0 = ny0;
    }
    const long long dx = std::llabs(x1 - x0), dy = -std::llabs(y1 - y0);
    const long long sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    long long err = dx + dy;
    while (x0 != x1 || y0 != y1) {
        const std::uint8_t what = dash.Next();
        if (what != kNone) cv.Set(int(x0), int(y0), what);
        const long long e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

QFont MakeQFont(const LOGFONT& lf, const std::string& face)
{
    QFont f(QString::fromStdString(face));
    f.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoSubpixelAntialias));
    f.setHintingPreference(QFont::PreferFullHinting);
    f.setKerning(false);
    const int weight = lf.lfWeight <= 0 ? FW_NORMAL : std::min<int>(lf.lfWeight, 1000);
    f.setWeight(QFont::Weight(weight));
    f.setItalic(lf.lfItalic != 0);
    f.setUnderline(lf.lfUnderline != 0);
    f.setStrikeOut(lf.lfStrikeOut != 0);

    // Sizes are worked out once per request; only numbers are kept, as
    // fonts must not outlive the application.
    struct Sizes {
        int pixels;
        int stretch;
    };
    static std::map<std::string, Sizes> cache;
    std::string key(reinterpret_cast<const char*>(&lf), offsetof(LOGFONT, lfFaceName));
    key += face;
    if (auto it = cache.find(key); it != cache.end()) {
        f.setPixelSize(it->second.pixels);
        if (it->second.stretch > 0) f.setStretch(it->second.stretch);
        return f;
    }

    // A positive height asks for the whole cell (ascent + descent), a
    // negative one for the characters alone (the em).
    const int height = lf.lfHeight == 0 ? 16 : lf.lfHeight;
    int px;
    if (height < 0) {
        px = std::max(1, -height);
        f.setPixelSize(px);
    } else {
        f.setPixelSize(100);
        const QFontMetrics ref(f);
        const int refCell = std::max(1, ref.ascent() + ref.descent());
        px = std::max(1, int(std::lround(height * 100.0 / refCell)));
        f.setPixelSize(px);
        while (px > 1 && QFontMetrics(f).ascent() + QFontMetrics(f).descent() > height)
            f.setPixelSize(--px);
        while (true) {
            QFont bigger(f);
            bigger.setPixelSize(px + 1);
            const QFontMetrics bm(bigger);
            if (bm.ascent() + bm.descent() > height) break;
            f = bigger;
            ++px;
        }
    }
    int stretch = 0;
    if (lf.lfWidth > 0) {
        const int avg = QFontMetrics(f).averageCharWidth();
        if (avg > 0) {
            stretch = std::clamp(int(std::lround(lf.lfWidth * 100.0 / avg)), 1, 4000);
            f.setStretch(stretch);
        }
    }
    cache[key] = Sizes{px, stretch};
    return f;
}

}  // namespace

// ---------------------------------------------------------------- state

struct CDC::Impl {
    struct PenState {
        int style = PS_SOLID;
        int width = 1;
        COLORREF color = 0;
    };
    struct BrushState {
        bool null = false;
        COLORREF color = RGB(255, 255, 255);
    };
    struct State {
        CPen* pPen = nullptr;
        PenState pen;
        CBrush* pBrush = nullptr;
        BrushState brush;
        CFont* pFont = nullptr;
        LOGFONT font{};
        std::string face;
        COLORREF text = 0;
        COLORREF bk = RGB(255, 255, 255);
        int bkMode = OPAQUE;
        int rop2 = R2_COPYPEN;
        UINT align = TA_LEFT | TA_TOP;
        QPoint cur;
        QPoint viewport;
        bool hasClip = false;
        QRegion clip;  // device coordinates
    };

    CDC* self = nullptr;
    CSurface* pWindow = nullptr;
    bool memory = false;
    CBitmap* pBitmap = nullptr;  // selected into a memory context
    CBitmap oneByOne;            // what a memory context starts with
    State s;
    std::vector<State> saved;
    bool hasLimit = false;
    QRect limit;

    CSurface* Target() const
    {
        if (memory) return pBitmap ? pBitmap->Surface() : nullptr;
        return pWindow;
    }

    QPoint ToDevice(int x, int y) const { return QPoint(x, y) + s.viewport; }
    QPoint ToLogical(QPoint d) const { return d - s.viewport; }
    QRect ToDevice(int l, int t, int r, int b) const
    {
        const QPoint a = ToDevice(l, t), c = ToDevice(r, b);
        return NormalRect(a.x(), a.y(), c.x(), c.y());
    }

    // The device region drawing may touch, without the picture's bounds.
    QRegion ClipRegion() const
    {
        QRegion r(kEverything);
        if (hasLimit) r &= limit;
        if (s.hasClip) r &= s.clip;
        return r;
    }
    QRegion Visible(CSurface* t) const
    {
        return ClipRegion() & QRect(0, 0, t->Width(), t->Height());
    }

    void Mix(Cover& cv, const std::uint32_t colors[4], bool useRop)
    {
        CSurface* t = Target();
        if (!t || cv.box.isEmpty()) return;
        QImage& img = ImageOf(t);
        const QRegion rgn = Visible(t) & cv.box;
        for (const QRect& r : rgn) {
            for (int y = r.top(); y <= r.bottom(); ++y) {
                std::uint32_t* line = Row(img, y);
                for (int x = r.left(); x <= r.right(); ++x) {
                    const std::uint8_t what = cv.At(x, y);
                    if (what == kNone) continue;
                    line[x] = useRop ? Rop2(s.rop2, line[x], colors[what]) : (colors[what] | kOpaque);
                }
            }
        }
        t->NoteChanged(ToCRect(rgn.boundingRect()));
    }

    void Colors(std::uint32_t colors[4]) const
    {
        colors[kNone] = 0;
        colors[kBrush] = ToPixel(s.brush.color);
        colors[kPen] = ToPixel(s.pen.color);
        colors[kBack] = ToPixel(s.bk);
    }

    void Stroke(Cover& cv, const std::vector<QPoint>& pts, bool closed)
    {
        if (s.pen.style == PS_NULL || pts.size() < 2) return;
        if (s.pen.width <= 1) {
            Dasher dash{DashPattern(s.pen.style), s.bkMode == OPAQUE};
            for (size_t i = 0; i + 1 < pts.size(); ++i) ThinSegment(cv, pts[i], pts[i + 1], dash);
            if (closed) ThinSegment(cv, pts.back(), pts.front(), dash);
            return;
        }
        const int w = s.pen.width;
        cv.FromMask(kPen, [&](QPainter& p) {
            p.setPen(QPen(QColor(255, 255, 255), w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            if (closed) p.drawPolygon(pts.data(), int(pts.size()));
            else p.drawPolyline(pts.data(), int(pts.size()));
        });
    }

    QRect BoxOf(const std::vector<QPoint>& pts, int margin) const
    {
        CSurface* t = Target();
        if (!t || pts.empty()) return QRect();
        long long l = pts[0].x(), r = l, tp = pts[0].y(), b = tp;
        for (const QPoint& p : pts) {
            l = std::min<long long>(l, p.x());
            r = std::max<long long>(r, p.x());
            tp = std::min<long long>(tp, p.y());
            b = std::max<long long>(b, p.y());
        }
        l -= margin;
        tp -= margin;
        r += margin;
        b += margin;
        const QRect bounds = ClipRegion().boundingRect() & QRect(0, 0, t->Width(), t->Height());
        const long long cl = std::max<long long>(l, bounds.left()), ct = std::max<long long>(tp, bounds.top());
        const long long cr = std::min<long long>(r, bounds.right()), cb = std::min<long long>(b, bounds.bottom());
        if (cl > cr || ct > cb) return QRect();
        return QRect(int(cl), int(ct), int(cr - cl + 1), int(cb - ct + 1));
    }

    void Polyline(const std::vector<QPoint>& pts)
    {
        if (s.pen.style == PS_NULL) return;
        Cover cv(BoxOf(pts, s.pen.width / 2 + 2));
        if (cv.box.isEmpty()) return;
        Stroke(cv, pts, false);
        std::uint32_t colors[4];
        Colors(colors);
        Mix(cv, colors, true);
    }

    const std::string& Face()
    {
        if (s.face.empty()) {
            CFont probe;
            probe.CreateFontIndirect(&s.font);
            s.face = probe.ResolvedFace();
        }
        return s.face;
    }
    QFont Font() { return MakeQFont(s.font, Face()); }

    // One line of text at a device reference point, placed by the
    // alignment flags and turned by the escapement.
    int TextLine(QPoint ref, const QString& text, UINT align, int escapement, const QRegion& clip)
    {
        const QFont font = Font();
        const QFontMetrics fm(font);
        const int advance = fm.horizontalAdvance(text);
        CSurface* t = Target();
        if (!t) return advance;
        const int ascent = fm.ascent(), descent = fm.descent();
        int hx = 0;
        if ((align & TA_CENTER) == TA_CENTER) hx = advance / 2;
        else if (align & TA_RIGHT) hx = advance;
        int baseline;
        if ((align & TA_BASELINE) == TA_BASELINE) baseline = 0;
        else if (align & TA_BOTTOM) baseline = -descent;
        else baseline = ascent;

        QImage& img = ImageOf(t);
        const QRegion visible = clip & QRect(0, 0, t->Width(), t->Height());
        if (visible.isEmpty()) return advance;
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setRenderHint(QPainter::TextAntialiasing, false);
        p.setClipRegion(visible);
        p.translate(ref);
        if (escapement % 3600 != 0) p.rotate(-escapement / 10.0);
        const QRect cell(-hx, baseline - ascent, advance, ascent + descent);
        if (s.bkMode == OPAQUE) p.fillRect(cell, QColor::fromRgb(ToPixel(s.bk)));
        p.setFont(font);
        p.setPen(QColor::fromRgb(ToPixel(s.text)));
        p.drawText(QPoint(-hx, baseline), text);
        const QRect touched = p.transform().mapRect(cell.adjusted(-4, -2, 4, 2));
        p.end();
        t->NoteChanged(ToCRect(touched));
        return advance;
    }
};

// ---------------------------------------------------------------- life

CDC::CDC() : m(std::make_unique<Impl>())
{
    m->self = this;
    SelectStockObject(BLACK_PEN);
    SelectStockObject(WHITE_BRUSH);
    SelectStockObject(SYSTEM_FONT);
}

CDC::CDC(CSurface* pSurface) : CDC()
{
    m->pWindow = pSurface;
}

CDC::~CDC()
{
    if (m->pBitmap) m->pBitmap->m_pSelectedInto = nullptr;
    m->pBitmap = nullptr;
}

BOOL CDC::CreateCompatibleDC(CDC*)
{
    DeleteDC();
    if (!m->oneByOne.Surface()) m->oneByOne.CreateCompatibleBitmap(nullptr, 1, 1);
    m->memory = true;
    m->pBitmap = &m->oneByOne;
    m->oneByOne.m_pSelectedInto = this;
    return TRUE;
}

BOOL CDC::DeleteDC()
{
    if (m->pBitmap) m->pBitmap->m_pSelectedInto = nullptr;
    m->pBitmap = nullptr;
    m->memory = false;
    m->pWindow = nullptr;
    return TRUE;
}

CSurface* CDC::GetSurface() const { return m->Target(); }

void CDC::SetTargetSurface(CSurface* pSurface)
{
    DeleteDC();
    m->pWindow = pSurface;
}

void CDC::SetDeviceLimit(const CRect& rect)
{
    m->hasLimit = !rect.IsRectEmpty();
    m->limit = QRect(rect.left, rect.top, rect.Width(), rect.Height());
}

void CDC::ForgetBitmap(CBitmap* pBitmap)
{
    if (m->pBitmap != pBitmap) return;
    m->pBitmap = nullptr;
    if (pBitmap != &m->oneByOne && m->oneByOne.Surface()) {
        m->pBitmap = &m->oneByOne;
        m->oneByOne.m_pSelectedInto = this;
    }
}

// ---------------------------------------------------------------- objects

CPen* CDC::SelectObject(CPen* pPen)
{
    if (!pPen || !pPen->GetSafeHandle()) return nullptr;
    CPen* old = m->s.pPen;
    m->s.pPen = pPen;
    m->s.pen = {pPen->GetStyle(), pPen->GetWidth(), pPen->GetColor()};
    return old;
}

CBrush* CDC::SelectObject(CBrush* pBrush)
{
    if (!pBrush || !pBrush->GetSafeHandle()) return nullptr;
    CBrush* old = m->s.pBrush;
    m->s.pBrush = pBrush;
    m->s.brush = {pBrush->IsNull(), pBrush->GetColor()};
    return old;
}

CFont* CDC::SelectObject(CFont* pFont)
{
    if (!pFont || !pFont->GetSafeHandle()) return nullptr;
    CFont* old = m->s.pFont;
    m->s.pFont = pFont;
    m->s.font = pFont->LogFont();
    m->s.face = pFont->ResolvedFace();
    return old;
}

CBitmap* CDC::SelectObject(CBitmap* pBitmap)
{
    if (!m->memory || !pBitmap || !pBitmap->Surface()) return nullptr;
    if (pBitmap->m_pSelectedInto && pBitmap->m_pSelectedInto != this) return nullptr;
    CBitmap* old = m->pBitmap;
    if (old) old->m_pSelectedInto = nullptr;
    m->pBitmap = pBitmap;
    pBitmap->m_pSelectedInto = this;
    return old;
}

CGdiObject* CDC::SelectObject(CGdiObject* pObject)
{
    if (!pObject) return nullptr;
    switch (pObject->GetKind()) {
    case CGdiObject::KindPen: return SelectObject(static_cast<CPen*>(pObject));
    case CGdiObject::KindBrush: return SelectObject(static_cast<CBrush*>(pObject));
    case CGdiObject::KindFont: return SelectObject(static_cast<CFont*>(pObject));
    case CGdiObject::KindBitmap: return SelectObject(static_cast<CBitmap*>(pObject));
    default: return nullptr;
    }
}

CGdiObject* CDC::SelectStockObject(int id)
{
    return SelectObject(CGdiObject::GetStockObjectPtr(id));
}


// ---------------------------------------------------------------- attributes

COLORREF CDC::SetTextColor(COLORREF color)
{
    return std::exchange(m->s.text, color & 0x00FFFFFF);
}
COLORREF CDC::SetBkColor(COLORREF color)
{
    return std::exchange(m->s.bk, color & 0x00FFFFFF);
}

int CDC::SetBkMode(int mode)
{
    if (mode != TRANSPARENT && mode != OPAQUE) return 0;
    return std::exchange(m->s.bkMode, mode);
}

int CDC::SetROP2(int mode)
{
    if (mode < 1 || mode > 16) return 0;  // the sixteen binary mixes
    return std::exchange(m->s.rop2, mode);
}

UINT CDC::SetTextAlign(UINT flags) { return std::exchange(m->s.align, flags); }
UINT CDC::GetTextAlign() const { return m->s.align; }

int CDC::SetMapMode(int mode) { return mode == MM_TEXT ? MM_TEXT : 0; }

CPoint CDC::SetViewportOrg(int x, int y)
{
    const QPoint old = std::exchange(m->s.viewport, QPoint(x, y));
    return CPoint(old.x(), old.y());
}


// ---------------------------------------------------------------- lines

CPoint CDC::MoveTo(int x, int y)
{
    const QPoint old = std::exchange(m->s.cur, QPoint(x, y));
    return CPoint(old.x(), old.y());
}


BOOL CDC::LineTo(int x, int y)
{
    const QPoint from = m->s.cur;
    m->s.cur = QPoint(x, y);
    if (!m->Target()) return FALSE;
    m->Polyline({m->ToDevice(from.x(), from.y()), m->ToDevice(x, y)});
    return TRUE;
}

BOOL CDC::Polyline(const POINT* points, int count)
{
    if (!points || count < 2 || !m->Target()) return FALSE;
    std::vector<QPoint> pts;
    pts.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) pts.push_back(m->ToDevice(points[i].x, points[i].y));
    m->Polyline(pts);
    return TRUE;
}

// ---------------------------------------------------------------- shapes

BOOL CDC::Rectangle(int l, int t, int r, int b)
{
    if (!m->Target()) return FALSE;
    const QRect d = m->ToDevice(l, t, r, b);
    if (d.width() < 1 || d.height() < 1) return TRUE;
    const int x0 = d.left(), y0 = d.top(), x1 = d.left() + d.width(), y1 = d.top() + d.height();
    const bool noPen = m->s.pen.style == PS_NULL;
    const int w = noPen ? 0 : std::max(1, m->s.pen.width);
    Cover cv(m->BoxOf({QPoint(x0, y0), QPoint(x1 - 1, y1 - 1)}, w / 2 + 1));
    if (cv.box.isEmpty()) return TRUE;
    if (!m->s.brush.null) {
        if (noPen) cv.FillRect(QRect(x0, y0, x1 - x0 - 1, y1 - y0 - 1), kBrush);
        else cv.FillRect(QRect(x0 + 1, y0 + 1, x1 - x0 - 2, y1 - y0 - 2), kBrush);
    }
    if (!noPen) {
        std::vector<QPoint> path{QPoint(x0, y0), QPoint(x1 - 1, y0), QPoint(x1 - 1, y1 - 1), QPoint(x0, y1 - 1)};
        if (x1 - x0 == 1 || y1 - y0 == 1) cv.FillRect(QRect(x0, y0, x1 - x0, y1 - y0), kPen);
        else m->Stroke(cv, path, true);
    }
    std::uint32_t colors[4];
    m->Colors(colors);
    m->Mix(cv, colors, true);
    return TRUE;
}

int CDC::FillRect(LPCRECT rect, CBrush* pBrush)
{
    if (!rect || !pBrush || pBrush->IsNull() || !m->Target()) return 0;
    const QRect d = m->ToDevice(rect->left, rect->top, rect->right, rect->bottom);
    Cover cv(d & m->ClipRegion().boundingRect() & QRect(0, 0, m->Target()->Width(), m->Target()->Height()));
    cv.FillRect(cv.box, kBrush);
    std::uint32_t colors[4] = {0, ToPixel(pBrush->GetColor()), 0, 0};
    m->Mix(cv, colors, false);
    return 1;
}

void CDC::FillSolidRect(LPCRECT rect, COLORREF color)
{
    if (!rect) return;
    SetBkColor(color);
    CBrush brush(color);
    FillRect(rect, &brush);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF color)
{
    const CRect r(x, y, x + cx, y + cy);
    FillSolidRect(&r, color);
}

// ---------------------------------------------------------------- pixels

COLORREF CDC::SetPixel(int x, int y, COLORREF color)
{
    CSurface* t = m->Target();
    if (!t) return CLR_INVALID;
    const QPoint d = m->ToDevice(x, y);
    if (d.x() < 0 || d.y() < 0 || d.x() >= t->Width() || d.y() >= t->Height()) return CLR_INVALID;
    if ((m->hasLimit || m->s.hasClip) && !m->ClipRegion().contains(d)) return CLR_INVALID;
    Row(ImageOf(t), d.y())[d.x()] = ToPixel(color);
    t->NoteChanged(CRect(d.x(), d.y(), d.x() + 1, d.y() + 1));
    return color & 0x00FFFFFF;
}

COLORREF CDC::GetPixel(int x, int y) const
{
    CSurface* t = m->Target();
    if (!t) return CLR_INVALID;
    const QPoint d = m->ToDevice(x, y);
    if ((m->hasLimit || m->s.hasClip) && !m->ClipRegion().contains(d)) return CLR_INVALID;
    return t->GetPixel(d.x(), d.y());
}

// ---------------------------------------------------------------- blocks

namespace {

// Nearest-pixel index of destination step i among n into a source of s.
int SourceIndex(int i, int n, int s, bool flip)
{
    const int k = int(static_cast<long long>(i) * s / n);
    return flip ? s - 1 - k : k;
}

// A block of cx x cy destination pixels at d0 showing cxSrc x cySrc source
// pixels from s0. A negative extent runs back from its point; where the signs
// of the two differ the block is mirrored.
struct KStretch {
    KStretch(QPoint d0, int cx, int cy, QPoint s0, int cxSrc, int cySrc)
        : flipX((cx < 0) != (cxSrc < 0)), flipY((cy < 0) != (cySrc < 0)), w(std::abs(cx)), h(std::abs(cy)),
          sw(std::abs(cxSrc)), sh(std::abs(cySrc)), dl(cx < 0 ? d0.x() + cx + 1 : d0.x()),
          dt(cy < 0 ? d0.y() + cy + 1 : d0.y()), sl(cxSrc < 0 ? s0.x() + cxSrc + 1 : s0.x()),
          st(cySrc < 0 ? s0.y() + cySrc + 1 : s0.y())
    {
    }
    bool flipX, flipY;
    int w, h, sw, sh; // destination and source extents
    int dl, dt, sl, st; // their top-left pixels
};

// Puts the block on every visible destination pixel with the raster
// operation code and the brush; source(i, j, s) gives the source pixel i, j
// from the block's start, false where the source has none.
template <class Source>
void StretchRop(CSurface* t, const QRegion& visible, const KStretch& b, unsigned code, std::uint32_t brush,
                Source source)
{
    QImage& img = ImageOf(t);
    const QRegion rgn = visible & QRect(b.dl, b.dt, b.w, b.h);
    for (const QRect& r : rgn)
        for (int yy = r.top(); yy <= r.bottom(); ++yy) {
            const int j = SourceIndex(yy - b.dt, b.h, b.sh, b.flipY);
            std::uint32_t* line = Row(img, yy);
            for (int xx = r.left(); xx <= r.right(); ++xx) {
                std::uint32_t s;
                if (source(SourceIndex(xx - b.dl, b.w, b.sw, b.flipX), j, s))
                    line[xx] = Rop3(code, brush, s, line[xx]);
            }
        }
    t->NoteChanged(ToCRect(rgn.boundingRect()));
}

}  // namespace

BOOL CDC::PatBlt(int x, int y, int cx, int cy, DWORD rop)
{
    CSurface* t = m->Target();
    if (!t) return FALSE;
    const unsigned code = RopCode(rop);
    if (RopUsesPattern(code) && m->s.brush.null) return TRUE;
    const QRect d = m->ToDevice(x, y, x + cx, y + cy);
    const std::uint32_t p = ToPixel(m->s.brush.color);
    QImage& img = ImageOf(t);
    const QRegion rgn = m->Visible(t) & d;
    for (const QRect& r : rgn)
        for (int yy = r.top(); yy <= r.bottom(); ++yy) {
            std::uint32_t* line = Row(img, yy);
            for (int xx = r.left(); xx <= r.right(); ++xx) line[xx] = Rop3(code, p, 0, line[xx]);
        }
    t->NoteChanged(ToCRect(rgn.boundingRect()));
    return TRUE;
}

BOOL CDC::BitBlt(int x, int y, int cx, int cy, CDC* pSrc, int xSrc, int ySrc, DWORD rop)
{
    const unsigned code = RopCode(rop);
    if (!RopUsesSource(code)) return PatBlt(x, y, cx, cy, rop);
    return StretchBlt(x, y, cx, cy, pSrc, xSrc, ySrc, cx, cy, rop);
}

BOOL CDC::StretchBlt(int x, int y, int cx, int cy, CDC* pSrc, int xSrc, int ySrc, int cxSrc,
                     int cySrc, DWORD rop)
{
    CSurface* t = m->Target();
    const unsigned code = RopCode(rop);
    if (!RopUsesSource(code)) return PatBlt(x, y, cx, cy, rop);
    if (!t || !pSrc || !pSrc->m->Target()) return FALSE;
    if (cx == 0 || cy == 0 || cxSrc == 0 || cySrc == 0) return TRUE;
    CSurface* src = pSrc->m->Target();
    const KStretch b(m->ToDevice(x, y), cx, cy, pSrc->m->ToDevice(xSrc, ySrc), cxSrc, cySrc);

    // The source block is read first, so a copy within one picture is safe.
    const QImage& simg = ImageOf(src);
    std::vector<std::uint32_t> block(static_cast<size_t>(b.sw) * static_cast<size_t>(b.sh), 0);
    std::vector<std::uint8_t> present(block.size(), 0);
    for (int j = 0; j < b.sh; ++j) {
        const int sy = b.st + j;
        if (sy < 0 || sy >= simg.height()) continue;
        const std::uint32_t* line = reinterpret_cast<const std::uint32_t*>(simg.constScanLine(sy));
        for (int i = 0; i < b.sw; ++i) {
            const int sx = b.sl + i;
            if (sx < 0 || sx >= simg.width()) continue;
            block[static_cast<size_t>(j) * static_cast<size_t>(b.sw) + static_cast<size_t>(i)] = line[sx];
            present[static_cast<size_t>(j) * static_cast<size_t>(b.sw) + static_cast<size_t>(i)] = 1;
        }
    }
    StretchRop(t, m->Visible(t), b, code, ToPixel(m->s.brush.color), [&](int i, int j, std::uint32_t& s) {
        const size_t k = static_cast<size_t>(j) * static_cast<size_t>(b.sw) + static_cast<size_t>(i);
        if (!present[k]) return false;
        s = block[k];
        return true;
    });
    return TRUE;
}

int CDC::StretchDIBits(int xDest, int yDest, int cxDest, int cyDest, int xSrc, int ySrc,
                       int cxSrc, int cySrc, const void* bits, const BITMAPINFO* bmi, UINT usage,
                       DWORD rop)
{
    CSurface* t = m->Target();
    if (!t || !bits || !bmi || usage != DIB_RGB_COLORS) return 0;
    const BITMAPINFOHEADER& hd = bmi->bmiHeader;
    if (hd.biCompression != BI_RGB || (hd.biBitCount != 32 && hd.biBitCount != 24) || hd.biWidth <= 0 ||
        hd.biHeight == 0)
        return 0;
    if (cxDest == 0 || cyDest == 0 || cxSrc == 0 || cySrc == 0) return 0;
    const bool bottomUp = hd.biHeight > 0;
    const long long rows = std::llabs(static_cast<long long>(hd.biHeight));
    const size_t stride = ((static_cast<size_t>(hd.biWidth) * hd.biBitCount + 31) / 32) * 4;
    const int bytes = hd.biBitCount / 8;
    const auto* base = static_cast<const std::uint8_t*>(bits);

    const KStretch b(m->ToDevice(xDest, yDest), cxDest, cyDest, QPoint(xSrc, ySrc), cxSrc, cySrc);
    // A copy pixel for pixel (the sonogram's every repaint) goes row by row.
    if (RopCode(rop) == 0xCC && bytes == 4 && b.w == b.sw && b.h == b.sh && !b.flipX && !b.flipY) {
        QImage& img = ImageOf(t);
        const QRegion rgn = m->Visible(t) & QRect(b.dl, b.dt, b.w, b.h);
        for (const QRect& r : rgn)
            for (int yy = r.top(); yy <= r.bottom(); ++yy) {
                const long long j = yy - b.dt;
                const long long memRow = bottomUp ? b.st + (b.sh - 1 - j) : b.st + j;
                if (memRow < 0 || memRow >= rows) continue;
                // Destination pixels whose source column lies in the picture.
                const long long shift = static_cast<long long>(b.sl) - b.dl;
                const long long x0 = std::max<long long>(r.left(), -shift);
                const long long x1 = std::min<long long>(r.right(), hd.biWidth - 1 - shift);
                const std::uint8_t* src = base + static_cast<size_t>(memRow) * stride;
                std::uint32_t* line = Row(img, yy);
                for (long long xx = x0; xx <= x1; ++xx) {
                    const std::uint8_t* px = src + static_cast<size_t>(xx + shift) * 4;
                    line[xx] = kOpaque | (std::uint32_t(px[2]) << 16) | (std::uint32_t(px[1]) << 8) | px[0];
                }
            }
        t->NoteChanged(ToCRect(rgn.boundingRect()));
        return b.sh;
    }
    StretchRop(t, m->Visible(t), b, RopCode(rop), ToPixel(m->s.brush.color), [&](int i, int j, std::uint32_t& s) {
        // A bottom-up picture shows its first row in memory at the bottom.
        const long long memRow = bottomUp ? b.st + (b.sh - 1 - j) : b.st + j;
        const long long col = b.sl + i;
        if (memRow < 0 || memRow >= rows || col < 0 || col >= hd.biWidth) return false;
        const std::uint8_t* px =
            base + static_cast<size_t>(memRow) * stride + static_cast<size_t>(col) * static_cast<size_t>(bytes);
        s = (std::uint32_t(px[2]) << 16) | (std::uint32_t(px[1]) << 8) | px[0];
        return true;
    });
    return b.sh;
}

// ---------------------------------------------------------------- text

namespace {

QString FromUtf8(const char* text, int count)
{
    if (!text) return QString();
    const qsizetype n = count < 0 ? qsizetype(std::strlen(text)) : qsizetype(count);
    return QString::fromUtf8(text, n);
}

}  // namespace

BOOL CDC::TextOut(int x, int y, const char* text, int count)
{
    if (!m->Target()) return FALSE;
    const QString s = FromUtf8(text, count);
    const bool updateCP = (m->s.align & TA_UPDATECP) != 0;
    const QPoint ref = updateCP ? m->ToDevice(m->s.cur.x(), m->s.cur.y()) : m->ToDevice(x, y);
    const int advance = m->TextLine(ref, s, m->s.align, m->s.font.lfEscapement, m->ClipRegion());
    if (updateCP) m->s.cur.rx() += advance;
    return TRUE;
}

CSize CDC::GetTextExtent(const char* text, int count) const
{
    const QFontMetrics fm(m->Font());
    return CSize(fm.horizontalAdvance(FromUtf8(text, count)), fm.ascent() + fm.descent());
}

int CDC::DrawText(const char* text, int count, LPRECT rect, UINT format)
{
    if (!rect) return 0;
    QString s = FromUtf8(text, count);
    s.replace("\r\n", "\n");
    s.replace('\r', '\n');
    if (format & DT_EXPANDTABS) s.replace('\t', QString(8, ' '));
    if (!(format & DT_NOPREFIX)) {
        QString out;
        for (qsizetype i = 0; i < s.size(); ++i) {
            if (s[i] == '&' && i + 1 < s.size()) ++i;
            else if (s[i] == '&') continue;
            out += s[i];
        }
        s = out;
    }
    const QFontMetrics fm(m->Font());
    const int lineHeight = fm.ascent() + fm.descent();
    const int width = rect->right - rect->left;

    QStringList lines;
    if (format & DT_SINGLELINE) {
        lines << QString(s).replace('\n', ' ');
    } else {
        for (const QString& para : s.split('\n')) {
            if (!(format & DT_WORDBREAK)) {
                lines << para;
                continue;
            }
            QString line;
            for (const QString& word : para.split(' ')) {
                const QString tryLine = line.isEmpty() ? word : line + ' ' + word;
                if (!line.isEmpty() && fm.horizontalAdvance(tryLine) > width) {
                    lines << line;
                    line = word;
                } else {
                    line = tryLine;
                }
            }
            lines << line;
        }
    }
    const int total = int(lines.size()) * lineHeight;
    int top = rect->top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER) top = rect->top + (rect->bottom - rect->top - lineHeight) / 2;
        else if (format & DT_BOTTOM) top = rect->bottom - lineHeight;
    }
    if (format & DT_CALCRECT) {
        int widest = 0;
        for (const QString& l : lines) widest = std::max(widest, fm.horizontalAdvance(l));
        if (!(format & DT_WORDBREAK) || widest > width) rect->right = rect->left + widest;
        rect->bottom = rect->top + total;
        return total;
    }
    if (!m->Target()) return 0;
    QRegion clip = m->ClipRegion();
    if (!(format & DT_NOCLIP)) clip &= m->ToDevice(rect->left, rect->top, rect->right, rect->bottom);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int w = fm.horizontalAdvance(lines[i]);
        int x = rect->left;
        if (format & DT_CENTER) x = rect->left + (width - w) / 2;
        else if (format & DT_RIGHT) x = rect->right - w;
        m->TextLine(m->ToDevice(x, top + int(i) * lineHeight), lines[i], TA_LEFT | TA_TOP, 0, clip);
    }
    return top - rect->top + total;
}

// ---------------------------------------------------------------- clipping

int CDC::ExcludeClipRect(int l, int t, int r, int b)
{
    if (!m->s.hasClip) m->s.clip = QRegion(kEverything);
    m->s.clip = m->s.clip.subtracted(m->ToDevice(l, t, r, b));
    m->s.hasClip = true;
    CSurface* s = m->Target();
    return s ? RegionKind(m->Visible(s)) : RegionKind(m->s.clip);
}

int CDC::IntersectClipRect(int l, int t, int r, int b)
{
    if (!m->s.hasClip) m->s.clip = QRegion(kEverything);
    m->s.clip &= m->ToDevice(l, t, r, b);
    m->s.hasClip = true;
    CSurface* s = m->Target();
    return s ? RegionKind(m->Visible(s)) : RegionKind(m->s.clip);
}

// ---------------------------------------------------------------- save

int CDC::SaveDC()
{
    m->saved.push_back(m->s);
    return int(m->saved.size());
}

BOOL CDC::RestoreDC(int saved)
{
    const int n = int(m->saved.size());
    const int index = saved < 0 ? n + saved : saved - 1;
    if (index < 0 || index >= n) return FALSE;
    m->s = m->saved[static_cast<size_t>(index)];
    m->saved.resize(static_cast<size_t>(index));
    return TRUE;
}
