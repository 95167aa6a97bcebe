#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QImage>
#include <QMouseEvent>
#include <QPixmap>
#include <QWidget>

#include "framework/ui/CCursor.h"
#include "framework/ui/CWnd.h"
#include "testsupport/QtTestApp.h"

namespace {

constexpr UINT kPenCursor = 7301;
// 5 × 4: a black frame with a white middle, its last row shorter.
const KCursorResource kPen(kPenCursor, {"#####", "#...#", "#####", "  #"}, 2, 3);

// A view that chooses its cursor from its state, as the tracer does by tool.
class KToolWnd : public CWnd {
public:
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message) override
    {
        ++nAsked;
        nLastHit = nHitTest;
        nLastMessage = message;
        if (hTool) {
            SetCursor(hTool);
            return TRUE;
        }
        return CWnd::OnSetCursor(pWnd, nHitTest, message);
    }
    HCURSOR hTool = nullptr;
    int nAsked = 0;
    UINT nLastHit = 99, nLastMessage = 0;
};

void MoveMouse(QWidget* w, QPoint at)
{
    QMouseEvent e(QEvent::MouseMove, QPointF(at), QPointF(w->mapToGlobal(at)), Qt::NoButton, Qt::NoButton,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

} // namespace

TEST(Cursor, ViewChoosesItsOwnCursorAsTheMouseMoves)
{
    ktest::EnsureQtApplication();
    KToolWnd wnd;
    ASSERT_TRUE(wnd.Create(nullptr, "окно", WS_OVERLAPPED, CRect(0, 0, 60, 40), nullptr));
    QWidget* w = wnd.GetWidget();

    wnd.hTool = LoadCursorResource(kPenCursor);
    ASSERT_NE(wnd.hTool, nullptr);
    EXPECT_EQ(LoadCursorResource(kPenCursor), wnd.hTool); // loaded once, shared
    MoveMouse(w, QPoint(10, 10));
    EXPECT_EQ(wnd.nAsked, 1);
    EXPECT_EQ(wnd.nLastHit, UINT(HTCLIENT));
    EXPECT_EQ(wnd.nLastMessage, UINT(WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), wnd.hTool);

    const QCursor c = w->cursor();
    EXPECT_EQ(c.shape(), Qt::BitmapCursor);
    EXPECT_EQ(c.hotSpot(), QPoint(2, 3));
    const QImage img = c.pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(img.size(), QSize(5, 4));
    EXPECT_EQ(img.pixel(0, 0), qRgba(0, 0, 0, 255));
    EXPECT_EQ(img.pixel(2, 1), qRgba(255, 255, 255, 255));
    EXPECT_EQ(img.pixel(2, 3), qRgba(0, 0, 0, 255));
    EXPECT_EQ(qAlpha(img.pixel(0, 3)), 0);
    EXPECT_EQ(qAlpha(img.pixel(4, 3)), 0); // past the short row's end

    // Out of the editing mode the view leaves the choice to the default: the arrow.
    wnd.hTool = nullptr;
    MoveMouse(w, QPoint(11, 10));
    EXPECT_EQ(w->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(GetCursor(), LoadStandardCursor(IDC_ARROW));

    // A window holding the capture keeps its cursor.
    wnd.hTool = LoadStandardCursor(IDC_CROSS);
    wnd.SetCapture();
    MoveMouse(w, QPoint(12, 10));
    EXPECT_EQ(wnd.nAsked, 2);
    CWnd::ReleaseCapture();
    MoveMouse(w, QPoint(13, 10));
    EXPECT_EQ(w->cursor().shape(), Qt::CrossCursor);
}

TEST(Cursor, ParentChoosesForItsChildWindows)
{
    ktest::EnsureQtApplication();
    KToolWnd parent;
    ASSERT_TRUE(parent.Create(nullptr, "рамка", WS_OVERLAPPED, CRect(0, 0, 100, 80), nullptr));
    KToolWnd child;
    ASSERT_TRUE(child.Create(nullptr, "вид", WS_CHILD | WS_VISIBLE, CRect(10, 10, 60, 50), &parent));

    parent.hTool = LoadStandardCursor(IDC_SIZEWE);
    MoveMouse(child.GetWidget(), QPoint(5, 5));
    EXPECT_EQ(parent.nAsked, 1);
    EXPECT_EQ(child.GetWidget()->cursor().shape(), Qt::SizeHorCursor);

    parent.hTool = nullptr;
    MoveMouse(child.GetWidget(), QPoint(6, 5));
    EXPECT_EQ(child.GetWidget()->cursor().shape(), Qt::ArrowCursor);

    EXPECT_EQ(LoadCursorResource(7399), nullptr);
    EXPECT_EQ(LoadStandardCursor(1), nullptr);
    SetCursor(nullptr); // none shown
    EXPECT_EQ(child.GetWidget()->cursor().shape(), Qt::BlankCursor);
}
