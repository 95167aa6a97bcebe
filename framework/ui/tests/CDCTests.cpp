#include <gtest/gtest.h>

#include <QImage>

#include "testsupport/QtTestApp.h"
#include "framework/ui/CDC.h"
#include "framework/ui/CSurface.h"
#include "testsupport/SurfaceInk.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// Every pixel different, so any stray write shows.
void Noise(CSurface& s)
{
    CDC dc(&s);
    unsigned v = 12345;
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x) {
            v = v * 1103515245u + 12345u;
            dc.SetPixel(x, y, (v >> 8) & 0xFFFFFF);
        }
}

std::vector<COLORREF> Pixels(const CSurface& s)
{
    std::vector<COLORREF> p;
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x) p.push_back(s.GetPixel(x, y));
    return p;
}

int CountNot(const CSurface& s, COLORREF background)
{
    int n = 0;
    for (COLORREF c : Pixels(s)) n += c != background;
    return n;
}

using ktest::Ink;

class CDCTest : public ::testing::Test {
protected:
    void SetUp() override { ktest::EnsureQtApplication(); }
};

}  // namespace

TEST_F(CDCTest, SurfaceKeepsOrClearsOnResize)
{
    CSurface s(4, 3, RGB(1, 2, 3));
    EXPECT_EQ(s.GetPixel(3, 2), RGB(1, 2, 3));
    EXPECT_EQ(s.GetPixel(4, 0), CLR_INVALID);
    EXPECT_EQ(s.GetPixel(-1, 0), CLR_INVALID);
    s.TakeChangedRect();
    s.Resize(6, 5, true, RGB(9, 9, 9));
    EXPECT_EQ(s.GetPixel(3, 2), RGB(1, 2, 3));
    EXPECT_EQ(s.GetPixel(5, 4), RGB(9, 9, 9));
    EXPECT_EQ(s.GetPixel(4, 0), RGB(9, 9, 9));
    EXPECT_EQ(s.TakeChangedRect(), CRect(0, 0, 6, 5));
    s.Resize(2, 2, false, RGB(7, 7, 7));
    EXPECT_EQ(s.GetSize(), CSize(2, 2));
    EXPECT_EQ(s.GetPixel(0, 0), RGB(7, 7, 7));
    EXPECT_EQ(static_cast<QImage*>(s.NativeImage())->format(), QImage::Format_RGB32);
}

TEST_F(CDCTest, ColoursAreBlueGreenRedInTheValueAndRightOnScreen)
{
    EXPECT_EQ(RGB(0x12, 0x34, 0x56), 0x00563412u);
    EXPECT_EQ(GetRValue(0x00563412u), 0x12);
    EXPECT_EQ(GetGValue(0x00563412u), 0x34);
    EXPECT_EQ(GetBValue(0x00563412u), 0x56);
    CSurface s(3, 3);
    CDC dc(&s);
    EXPECT_EQ(dc.SetPixel(1, 1, 0xFF0000), 0xFF0000u);  // blue
    EXPECT_EQ(dc.GetPixel(1, 1), 0xFF0000u);
    EXPECT_EQ(static_cast<QImage*>(s.NativeImage())->pixel(1, 1), qRgb(0, 0, 255));
    EXPECT_EQ(dc.SetPixel(5, 1, kBlack), CLR_INVALID);
    EXPECT_EQ(dc.GetPixel(-1, 0), CLR_INVALID);
    CSurface changed(8, 8);
    CDC cdc(&changed);
    changed.TakeChangedRect();
    cdc.SetPixel(3, 4, kBlack);
    EXPECT_EQ(changed.TakeChangedRect(), CRect(3, 4, 4, 5));
}

