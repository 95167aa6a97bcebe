#include <gtest/gtest.h>

#include <QScrollBar>
#include <QWidget>

#include "testsupport/PlainWindow.h"
#include "framework/ui/CDocument.h"
#include "framework/ui/CScrollView.h"
#include "framework/ui/CSurface.h"

namespace {

class KTestView : public CScrollView {
public:
    void OnDraw(CDC* pDC) override
    {
        ++nDraws;
        // A mark at logical (100, 50): on screen it moves with the scroll position.
        pDC->FillSolidRect(100, 50, 1, 1, RGB(255, 0, 0));
    }
    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override
    {
        updates.push_back({pSender, lHint, pHint});
    }
    struct Update {
        CView* sender;
        LPARAM hint;
        CObject* object;
    };
    std::vector<Update> updates;
    int nDraws = 0;
};

class CScrollViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(ktest::CreatePlainWindow(view, 200, 100));
        // Total 1000 x 50: only the horizontal bar, client 200 x (100 - bar).
        view.SetScrollSizes(MM_TEXT, CSize(1000, 50), CSize(150, 40), CSize(64, 5));
        view.GetClientRect(&client);
    }
    int X() const { return view.GetScrollPosition().x; }
    KTestView view;
    CRect client;
};

TEST_F(CScrollViewTest, BarsTakeRoomOnlyWhereNeeded)
{
    EXPECT_EQ(200, client.Width());
    EXPECT_LT(client.Height(), 100);
    EXPECT_EQ(800, view.GetScrollLimit(SB_HORZ));
    EXPECT_EQ(0, view.GetScrollLimit(SB_VERT));
}

// The view's own bars: hidden while the total fits the window, shown again when it does not.
TEST_F(CScrollViewTest, OwnBarsHideWithAnEmptyRangeAndComeBack)
{
    auto shownBars = [&] {
        int n = 0;
        for (QScrollBar* b : view.GetWidget()->findChildren<QScrollBar*>())
            if (!b->isHidden()) n += b->orientation() == Qt::Horizontal ? 1 : 10;
        return n;
    };
    EXPECT_EQ(shownBars(), 1);
    view.SetScrollSizes(MM_TEXT, CSize(200, 100));
    EXPECT_EQ(shownBars(), 0);
    view.GetClientRect(&client);
    EXPECT_EQ(client, CRect(0, 0, 200, 100));
    view.SetScrollSizes(MM_TEXT, CSize(1000, 500));
    EXPECT_EQ(shownBars(), 11);
    view.SetScrollSizes(MM_TEXT, CSize(150, 50));
    EXPECT_EQ(shownBars(), 0);
}

TEST_F(CScrollViewTest, EveryCodeMovesAsThePlatformDoes)
{
    // One code after another from where the one before left the view; line
    // 64, page 150, total 1000 over a client 200 wide: the limit is 800.
    const struct {
        UINT code;
        UINT pos;
        int x;
        const char* why;
    } steps[] = {
        {SB_LINELEFT, 0, 0, "clamped at the start"},
        {SB_LINERIGHT, 0, 64, ""},
        {SB_PAGERIGHT, 0, 214, ""},
        {SB_PAGELEFT, 0, 64, ""},
        {SB_THUMBTRACK, 500, 500, ""},
        {SB_THUMBPOSITION, 321, 321, ""},
        {SB_ENDSCROLL, 0, 321, ""},
        {SB_RIGHT, 0, 800, ""},
        {SB_LINERIGHT, 0, 800, "clamped at the end: total minus client"},
        {SB_LEFT, 0, 0, ""},
    };
    for (const auto& step : steps) {
        view.OnHScroll(step.code, step.pos, nullptr);
        EXPECT_EQ(step.x, X()) << "code " << step.code << " " << step.why;
    }
    view.OnVScroll(SB_PAGEDOWN, 0, nullptr);
    EXPECT_EQ(0, view.GetScrollPosition().y) << "no vertical room";
}

TEST_F(CScrollViewTest, ThumbPositionsBeyondSixteenBits)
{
    view.SetScrollSizes(MM_TEXT, CSize(200000, 50), CSize(150, 40), CSize(64, 5));
    view.OnHScroll(SB_THUMBTRACK, 70000, nullptr);
    EXPECT_EQ(70000, X());
    SCROLLINFO si;
    view.GetScrollInfo(SB_HORZ, &si, SIF_ALL);
    EXPECT_EQ(70000, si.nPos);
    EXPECT_EQ(199999, si.nMax);
    EXPECT_EQ(UINT(client.Width()), si.nPage);
    view.ScrollToPosition(CPoint(300000, 0));
    EXPECT_EQ(200000 - client.Width(), X());
    // Shrinking the extent pulls the position back inside it.
    view.SetScrollSizes(MM_TEXT, CSize(300, 50));
    EXPECT_EQ(100, X());
}

