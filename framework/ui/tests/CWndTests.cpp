#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QImage>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>

#include "testsupport/PlainWindow.h"
#include "framework/ui/CSurface.h"
#include "framework/ui/CWnd.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);

struct MouseCall {
    char kind;
    UINT flags;
    CPoint pt;
};

class KTestWnd : public CWnd {
public:
    void OnPaint() override
    {
        ++nPaints;
        CPaintDC dc(this);
        rcLastPaint = dc.m_ps.rcPaint;
        dc.FillSolidRect(0, 0, 10, 10, kRed);
    }
    BOOL OnEraseBkgnd(CDC* pDC) override
    {
        ++nErases;
        return CWnd::OnEraseBkgnd(pDC);
    }
    void OnSize(UINT, int cx, int cy) override { sizes.emplace_back(cx, cy); }
    void OnLButtonDown(UINT f, CPoint p) override { calls.push_back({'D', f, p}); if (bCapture) SetCapture(); }
    void OnLButtonUp(UINT f, CPoint p) override { calls.push_back({'U', f, p}); }
    void OnLButtonDblClk(UINT f, CPoint p) override { calls.push_back({'2', f, p}); }
    void OnRButtonDown(UINT f, CPoint p) override { calls.push_back({'R', f, p}); }
    void OnMouseMove(UINT f, CPoint p) override { calls.push_back({'M', f, p}); }
    void OnKeyDown(UINT c, UINT, UINT) override { keys.push_back(c); }
    void OnChar(UINT c, UINT, UINT) override { chars.push_back(c); }
    void OnDropFiles(const std::vector<CString>& f) override { dropped = f; }

    int nPaints = 0;
    int nErases = 0;
    bool bCapture = false;
    CRect rcLastPaint;
    std::vector<CSize> sizes;
    std::vector<MouseCall> calls;
    std::vector<UINT> keys, chars;
    std::vector<CString> dropped;
};

void Send(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons,
          Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, buttons, mods);
    QApplication::sendEvent(w, &e);
}

class CWndTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ktest::EnsureQtApplication();
        ASSERT_TRUE(wnd.Create(nullptr, "окно", WS_OVERLAPPED, CRect(0, 0, 120, 80), nullptr));
    }
    KTestWnd wnd;
};

TEST_F(CWndTest, PictureFollowsTheClientArea)
{
    CRect r;
    wnd.GetClientRect(&r);
    EXPECT_EQ(CRect(0, 0, 120, 80).Width(), r.Width());
    EXPECT_EQ(80, r.Height());
    EXPECT_EQ(120, wnd.GetSurface()->Width());
    wnd.MoveWindow(0, 0, 60, 30);
    EXPECT_EQ(60, wnd.GetSurface()->Width());
    EXPECT_EQ(30, wnd.GetSurface()->Height());
    ASSERT_FALSE(wnd.sizes.empty());
    EXPECT_EQ(60, wnd.sizes.back().cx);
    EXPECT_EQ(30, wnd.sizes.back().cy);
}

TEST_F(CWndTest, InvalidateLeadsToOnePaintOfTheInvalidArea)
{
    wnd.UpdateWindow(); // the creation's own paint
    wnd.GetSurface()->Fill(RGB(0, 0, 255));
    wnd.nPaints = wnd.nErases = 0;
    wnd.UpdateWindow();
    EXPECT_EQ(0, wnd.nPaints) << "nothing is invalid";

    CRect part(20, 20, 40, 30);
    wnd.InvalidateRect(&part, TRUE);
    wnd.UpdateWindow();
    EXPECT_EQ(1, wnd.nPaints);
    EXPECT_EQ(1, wnd.nErases);
    EXPECT_EQ(20, wnd.rcLastPaint.left);
    EXPECT_EQ(40, wnd.rcLastPaint.right);
    // The paint is limited to the invalid area: the erase filled only it,
    // and the red square outside it was not drawn.
    EXPECT_EQ(kWhite, wnd.GetSurface()->GetPixel(25, 25));
    EXPECT_EQ(RGB(0, 0, 255), wnd.GetSurface()->GetPixel(50, 50));
    EXPECT_EQ(RGB(0, 0, 255), wnd.GetSurface()->GetPixel(5, 5));
    wnd.UpdateWindow();
    EXPECT_EQ(1, wnd.nPaints) << "the paint validated the window";

    wnd.Invalidate(FALSE);
    wnd.UpdateWindow();
    EXPECT_EQ(2, wnd.nPaints);
    EXPECT_EQ(1, wnd.nErases) << "no erase was asked for";
    EXPECT_EQ(kRed, wnd.GetSurface()->GetPixel(5, 5));
}