TEST_F(CDCTest, LinesLeaveOutTheirLastPoint)
{
    CSurface s(20, 20, kWhite);
    CDC dc(&s);
    dc.MoveTo(2, 3);
    dc.LineTo(8, 3);
    for (int x = 2; x < 8; ++x) EXPECT_EQ(s.GetPixel(x, 3), kBlack) << x;
    EXPECT_EQ(s.GetPixel(8, 3), kWhite);
    EXPECT_EQ(s.GetPixel(1, 3), kWhite);
    EXPECT_EQ(dc.MoveTo(10, 10), CPoint(8, 3));
    dc.LineTo(10, 5);  // upwards
    EXPECT_EQ(s.GetPixel(10, 10), kBlack);
    EXPECT_EQ(s.GetPixel(10, 6), kBlack);
    EXPECT_EQ(s.GetPixel(10, 5), kWhite);
    dc.MoveTo(12, 12);
    dc.LineTo(16, 16);
    for (int i = 12; i < 16; ++i) EXPECT_EQ(s.GetPixel(i, i), kBlack);
    EXPECT_EQ(s.GetPixel(16, 16), kWhite);
    EXPECT_EQ(CountNot(s, kWhite), 6 + 5 + 4);
}

TEST_F(CDCTest, XorLinesAndPolylinesUndoThemselvesExactly)
{
    CSurface s(64, 48);
    Noise(s);
    const auto before = Pixels(s);
    CDC dc(&s);
    CPen caret(PS_SOLID, 1, kWhite), wide(PS_SOLID, 3, RGB(0x7F, 0x7F, 0x7F));
    dc.SelectObject(&caret);
    const int old = dc.SetROP2(R2_XORPEN);
    EXPECT_EQ(old, R2_COPYPEN);
    const POINT zig[] = {{1, 1}, {60, 20}, {5, 40}, {50, 45}, {50, 2}};
    for (int pass = 0; pass < 2; ++pass) {
        dc.MoveTo(30, 0);
        dc.LineTo(30, 48);
        dc.MoveTo(0, 17);
        dc.LineTo(64, 17);
        dc.Polyline(zig, 5);
        if (pass == 0) {
            EXPECT_NE(Pixels(s), before);
        }
    }
    EXPECT_EQ(Pixels(s), before);

    dc.SelectObject(&wide);
    for (int mode : {R2_XORPEN, R2_NOT, R2_NOTXORPEN}) {
        dc.SetROP2(mode);
        dc.Polyline(zig, 5);
        EXPECT_NE(Pixels(s), before) << mode;
        dc.Polyline(zig, 5);
        EXPECT_EQ(Pixels(s), before) << mode;
    }
}

TEST_F(CDCTest, PolylineDrawsEachVertexOnceAndNotTheLast)
{
    CSurface s(16, 16, kBlack);
    CDC dc(&s);
    CPen pen(PS_SOLID, 1, kWhite);
    dc.SelectObject(&pen);
    dc.SetROP2(R2_XORPEN);
    const POINT l[] = {{0, 0}, {10, 0}, {10, 10}};
    dc.Polyline(l, 3);
    EXPECT_EQ(s.GetPixel(10, 0), kWhite);  // xored once, not twice
    EXPECT_EQ(s.GetPixel(10, 9), kWhite);
    EXPECT_EQ(s.GetPixel(10, 10), kBlack);
    EXPECT_EQ(CountNot(s, kBlack), 20);
}

TEST_F(CDCTest, BinaryMixesWorkOnTheColourBits)
{
    CSurface s(4, 1, RGB(0x0F, 0xF0, 0x55));
    CDC dc(&s);
    CPen pen(PS_SOLID, 1, RGB(0x33, 0x33, 0x33));
    dc.SelectObject(&pen);
    const struct { int mode; COLORREF expect; } cases[] = {
        {R2_MERGEPEN, RGB(0x3F, 0xF3, 0x77)}, {R2_NOT, RGB(0xF0, 0x0F, 0xAA)},
        {R2_NOTXORPEN, RGB(0xC3, 0x3C, 0x99)}, {R2_XORPEN, RGB(0x3C, 0xC3, 0x66)}};
    for (const auto& c : cases) {
        s.Fill(RGB(0x0F, 0xF0, 0x55));
        dc.SetROP2(c.mode);
        dc.MoveTo(0, 0);
        dc.LineTo(4, 0);
        EXPECT_EQ(s.GetPixel(2, 0), c.expect) << c.mode;
    }
}