TEST_F(CScrollViewTest, DrawingFollowsTheScrollPosition)
{
    view.UpdateWindow();
    EXPECT_EQ(RGB(255, 0, 0), view.GetSurface()->GetPixel(100, 50));
    view.OnHScroll(SB_LINERIGHT, 0, nullptr);
    const int draws = view.nDraws;
    view.UpdateWindow();
    EXPECT_EQ(draws + 1, view.nDraws) << "scrolling repaints";
    EXPECT_EQ(RGB(255, 0, 0), view.GetSurface()->GetPixel(100 - 64, 50));
    EXPECT_EQ(RGB(255, 255, 255), view.GetSurface()->GetPixel(100, 50));
}

class KCodeView : public KTestView {
public:
    void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pBar) override
    {
        codes.push_back(nSBCode);
        SCROLLINFO si;
        GetScrollInfo(SB_HORZ, &si, SIF_TRACKPOS);
        tracks.push_back(si.nTrackPos);
        // Like the sonogram: a dragged thumb does not scroll until released.
        if (nSBCode != SB_THUMBTRACK) CScrollView::OnHScroll(nSBCode, nPos, pBar);
    }
    std::vector<UINT> codes;
    std::vector<int> tracks;
};

TEST(CScrollBarTest, QtScrollBarSendsTheCodes)
{
    KCodeView view;
    ASSERT_TRUE(ktest::CreatePlainWindow(view, 200, 100));
    view.SetScrollSizes(MM_TEXT, CSize(100000, 50), CSize(150, 40), CSize(64, 5));
    QScrollBar* bar = view.GetWidget()->findChild<QScrollBar*>();
    ASSERT_NE(nullptr, bar);
    ASSERT_EQ(Qt::Horizontal, bar->orientation());
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ((std::vector<UINT>{SB_PAGERIGHT, SB_ENDSCROLL}), view.codes);
    EXPECT_EQ(150, view.GetScrollPosition().x) << "the view's page, not the bar's";
    EXPECT_EQ(150, bar->value());

    view.codes.clear();
    view.tracks.clear();
    bar->setSliderDown(true);
    bar->setSliderPosition(70000);
    EXPECT_EQ(150, view.GetScrollPosition().x) << "still dragging";
    bar->setSliderDown(false);
    ASSERT_EQ((std::vector<UINT>{SB_THUMBTRACK, SB_THUMBPOSITION, SB_ENDSCROLL}), view.codes);
    EXPECT_EQ(70000, view.tracks[0]);
    EXPECT_EQ(70000, view.tracks[1]);
    EXPECT_EQ(70000, view.GetScrollPosition().x);
    EXPECT_EQ(70000, bar->value());
}

TEST(CDocumentTest, UpdatesReachEveryViewButTheSender)
{
    ktest::EnsureQtApplication();
    CDocument doc;
    KTestView a, b, c;
    doc.AddView(&a);
    doc.AddView(&b);
    doc.AddView(&c);
    EXPECT_EQ(&doc, b.GetDocument());
    CObject* object = reinterpret_cast<CObject*>(&doc);
    doc.UpdateAllViews(&b, 9, object);
    ASSERT_EQ(1u, a.updates.size());
    EXPECT_TRUE(b.updates.empty());
    ASSERT_EQ(1u, c.updates.size());
    EXPECT_EQ(&b, a.updates[0].sender);
    EXPECT_EQ(9, c.updates[0].hint);
    EXPECT_EQ(object, c.updates[0].object);
    doc.UpdateAllViews(nullptr, 11);
    EXPECT_EQ(1u, b.updates.size()) << "a null sender reaches every view";

    {
        KTestView gone;
        doc.AddView(&gone);
    }
    doc.RemoveView(&a);
    EXPECT_EQ(nullptr, a.GetDocument());
    doc.UpdateAllViews(nullptr, 4);
    EXPECT_EQ(2u, a.updates.size()) << "removed views hear nothing more";
    EXPECT_EQ(3u, c.updates.size());
    EXPECT_FALSE(doc.IsModified());
    doc.SetModifiedFlag();
    EXPECT_TRUE(doc.IsModified());
}

}  // namespace