TEST_F(CWndTest, QtPaintEventRunsOnPaintAndShowsThePicture)
{
    wnd.UpdateWindow();
    wnd.nPaints = 0;
    wnd.Invalidate();
    QImage shown = wnd.GetWidget()->grab().toImage();
    EXPECT_EQ(1, wnd.nPaints);
    EXPECT_EQ(qRgb(255, 0, 0), shown.pixel(3, 3));
    EXPECT_EQ(qRgb(255, 255, 255), shown.pixel(50, 50));
}

TEST_F(CWndTest, ClientDcXorLandsInThePictureAndTwiceRestoresIt)
{
    wnd.UpdateWindow();
    wnd.GetSurface()->TakeChangedRect();
    CPen pen(PS_SOLID, 1, kWhite);
    auto cross = [&] {
        CClientDC dc(&wnd);
        CPen* old = dc.SelectObject(&pen);
        const int oldRop = dc.SetROP2(R2_XORPEN);
        dc.MoveTo(5, 0);
        dc.LineTo(5, 40);
        dc.MoveTo(0, 20);
        dc.LineTo(60, 20);
        dc.SetROP2(oldRop);
        dc.SelectObject(old);
    };
    cross();
    EXPECT_EQ(RGB(0, 255, 255), wnd.GetSurface()->GetPixel(5, 5)) << "red xor white";
    EXPECT_EQ(RGB(0, 0, 0), wnd.GetSurface()->GetPixel(30, 20));
    EXPECT_EQ(kWhite, wnd.GetSurface()->GetPixel(30, 21));
    EXPECT_FALSE(wnd.GetSurface()->TakeChangedRect().IsRectEmpty()) << "the change is reported to be shown";
    EXPECT_EQ(0, wnd.GetWidget()->grab().toImage().pixel(30, 20) & 0xFFFFFF) << "and is shown";
    cross();
    EXPECT_EQ(kRed, wnd.GetSurface()->GetPixel(5, 5));
    EXPECT_EQ(kWhite, wnd.GetSurface()->GetPixel(30, 20));
}

TEST_F(CWndTest, MouseEventsReachHandlersWithFlagsAndClientPoints)
{
    QWidget* w = wnd.GetWidget();
    Send(w, QEvent::MouseButtonPress, QPoint(7, 9), Qt::LeftButton, Qt::LeftButton, Qt::ShiftModifier);
    Send(w, QEvent::MouseMove, QPoint(8, 10), Qt::NoButton, Qt::LeftButton | Qt::RightButton,
         Qt::ControlModifier);
    Send(w, QEvent::MouseButtonRelease, QPoint(9, 11), Qt::LeftButton, Qt::NoButton);
    Send(w, QEvent::MouseButtonDblClick, QPoint(1, 2), Qt::LeftButton, Qt::LeftButton);
    Send(w, QEvent::MouseButtonPress, QPoint(3, 4), Qt::RightButton, Qt::RightButton | Qt::MiddleButton);
    ASSERT_EQ(5u, wnd.calls.size());
    EXPECT_EQ('D', wnd.calls[0].kind);
    EXPECT_EQ(MK_LBUTTON | MK_SHIFT, wnd.calls[0].flags);
    EXPECT_TRUE(wnd.calls[0].pt == CPoint(7, 9));
    EXPECT_EQ('M', wnd.calls[1].kind);
    EXPECT_EQ(MK_LBUTTON | MK_RBUTTON | MK_CONTROL, wnd.calls[1].flags);
    EXPECT_EQ('U', wnd.calls[2].kind);
    EXPECT_EQ(0u, wnd.calls[2].flags) << "the released button is no longer down";
    EXPECT_TRUE(wnd.calls[2].pt == CPoint(9, 11));
    EXPECT_EQ('2', wnd.calls[3].kind);
    EXPECT_EQ('R', wnd.calls[4].kind);
    EXPECT_EQ(MK_RBUTTON | MK_MBUTTON, wnd.calls[4].flags);
}