TEST_F(CDCTest, DottedPenGapsTakeTheBackgroundOnlyWhenOpaque)
{
    CSurface s(30, 2, kWhite);
    CDC dc(&s);
    CPen dots(PS_DOT, 1, kBlack);
    dc.SelectObject(&dots);
    dc.SetBkColor(RGB(255, 0, 0));
    dc.SetBkMode(TRANSPARENT);
    dc.MoveTo(0, 0);
    dc.LineTo(30, 0);
    int black = 0, white = 0;
    for (int x = 0; x < 30; ++x) (s.GetPixel(x, 0) == kBlack ? black : white)++;
    EXPECT_GT(black, 5);
    EXPECT_GT(white, 5);
    dc.SetBkMode(OPAQUE);
    dc.MoveTo(0, 1);
    dc.LineTo(30, 1);
    for (int x = 0; x < 30; ++x)
        EXPECT_EQ(s.GetPixel(x, 1), s.GetPixel(x, 0) == kBlack ? kBlack : RGB(255, 0, 0)) << x;
}

TEST_F(CDCTest, RectangleCoversLeftTopToRightBottomExclusive)
{
    CSurface s(12, 10, kWhite);
    CDC dc(&s);
    CBrush red(RGB(255, 0, 0));
    dc.SelectObject(&red);
    dc.Rectangle(2, 2, 8, 6);
    EXPECT_EQ(Ink(s, kWhite), CRect(2, 2, 8, 6));
    EXPECT_EQ(s.GetPixel(2, 2), kBlack);
    EXPECT_EQ(s.GetPixel(7, 5), kBlack);
    EXPECT_EQ(s.GetPixel(7, 3), kBlack);
    EXPECT_EQ(s.GetPixel(3, 3), RGB(255, 0, 0));
    EXPECT_EQ(s.GetPixel(6, 4), RGB(255, 0, 0));

    // Without a pen the platform fills one pixel less right and below.
    s.Fill(kWhite);
    dc.SelectStockObject(NULL_PEN);
    dc.Rectangle(2, 2, 8, 6);
    EXPECT_EQ(Ink(s, kWhite), CRect(2, 2, 7, 5));

    // A hollow brush leaves the inside alone.
    s.Fill(kWhite);
    dc.SelectStockObject(BLACK_PEN);
    dc.SelectStockObject(NULL_BRUSH);
    dc.Rectangle(8, 6, 2, 2);  // reversed corners are the same rectangle
    EXPECT_EQ(Ink(s, kWhite), CRect(2, 2, 8, 6));
    EXPECT_EQ(s.GetPixel(4, 4), kWhite);
    EXPECT_EQ(CountNot(s, kWhite), 2 * 6 + 2 * 2);
}

TEST_F(CDCTest, FillsCopyWhateverTheMixAndFillSolidRectSetsTheBackground)
{
    CSurface s(10, 10, RGB(0, 255, 0));
    CDC dc(&s);
    dc.SetROP2(R2_XORPEN);
    CBrush blue(RGB(0, 0, 255));
    const CRect r(1, 1, 4, 4);
    dc.FillRect(&r, &blue);
    EXPECT_EQ(s.GetPixel(1, 1), RGB(0, 0, 255));
    EXPECT_EQ(s.GetPixel(3, 3), RGB(0, 0, 255));
    EXPECT_EQ(s.GetPixel(4, 4), RGB(0, 255, 0));
    dc.FillSolidRect(5, 5, 2, 3, RGB(1, 2, 3));
    EXPECT_EQ(Ink(s, RGB(0, 255, 0)), CRect(1, 1, 7, 8));
    EXPECT_EQ(dc.SetBkColor(kWhite), RGB(1, 2, 3));
}

