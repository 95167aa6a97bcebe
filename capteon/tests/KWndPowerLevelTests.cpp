// The level meter's pictures, read pixel by pixel: the memory picture that
// holds the trace and the window's picture that combines it over the grid.
#include <QApplication>
#include <cmath>

#include "capteon/KWndPowerLevel.h"
#include "capteon/tests/CapteonTestSupport.h"
#include "framework/ui/CMenu.h"
#include "framework/ui/CSurface.h"

using capteontest::useOwnProfile;

namespace {

constexpr COLORREF kBack = 0x003F00, kGrid = 0x7F7F7F, kTrace = 0x00FF00, kOverflow = 0x00FFFF, kCursor = 0x0000FF;

// A meter of W x H on a window of its own, with the range given.
struct Meter {
    Meter(int W, int H, int range)
    {
        AfxGetApp()->WriteProfileInt("Settings", "PowerRangeProfileEntry", range);
        parent.Create(nullptr, "meter", WS_OVERLAPPED, CRect(0, 0, W + 20, H + 20), nullptr);
        ok = wnd.Create(CRect(0, 0, W, H), &parent, 7);
        wnd.Clear();
    }
    COLORREF Mem(int x, int y) { return wnd.MemDC.GetPixel(x, y); }
    COLORREF Shown(int x, int y)
    {
        wnd.Invalidate();
        wnd.UpdateWindow();
        return wnd.GetSurface()->GetPixel(x, y);
    }
    CWnd parent;
    CKWndPowerLevel wnd;
    bool ok = false;
};

} // namespace

// y(P) = integer part of ((20·log10(32768) − 20·log10(P)) / range · H).
TEST(KWndPowerLevel, RowsOfPeaksAndGrid)
{
    useOwnProfile();
    Meter m(100, 200, 50);
    ASSERT_TRUE(m.ok);
    EXPECT_EQ(m.wnd.nRange, 50);
    EXPECT_EQ(m.wnd.GetRowOfPeak(32768), 0);
    EXPECT_EQ(m.wnd.GetRowOfPeak(16384), 24);  // 6.0206 dB of 50 over 200 rows: 24.08
    EXPECT_EQ(m.wnd.GetRowOfPeak(1000), 121);  // 30.309 dB: 121.2
    EXPECT_EQ(m.wnd.GetRowOfPeak(10362), 40);  // 10.0003 dB: 40.001
    EXPECT_EQ(m.wnd.GetRowOfPeak(10363), 39);  // 9.9994 dB: 39.998
    EXPECT_EQ(m.wnd.GetRowOfPeak(0), 385);     // the level of 0.5: 96.3296 dB, below the window
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(m.wnd.nGridRows[i], 40 * i);

    Meter ten(100, 200, 10);
    ASSERT_EQ(ten.wnd.nRange, 10);
    EXPECT_EQ(ten.wnd.nGridRows[1], 200); // the bottom edge
    EXPECT_EQ(ten.wnd.nGridRows[9], 1800);
    // Only the 0 dB line is inside; the rest of the window is background.
    EXPECT_EQ(ten.Shown(50, 0), kGrid);
    for (int y = 1; y < 200; ++y)
        ASSERT_NE(ten.wnd.GetSurface()->GetPixel(50, y), kGrid) << y;
    EXPECT_EQ(m.Shown(50, 40), kGrid);
    EXPECT_EQ(m.Shown(50, 39), kBack);

    Meter broken(100, 200, 0); // a stored range the menu never offers
    EXPECT_EQ(broken.wnd.nRange, 50);
}

// A segment leaves out its last point, so a column's level shows once the
// next column joins it.
TEST(KWndPowerLevel, SilenceIsDrawnAtTheLevelOfHalf)
{
    useOwnProfile();
    Meter m(100, 100, 100);
    CKWndPowerLevel::nPreviousY = 96;
    m.wnd.AddColumn(0);
    m.wnd.AddColumn(0);
    EXPECT_EQ(m.Mem(0, 96), kTrace); // 96.33 dB of 100 over 100 rows
    EXPECT_EQ(m.Mem(0, 95), kGrid);  // column 0 is the first minute mark
    EXPECT_EQ(m.Mem(0, 97), kGrid);
    EXPECT_EQ(m.Mem(1, 50), kBack);

    Meter narrow(100, 100, 50); // below the window: no trace at all
    CKWndPowerLevel::nPreviousY = 192;
    narrow.wnd.AddColumn(0);
    narrow.wnd.AddColumn(0);
    for (int y = 0; y < 100; ++y)
        ASSERT_NE(narrow.Mem(0, y), kTrace) << y;
}