TEST_F(CWndTest, CaptureBelongsToOneWindowUntilReleasedOrDestroyed)
{
    wnd.bCapture = true;
    Send(wnd.GetWidget(), QEvent::MouseButtonPress, QPoint(1, 1), Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(&wnd, CWnd::GetCapture());
    {
        KTestWnd other;
        ASSERT_TRUE(other.Create(nullptr, "", WS_CHILD, CRect(0, 0, 10, 10), &wnd));
        EXPECT_EQ(&wnd, other.SetCapture());
        EXPECT_EQ(&other, CWnd::GetCapture());
    }
    EXPECT_EQ(nullptr, CWnd::GetCapture()) << "a destroyed window holds no capture";
    wnd.SetCapture();
    CWnd::ReleaseCapture();
    EXPECT_EQ(nullptr, CWnd::GetCapture());
}

TEST_F(CWndTest, ChildWindowsKnowTheirParentAndDieWithIt)
{
    auto* child = new KTestWnd;
    ASSERT_TRUE(child->Create(nullptr, "объект", WS_CHILD | WS_VISIBLE, CRect(10, 20, 30, 44), &wnd, 7));
    EXPECT_EQ(&wnd, child->GetParent());
    EXPECT_EQ(&wnd, child->GetParentOwner());
    EXPECT_EQ(&wnd, wnd.GetParentOwner());
    EXPECT_EQ(7, child->GetDlgCtrlID());
    EXPECT_EQ(child, wnd.GetDlgItem(7));
    CRect r;
    child->GetClientRect(&r);
    EXPECT_EQ(20, r.Width());
    EXPECT_EQ(24, r.Height());
    CPoint p(0, 0);
    child->ClientToScreen(&p);
    wnd.ScreenToClient(&p);
    EXPECT_TRUE(p == CPoint(10, 20));
    delete child;
    EXPECT_EQ(nullptr, wnd.GetDlgItem(7));

    // The parent going first leaves a child object without a widget, not a double delete.
    auto parent = std::make_unique<KTestWnd>();
    ASSERT_TRUE(parent->Create(nullptr, "", 0, CRect(0, 0, 50, 50), nullptr));
    KTestWnd orphan;
    ASSERT_TRUE(orphan.Create(nullptr, "", WS_CHILD, CRect(0, 0, 5, 5), parent.get()));
    parent.reset();
    EXPECT_EQ(nullptr, orphan.GetWidget());
    CClientDC dc(&orphan); // draws into the picture that is left, and nowhere else
    dc.FillSolidRect(0, 0, 5, 5, kRed);
    EXPECT_EQ(kRed, orphan.GetSurface()->GetPixel(1, 1));
}

class KMenuParent : public KTestWnd {
public:
    void OnContextMenu(CWnd* pWnd, CPoint point) override
    {
        pFrom = pWnd;
        ptAt = point;
    }
    CWnd* pFrom = nullptr;
    CPoint ptAt;
};

TEST(CWndContextMenuTest, UnhandledContextMenuGoesToTheParent)
{
    KMenuParent parent;
    ASSERT_TRUE(ktest::CreatePlainWindow(parent, 100, 100));
    KTestWnd child;
    ASSERT_TRUE(child.Create(nullptr, "", WS_CHILD, CRect(10, 10, 50, 50), &parent));
    QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(3, 3), child.GetWidget()->mapToGlobal(QPoint(3, 3)));
    QApplication::sendEvent(child.GetWidget(), &key);
    EXPECT_EQ(&child, parent.pFrom);
    EXPECT_TRUE(parent.ptAt == CPoint(-1, -1)) << "from the keyboard";
    const QPoint global = child.GetWidget()->mapToGlobal(QPoint(4, 6));
    QContextMenuEvent mouse(QContextMenuEvent::Mouse, QPoint(4, 6), global);
    QApplication::sendEvent(child.GetWidget(), &mouse);
    EXPECT_TRUE(parent.ptAt == CPoint(global.x(), global.y())) << "screen coordinates";
}