TEST_F(CDCTest, PatBltInvertsExactlyItsRectangle)
{
    CSurface s(32, 20);
    Noise(s);
    const auto before = Pixels(s);
    CDC dc(&s);
    dc.PatBlt(5, 0, 7, 20, DSTINVERT);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 32; ++x) {
            const COLORREF was = before[static_cast<size_t>(y * 32 + x)];
            const bool inside = x >= 5 && x < 12;
            EXPECT_EQ(s.GetPixel(x, y), inside ? (~was & 0xFFFFFF) : was) << x << "," << y;
        }
    dc.PatBlt(5, 0, 7, 20, DSTINVERT);
    EXPECT_EQ(Pixels(s), before);
    dc.PatBlt(12, 0, -7, 20, DSTINVERT);  // a negative width reaches left
    dc.PatBlt(5, 0, 7, 20, DSTINVERT);
    EXPECT_EQ(Pixels(s), before);

    CBrush brush(RGB(10, 20, 30));
    dc.SelectObject(&brush);
    dc.PatBlt(0, 0, 2, 2, PATCOPY);
    EXPECT_EQ(s.GetPixel(1, 1), RGB(10, 20, 30));
    EXPECT_EQ(s.GetPixel(2, 1), before[32 + 2]);
}

namespace {

// A 32-bit picture whose pixel (column c, memory row r) is RGB(c, r, 77).
struct Picture {
    int w, h;
    std::vector<BYTE> bits;
    BITMAPINFO bmi{};
    Picture(int cols, int rows, bool bottomUp) : w(cols), h(rows)
    {
        bits.resize(static_cast<size_t>(w * h * 4));
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c) {
                BYTE* p = &bits[static_cast<size_t>((r * w + c) * 4)];
                p[0] = 77;                // blue
                p[1] = BYTE(r);           // green
                p[2] = BYTE(c);           // red
                p[3] = 0;
            }
        bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bmi.bmiHeader.biWidth = w;
        bmi.bmiHeader.biHeight = bottomUp ? h : -h;
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 32;
        bmi.bmiHeader.biCompression = BI_RGB;
    }
};

}  // namespace

TEST_F(CDCTest, StretchDIBitsPlacesRowsByTheHeightSign)
{
    CSurface s(10, 10, kWhite);
    CDC dc(&s);
    Picture up(3, 4, true);
    EXPECT_EQ(dc.StretchDIBits(1, 2, 3, 4, 0, 0, 3, 4, up.bits.data(), &up.bmi, DIB_RGB_COLORS, SRCCOPY), 4);
    EXPECT_EQ(s.GetPixel(1, 5), RGB(0, 0, 77));  // first row in memory at the bottom
    EXPECT_EQ(s.GetPixel(3, 2), RGB(2, 3, 77));  // last row at the top
    EXPECT_EQ(Ink(s, kWhite), CRect(1, 2, 4, 6));

    s.Fill(kWhite);
    Picture down(3, 4, false);
    dc.StretchDIBits(1, 2, 3, 4, 0, 0, 3, 4, down.bits.data(), &down.bmi, DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(s.GetPixel(1, 2), RGB(0, 0, 77));
    EXPECT_EQ(s.GetPixel(3, 5), RGB(2, 3, 77));

    s.Fill(kWhite);
    dc.StretchDIBits(0, 0, 6, 8, 0, 0, 3, 4, down.bits.data(), &down.bmi, DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(Ink(s, kWhite), CRect(0, 0, 6, 8));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 6; ++x) EXPECT_EQ(s.GetPixel(x, y), RGB(x / 2, y / 2, 77)) << x << "," << y;

    BITMAPINFO bad = up.bmi;
    bad.bmiHeader.biBitCount = 8;
    EXPECT_EQ(dc.StretchDIBits(0, 0, 3, 4, 0, 0, 3, 4, up.bits.data(), &bad, DIB_RGB_COLORS, SRCCOPY), 0);
}

TEST_F(CDCTest, StretchDIBitsCopiesOneToOneOnlyWhereClipAndPictureAllow)
{
    // Source columns 2..6 of a 5-column picture: 5 and 6 do not exist; the
    // block starts left of the surface and a clip rectangle is cut out.
    CSurface s(8, 6, kWhite);
    CDC dc(&s);
    Picture down(5, 4, false);
    dc.ExcludeClipRect(1, 1, 2, 2);
    EXPECT_EQ(dc.StretchDIBits(-1, 0, 5, 4, 2, 0, 5, 4, down.bits.data(), &down.bmi, DIB_RGB_COLORS, SRCCOPY), 4);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) {
            const int column = x + 3; // the source column shown at x
            const bool drawn = y < 4 && x < 2 && column < 5 && !(x == 1 && y == 1);
            EXPECT_EQ(s.GetPixel(x, y), drawn ? RGB(column, y, 77) : kWhite) << x << "," << y;
        }
}