TEST(KWndPowerLevel, CursorAheadWrapMinutesAndOverflow)
{
    useOwnProfile();
    const int W = 70, H = 100;
    Meter m(W, H, 50);
    CKWndPowerLevel::nPreviousY = 60;
    for (int i = 0; i < 5; ++i)
        m.wnd.AddColumn(1000);
    // Column 4 was written last: the cursor stands at 6, nothing red behind it.
    EXPECT_EQ(m.Mem(6, 50), kCursor);
    EXPECT_NE(m.Mem(4, 50), kCursor);
    EXPECT_NE(m.Mem(3, 50), kCursor);
    EXPECT_EQ(m.Mem(3, 60), kTrace); // y(1000) at range 50 over 100 rows: 60.6
    EXPECT_EQ(m.Mem(3, 10), kBack);

    m.wnd.AddColumn(32767); // column 5 overloaded
    EXPECT_EQ(m.Mem(5, 90), kOverflow); // below the trace's climb to full scale
    for (int i = 6; i < 61; ++i)
        m.wnd.AddColumn(1000);
    // The 61st column (count 60) is the mark of the first minute, numbered left of it.
    EXPECT_EQ(m.Mem(60, 10), kGrid);
    EXPECT_EQ(m.Mem(59, 10), kBack);
    bool numbered = false;
    for (int x = 40; x < 59; ++x)
        for (int y = 70; y < H; ++y)
            numbered = numbered || m.Mem(x, y) == 0xFFFFFF;
    EXPECT_TRUE(numbered);

    while (m.wnd.nCount < W)
        m.wnd.AddColumn(1000);
    EXPECT_EQ(m.wnd.nColumn, 0);
    EXPECT_EQ(m.Mem(0, 10), kGrid); // still the first column as it was drawn
    m.wnd.AddColumn(1000);          // wrapped: overwrites from the left
    EXPECT_EQ(m.Mem(0, 10), kBack);
    EXPECT_EQ(m.Mem(2, 50), kCursor);
    EXPECT_EQ(m.wnd.nColumn, 1);
    EXPECT_EQ(m.wnd.nCount, W + 1);

    m.wnd.Clear();
    EXPECT_EQ(m.wnd.nColumn, 0);
    EXPECT_EQ(m.Mem(2, 50), kBack);
}

// The memory picture is ORed over the grid: the trace crossing a grid line
// shows both; the caption stays readable beside the trace.
TEST(KWndPowerLevel, TraceIsCombinedOverGridAndCaption)
{
    useOwnProfile();
    Meter m(200, 200, 50);
    m.wnd.SetCaption("/tmp/x.wav");
    EXPECT_EQ(m.wnd.sCaption, "Запись ведется в файл :\n\n/tmp/x.wav");
    CKWndPowerLevel::nPreviousY = 40;
    m.wnd.AddColumn(10362);
    m.wnd.AddColumn(10362);
    m.wnd.AddColumn(10362);
    EXPECT_EQ(m.Shown(1, 40), kGrid | kTrace);
    EXPECT_EQ(m.Shown(1, 80), kGrid);
    EXPECT_EQ(m.Shown(1, 60), kBack);
    m.Shown(0, 0);
    bool yellow = false;
    for (int x = 0; x < 200; ++x)
        for (int y = 100; y < 200; ++y)
            yellow = yellow || m.wnd.GetSurface()->GetPixel(x, y) == 0x00FFFF;
    EXPECT_TRUE(yellow);
}

// Menu 10101: the range is chosen, marked, kept in the profile and read back.
TEST(KWndPowerLevel, RangeMenu)
{
    useOwnProfile();
    Meter m(100, 100, 50);
    std::vector<KShownMenuItem> shown;
    MenuDriver old = SetMenuDriver([&](const KShownMenu& menu) {
        shown = menu.items;
        return UINT(ID_POWER_RANGE_10 + 2);
    });
    m.wnd.OnContextMenu(&m.wnd, CPoint(10, 10));
    QApplication::processEvents();
    SetMenuDriver(old);
    ASSERT_EQ(shown.size(), 10u);
    EXPECT_EQ(shown[0].sText, "10 dB");
    EXPECT_EQ(shown[9].sText, "100 dB");
    EXPECT_EQ(shown[9].nID, UINT(ID_POWER_RANGE_100));
    EXPECT_TRUE(shown[4].bChecked && shown[4].bEnabled);
    EXPECT_FALSE(shown[2].bChecked);
    EXPECT_EQ(m.wnd.nRange, 30);
    EXPECT_EQ(m.wnd.nGridRows[1], 33);
    EXPECT_EQ(AfxGetApp()->GetProfileInt("Settings", "PowerRangeProfileEntry", 0), 30);

    CWnd parent;
    parent.Create(nullptr, "meter", WS_OVERLAPPED, CRect(0, 0, 120, 120), nullptr);
    CKWndPowerLevel again;
    ASSERT_TRUE(again.Create(CRect(0, 0, 100, 100), &parent, 7));
    EXPECT_EQ(again.nRange, 30);
}