TEST_F(CWndTest, KeysArriveAsVirtualCodesAndCharacters)
{
    QWidget* w = wnd.GetWidget();
    for (auto [key, text] : {std::pair{Qt::Key_Left, QString()}, std::pair{Qt::Key_PageDown, QString()},
                             std::pair{Qt::Key_Home, QString()}, std::pair{Qt::Key_Space, QString(" ")},
                             std::pair{Qt::Key_A, QString("a")}}) {
        QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(w, &e);
    }
    EXPECT_EQ((std::vector<UINT>{VK_LEFT, VK_NEXT, VK_HOME, VK_SPACE, 'A'}), wnd.keys);
    EXPECT_EQ((std::vector<UINT>{' ', 'a'}), wnd.chars);
}

TEST_F(CWndTest, DroppedFilesArriveAsPaths)
{
    wnd.DragAcceptFiles();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile("/tmp/звук один.wav"), QUrl::fromLocalFile("/tmp/b.wav")});
    // As a drag ends: entered, then dropped.
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(wnd.GetWidget(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent e(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(wnd.GetWidget(), &e);
    ASSERT_EQ(2u, wnd.dropped.size());
    EXPECT_STREQ("/tmp/звук один.wav", wnd.dropped[0].GetString());
}

}  // namespace

namespace {
// Creation ends in OnCreate: it sees the window's size, and -1 refuses it.
class KCreateWnd : public CWnd {
public:
    int OnCreate(LPCREATESTRUCT lpcs) override
    {
        CRect r;
        GetClientRect(&r);
        seen = CSize(r.Width(), lpcs->cy);
        return nResult;
    }
    int nResult = 0;
    CSize seen;
};
} // namespace

TEST(CWndCreateTest, OnCreateSeesTheWindowAndCanRefuseIt)
{
    ktest::EnsureQtApplication();
    KCreateWnd ok;
    ASSERT_TRUE(ok.Create(nullptr, "a", WS_OVERLAPPED, CRect(0, 0, 70, 40), nullptr));
    EXPECT_EQ(ok.seen, CSize(70, 40));
    KCreateWnd refused;
    refused.nResult = -1;
    EXPECT_FALSE(refused.Create(nullptr, "b", WS_OVERLAPPED, CRect(0, 0, 70, 40), nullptr));
    EXPECT_EQ(refused.GetWidget(), nullptr);
    EXPECT_EQ(refused.GetSurface(), nullptr);
}

TEST(CWndCreateTest, CenterWindowPutsAWindowInTheMiddleOfItsOwner)
{
    ktest::EnsureQtApplication();
    CWnd owner;
    ASSERT_TRUE(owner.Create(nullptr, "owner", WS_OVERLAPPED, CRect(100, 100, 400, 300), nullptr));
    CWnd floating;
    ASSERT_TRUE(floating.Create(nullptr, "floating", WS_POPUP, CRect(0, 0, 101, 50), &owner));
    floating.CenterWindow();
    CRect o, r;
    owner.GetWindowRect(&o);
    floating.GetWindowRect(&r);
    EXPECT_EQ(r.left - o.left, (300 - 101) / 2);
    EXPECT_EQ(r.top - o.top, (200 - 50) / 2);
    EXPECT_EQ(r.Width(), 101);
    // A child window is centred inside its parent's client area.
    CWnd child;
    ASSERT_TRUE(child.Create(nullptr, "child", WS_CHILD, CRect(0, 0, 40, 20), &owner));
    child.CenterWindow();
    EXPECT_EQ(child.GetWidget()->geometry(), QRect(130, 90, 40, 20));
}