TEST_F(CDCTest, StretchDIBitsDrawsARingPictureInTwoParts)
{
    // The sonogram keeps its columns in a ring starting at s0 and shows the
    // ring in two copies of equal size.
    const int n = 8, lines = 3, s0 = 5, x0 = 2;
    Picture ring(n, lines, true);
    CSurface s(12, 4, kWhite);
    CDC dc(&s);
    dc.StretchDIBits(x0, 0, n - s0, lines, s0, 0, n - s0, lines, ring.bits.data(), &ring.bmi,
                     DIB_RGB_COLORS, SRCCOPY);
    dc.StretchDIBits(x0 + (n - s0), 0, s0, lines, 0, 0, s0, lines, ring.bits.data(), &ring.bmi,
                     DIB_RGB_COLORS, SRCCOPY);
    for (int i = 0; i < n; ++i) {
        const int column = (s0 + i) % n;
        EXPECT_EQ(s.GetPixel(x0 + i, lines - 1), RGB(column, 0, 77)) << i;  // line 0 at the bottom
        EXPECT_EQ(s.GetPixel(x0 + i, 0), RGB(column, lines - 1, 77)) << i;
    }
    EXPECT_EQ(Ink(s, kWhite), CRect(x0, 0, x0 + n, lines));
}

TEST_F(CDCTest, MemoryContextsCombineByBitBlt)
{
    CSurface window(8, 8, RGB(0x0F, 0x00, 0x30));
    CDC dc(&window);
    CDC mem;
    ASSERT_TRUE(mem.CreateCompatibleDC(&dc));
    CBitmap bmp;
    ASSERT_TRUE(bmp.CreateCompatibleBitmap(&dc, 4, 4));
    BITMAP info{};
    EXPECT_TRUE(bmp.GetBitmap(&info));
    EXPECT_EQ(info.bmWidth, 4);
    EXPECT_EQ(info.bmHeight, 4);
    CBitmap* old = mem.SelectObject(&bmp);
    EXPECT_NE(old, nullptr);
    EXPECT_EQ(mem.GetPixel(0, 0), kBlack);  // a new picture is black
    mem.FillSolidRect(0, 0, 4, 4, RGB(0x30, 0x00, 0x03));
    mem.SetPixel(3, 3, kBlack);

    dc.BitBlt(2, 2, 4, 4, &mem, 0, 0, SRCPAINT);
    EXPECT_EQ(window.GetPixel(2, 2), RGB(0x3F, 0x00, 0x33));
    EXPECT_EQ(window.GetPixel(5, 5), RGB(0x0F, 0x00, 0x30));  // black ORs to nothing
    EXPECT_EQ(window.GetPixel(6, 6), RGB(0x0F, 0x00, 0x30));
    dc.BitBlt(0, 0, 2, 2, &mem, 0, 0, SRCAND);
    EXPECT_EQ(window.GetPixel(0, 0), RGB(0x00, 0x00, 0x00));
    dc.BitBlt(0, 6, 2, 2, &mem, 0, 0, SRCINVERT);
    EXPECT_EQ(window.GetPixel(1, 7), RGB(0x3F, 0x00, 0x33));
    dc.BitBlt(6, 0, 2, 2, &mem, 0, 0, SRCCOPY);
    EXPECT_EQ(window.GetPixel(7, 1), RGB(0x30, 0x00, 0x03));

    // One bitmap, one context; deleting a selected one is refused.
    CDC other;
    other.CreateCompatibleDC(&dc);
    EXPECT_EQ(other.SelectObject(&bmp), nullptr);
    EXPECT_FALSE(bmp.DeleteObject());
    mem.SelectObject(old);
    EXPECT_NE(other.SelectObject(&bmp), nullptr);  // free again
    EXPECT_EQ(other.GetSurface(), bmp.Surface());
}

TEST_F(CDCTest, BitmapDestroyedWhileSelectedLeavesTheContextUsable)
{
    CSurface window(4, 4, kWhite);
    CDC dc(&window);
    CDC mem;
    mem.CreateCompatibleDC(&dc);
    {
        CBitmap bmp;
        bmp.CreateCompatibleBitmap(&dc, 4, 4);
        mem.SelectObject(&bmp);
        EXPECT_EQ(mem.GetSurface(), bmp.Surface());
    }
    EXPECT_NE(mem.GetSurface(), nullptr);
    mem.MoveTo(0, 0);
    EXPECT_TRUE(mem.LineTo(3, 3));
    dc.BitBlt(0, 0, 4, 4, &mem, 0, 0, SRCCOPY);  // only its 1 x 1 picture is there
}

TEST_F(CDCTest, ClippingProtectsExcludedAndOutsideAreas)
{
    CSurface s(20, 10, kWhite);
    CDC dc(&s);
    CBrush black(kBlack);
    dc.SelectObject(&black);
    const int unclipped = dc.SaveDC();
    EXPECT_EQ(dc.ExcludeClipRect(5, 0, 10, 10), COMPLEXREGION);
    dc.PatBlt(0, 0, 20, 10, PATCOPY);
    for (int x = 0; x < 20; ++x) EXPECT_EQ(s.GetPixel(x, 3), (x >= 5 && x < 10) ? kWhite : kBlack) << x;
    EXPECT_EQ(dc.SetPixel(6, 6, kBlack), CLR_INVALID);
    EXPECT_EQ(dc.GetPixel(6, 6), CLR_INVALID);

    dc.RestoreDC(unclipped);
    dc.SaveDC();
    s.Fill(kWhite);
    EXPECT_EQ(dc.IntersectClipRect(2, 2, 4, 5), SIMPLEREGION);
    dc.MoveTo(0, 3);
    dc.LineTo(20, 3);
    const CRect all(0, 0, 20, 10);
    dc.FillRect(&all, &black);
    EXPECT_EQ(Ink(s, kWhite), CRect(2, 2, 4, 5));

    // Clipping is given in logical coordinates and kept in device ones.
    dc.RestoreDC(-1);
    s.Fill(kWhite);
    dc.SetViewportOrg(-3, 0);  // scrolled three pixels right
    dc.ExcludeClipRect(10, 0, 12, 10);
    dc.SetViewportOrg(0, 0);
    dc.PatBlt(0, 0, 20, 10, DSTINVERT);
    EXPECT_EQ(Ink(s, kBlack), CRect(7, 0, 9, 10));
}

TEST_F(CDCTest, ViewportOriginShiftsLogicalCoordinates)
{
    CSurface s(20, 10, kWhite);
    CDC dc(&s);
    EXPECT_EQ(dc.SetViewportOrg(-5, 0), CPoint(0, 0));
    dc.SetPixel(7, 1, kBlack);
    EXPECT_EQ(s.GetPixel(2, 1), kBlack);
    EXPECT_EQ(dc.GetPixel(7, 1), kBlack);
}

TEST_F(CDCTest, SaveAndRestoreBringBackPensModesAndClipping)
{
    CSurface s(10, 10, kWhite);
    CDC dc(&s);
    CPen red(PS_SOLID, 1, RGB(255, 0, 0));
    const int saved = dc.SaveDC();
    dc.SelectObject(&red);
    dc.SetROP2(R2_XORPEN);
    dc.SetTextColor(RGB(0, 0, 255));
    dc.IntersectClipRect(0, 0, 1, 1);
    EXPECT_TRUE(dc.RestoreDC(saved));
    EXPECT_EQ(dc.SetROP2(R2_COPYPEN), R2_COPYPEN);
    EXPECT_EQ(dc.SetTextColor(kBlack), kBlack);
    dc.MoveTo(0, 5);
    dc.LineTo(10, 5);
    EXPECT_EQ(s.GetPixel(9, 5), kBlack);
    EXPECT_FALSE(dc.RestoreDC(-1));
}
