#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEnterEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSettings>
#include <QToolTip>
#include <QWidget>

#include "FrameTestSupport.h"
#include "testsupport/QtTestApp.h"
#include "framework/base/ScriptedUserInteraction.h"
#include "testsupport/ByteFiles.h"
#include "framework/ui/CDocTemplate.h"
#include "framework/ui/CMDIFrameWnd.h"
#include "framework/ui/CMiniFrameWnd.h"
#include "framework/ui/CSplitterWnd.h"
#include "framework/ui/CSurface.h"
#include "framework/ui/CToolTipCtrl.h"
#include "framework/ui/CWinApp.h"

using namespace frame_test;

namespace {

class CMdiApp : public CWinApp {
public:
    CMdiApp() : CWinApp("MdiTest") { MapCommand(ID_FILE_NEW, &CMdiApp::OnFileNew); }
};

// Paints the empty client of the main frame from its own client size, with
// a mark in the bottom-right corner; a resize invalidates it, as the
// workshop's painter does.
class CBackgroundPainter : public CWnd {
public:
    BOOL OnEraseBkgnd(CDC* pDC) override
    {
        CRect r;
        GetClientRect(&r);
        pDC->FillSolidRect(&r, RGB(0, 0, 127));
        pDC->FillSolidRect(r.right - 2, r.bottom - 2, 2, 2, RGB(255, 255, 0));
        ++nPaints;
        return TRUE;
    }
    void OnSize(UINT, int cx, int cy) override
    {
        sizes.emplace_back(cx, cy);
        Invalidate();
    }
    int nPaints = 0;
    std::vector<std::pair<int, int>> sizes;
};

class MdiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ktest::EnsureQtApplication();
        CNumberDoc::calls.clear();
        app.AddDocTemplate(new CMultiDocTemplate(IDR_MDI_DOC, RUNTIME_CLASS(CNumberDoc), RUNTIME_CLASS(CMDIChildWnd),
                                                 RUNTIME_CLASS(CNumberView)));
        main = new CMDIFrameWnd;
        main->m_bAutoDelete = true;
        ASSERT_TRUE(main->LoadFrame(IDR_MDI_MAIN));
        app.m_pMainWnd = main;
        main->GetWidget()->resize(900, 700);
        main->ShowWindow(SW_SHOW);
    }
    void TearDown() override
    {
        if (app.m_pMainWnd) main->OnClose();
        Pump();
    }
    bool MenuHas(const char* text)
    {
        for (const auto& it : main->GetShownMenu())
            if (it.sText == text) return true;
        return false;
    }

    CMdiApp app;
    CScriptedUserInteraction ui;
    CMDIFrameWnd* main = nullptr;
};

} // namespace

TEST_F(MdiTest, EachDocumentGetsAChildFrameAndTheActiveOneCarriesTheMenu)
{
    EXPECT_FALSE(MenuHas("&Окно"));
    app.OnFileNew();
    app.OnFileNew();
    Pump();
    ASSERT_EQ(main->GetChildFrames().size(), 2u);
    CMDIChildWnd* active = main->MDIGetActive();
    ASSERT_EQ(active, main->GetChildFrames()[1]);
    EXPECT_STREQ(main->GetActiveDocument()->GetTitle(), "Число2");
    EXPECT_EQ(main->GetWidget()->windowTitle().toStdString(), "Числа - Число2");
    EXPECT_TRUE(MenuHas("&Окно"));

    // The main frame's menu command reaches the active child's view.
    EXPECT_TRUE(main->ChooseMenuCommand(ID_VIEW_CMD));
    EXPECT_EQ(CNumberDoc::calls, std::vector<UINT>{ID_VIEW_CMD});
    EXPECT_TRUE(main->TranslateAccelerator(VK_SPACE, false, false, false)); // the document's key table
    Pump();
    EXPECT_EQ(CNumberDoc::calls.size(), 2u);

    EXPECT_TRUE(main->ChooseMenuCommand(ID_WINDOW_CASCADE));
    EXPECT_TRUE(main->ChooseMenuCommand(ID_WINDOW_TILE_HORZ));
    Pump();

    // Closing a child closes its document; the last one gives the frame its own menu back.
    main->GetChildFrames()[0]->MDIActivate();
    EXPECT_TRUE(main->ChooseMenuCommand(ID_FILE_CLOSE));
    Pump();
    ASSERT_EQ(main->GetChildFrames().size(), 1u);
    EXPECT_STREQ(main->GetActiveDocument()->GetTitle(), "Число2");
    main->MDIGetActive()->OnClose();
    Pump();
    EXPECT_TRUE(main->GetChildFrames().empty());
    EXPECT_EQ(main->GetActiveDocument(), nullptr);
    EXPECT_FALSE(MenuHas("&Окно"));
    EXPECT_TRUE(app.GetDocTemplates().front()->GetDocuments().empty());
}

TEST_F(MdiTest, ClosingTheProgramAsksForEveryModifiedDocument)
{
    app.OnFileNew();
    app.OnFileNew();
    Pump();
    for (CDocument* d : app.GetDocTemplates().front()->GetDocuments()) d->SetModifiedFlag();
    ui.QueueAnswer(IDNO);
    ui.QueueAnswer(IDCANCEL);
    main->OnClose();
    EXPECT_EQ(ui.m_messages.size(), 2u);
    EXPECT_EQ(app.m_pMainWnd, main); // cancelled: everything stays
    EXPECT_EQ(main->GetChildFrames().size(), 2u);
    ui.QueueAnswer(IDNO);
    ui.QueueAnswer(IDNO);
    main->OnClose();
    EXPECT_EQ(app.m_pMainWnd, nullptr);
}

TEST_F(MdiTest, ClientBackgroundIsPaintedByTheProgramsWindowAtTheClientsSize)
{
    CBackgroundPainter painter;
    main->RecalcLayout();
    ASSERT_TRUE(main->SubclassMDIClient(&painter));
    QWidget* client = main->GetMDIClient()->viewport();
    auto checkPicture = [&](const char* when) {
        SCOPED_TRACE(when);
        const int w = client->width(), h = client->height();
        ASSERT_GT(w, 100);
        CRect r;
        painter.GetClientRect(&r);
        EXPECT_EQ(r, CRect(0, 0, w, h));
        const QImage bg = main->GetMDIClient()->background().textureImage();
        ASSERT_EQ(bg.size(), QSize(w, h));
        EXPECT_EQ(bg.pixel(3, 3), qRgb(0, 0, 127));
        EXPECT_EQ(bg.pixel(w - 1, h - 1), qRgb(255, 255, 0));
        EXPECT_EQ(bg.pixel(w - 3, h - 3), qRgb(0, 0, 127));
    };
    checkPicture("subclassed");

    main->GetWidget()->resize(700, 500);
    Pump();
    checkPicture("resized");
    ASSERT_FALSE(painter.sizes.empty());
    EXPECT_EQ(painter.sizes.back(), std::make_pair(client->width(), client->height()));

    // The painter's own invalidation paints the background again.
    const int paints = painter.nPaints;
    painter.Invalidate();
    client->repaint();
    EXPECT_EQ(painter.nPaints, paints + 1);

    ASSERT_TRUE(main->SubclassMDIClient(nullptr));
    EXPECT_EQ(painter.GetWidget(), nullptr);
}

// The show modes act on the main frame's window and, for a document's
// child frame, on its window inside the client.
TEST_F(MdiTest, ShowModesMaximiseMinimiseAndRestoreMainAndChildFrames)
{
    QWidget* w = main->GetWidget();
    Pump();
    const QSize normal = w->size();
    EXPECT_TRUE(main->ShowWindow(SW_SHOWMAXIMIZED));
    Pump();
    EXPECT_TRUE(w->isMaximized());
    EXPECT_EQ(w->frameGeometry(), w->screen()->availableGeometry());
    main->ShowWindow(SW_MINIMIZE);
    Pump();
    EXPECT_TRUE(w->isMinimized());
    main->ShowWindow(SW_RESTORE); // back to maximised, as it was before
    Pump();
    EXPECT_FALSE(w->isMinimized());
    EXPECT_TRUE(w->isMaximized());
    main->ShowWindow(SW_SHOWNORMAL);
    Pump();
    EXPECT_FALSE(w->isMaximized());
    EXPECT_EQ(w->size(), normal);

    app.OnFileNew();
    app.OnFileNew();
    Pump();
    CMDIChildWnd* child = main->GetChildFrames()[0];
    QMdiSubWindow* sub = main->GetMDIClient()->subWindowList(QMdiArea::CreationOrder)[0];
    const QRect client = main->GetMDIClient()->viewport()->rect();
    child->ShowWindow(SW_SHOWMAXIMIZED);
    Pump();
    EXPECT_TRUE(sub->isMaximized());
    EXPECT_EQ(sub->geometry(), client);
    EXPECT_TRUE(child->IsMaximized());
    child->ShowWindow(SW_RESTORE);
    Pump();
    EXPECT_FALSE(sub->isMaximized());
    EXPECT_LT(sub->width(), client.width());
    child->ShowWindow(SW_MINIMIZE);
    Pump();
    EXPECT_TRUE(sub->isMinimized());
    EXPECT_TRUE(child->ShowWindow(SW_HIDE));
    EXPECT_FALSE(sub->isVisible());
    EXPECT_FALSE(child->ShowWindow(SW_SHOWNORMAL));
    EXPECT_TRUE(sub->isVisible());
    EXPECT_FALSE(sub->isMinimized());
}

// A real drop of file URLs on the main frame opens each local file as a
// document, once the frame accepts dropped files.
TEST_F(MdiTest, FilesDroppedOnTheMainFrameOpenAsDocuments)
{
    kavrel_test::ScratchDir dir;
    const std::string a = dir / "первый.num", b = dir / "second file.num";
    kavrel_test::WriteAll(a, {7, 0, 0, 0});
    kavrel_test::WriteAll(b, {0, 1, 0, 0});
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(a)), QUrl("https://example.org/c.num"),
                  QUrl::fromLocalFile(QString::fromStdString(b))});
    auto drop = [&] {
        QWidget* w = main->GetWidget();
        QDragEnterEvent enter(QPoint(40, 40), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w, &enter);
        QDropEvent dropEvent(QPointF(40, 40), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w, &dropEvent);
        Pump();
        return enter.isAccepted();
    };
    drop();
    EXPECT_TRUE(main->GetChildFrames().empty());

    main->DragAcceptFiles();
    EXPECT_TRUE(drop());
    const std::vector<CMDIChildWnd*> children = main->GetChildFrames();
    ASSERT_EQ(children.size(), 2u);
    auto* first = static_cast<CNumberDoc*>(children[0]->GetActiveDocument());
    auto* second = static_cast<CNumberDoc*>(children[1]->GetActiveDocument());
    ASSERT_TRUE(first && second);
    EXPECT_STREQ(first->GetPathName(), a.c_str());
    EXPECT_EQ(first->nValue, 7);
    EXPECT_STREQ(second->GetPathName(), b.c_str());
    EXPECT_EQ(second->nValue, 256);
}

// ---- splitters ----

namespace {

class SplitterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ktest::EnsureQtApplication();
        CNumberView::nTotal = 100000;
        ASSERT_TRUE(ShowFrameOver(frame, doc, 900, 800));
        sp = &frame.m_wndSplitter;
        sp->RecalcLayout();
    }
    void TearDown() override { CNumberView::nTotal = 1000; }
    CNumberView* Pane(int r, int c) { return static_cast<CNumberView*>(sp->GetPane(r, c)); }

    CNumberDoc doc;
    CSplitFrame frame;
    CSplitterWnd* sp = nullptr;
};

} // namespace

TEST_F(SplitterTest, StaticGridKeepsZeroWidthColumnsClosedUntilTheirBarIsDragged)
{
    int cur, mn;
    CRect client;
    sp->GetClientRect(&client);
    const int usable = client.Width() - 16; // the shared vertical bars
    sp->GetColumnInfo(0, cur, mn);
    EXPECT_EQ(cur, 0);
    sp->GetColumnInfo(2, cur, mn);
    EXPECT_EQ(cur, usable - 2 * CSplitterWnd::cxSplitter);
    sp->GetRowInfo(1, cur, mn);
    EXPECT_EQ(cur, 512);
    EXPECT_FALSE(Pane(1, 0)->GetWidget()->isVisible());
    EXPECT_TRUE(Pane(1, 2)->GetWidget()->isVisible());
    EXPECT_EQ(Pane(1, 2)->GetWidget()->geometry(), QRect(12, 86, usable - 12, 512));
    EXPECT_EQ(doc.GetViews().size(), 9u);

    sp->DragColumnBar(1, 300);
    sp->GetColumnInfo(1, cur, mn);
    EXPECT_EQ(cur, 294);
    EXPECT_TRUE(Pane(1, 1)->GetWidget()->isVisible());
    sp->GetColumnInfo(2, cur, mn);
    EXPECT_EQ(cur, usable - 300 - CSplitterWnd::cxSplitter);
}

TEST_F(SplitterTest, AColumnsPanesScrollTogetherAndOtherColumnsStay)
{
    sp->DragColumnBar(1, 300);
    QScrollBar* bar = sp->GetSharedBar(Pane(0, 2), true);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar, sp->GetSharedBar(Pane(2, 2), true));
    EXPECT_NE(bar, sp->GetSharedBar(Pane(0, 1), true));
    EXPECT_FALSE(Pane(1, 2)->GetWidget()->findChild<QScrollBar*>() &&
                 Pane(1, 2)->GetWidget()->findChild<QScrollBar*>()->isVisible());

    // A thumb drag past 32767 reaches every pane of the column with its whole position.
    bar->setSliderDown(true);
    bar->setSliderPosition(50000);
    for (int r = 0; r < 3; ++r) {
        SCROLLINFO si;
        Pane(r, 2)->GetScrollInfo(SB_HORZ, &si, SIF_TRACKPOS);
        EXPECT_EQ(si.nTrackPos, 50000);
        EXPECT_EQ(Pane(r, 2)->GetScrollPosition().x, 50000);
    }
    bar->setSliderDown(false);
    EXPECT_EQ(Pane(1, 1)->GetScrollPosition().x, 0);
    // A page is a tenth of the total when the view gives none: 10000 here.
    bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(Pane(0, 2)->GetScrollPosition().x, 40000);
    EXPECT_EQ(Pane(2, 2)->GetScrollPosition().x, 40000);
    EXPECT_EQ(Pane(2, 1)->GetScrollPosition().x, 0);
}

// A shared bar shows only while a pane of its column (row) has somewhere to
// scroll: every pane is 100 high, so the 80-high row scrolls and the 512-high one does not.
TEST_F(SplitterTest, SharedBarsHideWhileTheirPanesHaveNothingToScroll)
{
    QWidget* w = sp->GetWidget();
    QScrollBar* column = sp->GetSharedBar(Pane(0, 2), true);
    ASSERT_NE(column, nullptr);
    EXPECT_TRUE(column->isVisibleTo(w));
    EXPECT_TRUE(sp->GetSharedBar(Pane(0, 2), false)->isVisibleTo(w));
    EXPECT_FALSE(sp->GetSharedBar(Pane(1, 2), false)->isVisibleTo(w));

    // The whole spectrum in the window: no horizontal bar for that column.
    for (int r = 0; r < 3; ++r) Pane(r, 2)->SetScrollSizes(MM_TEXT, CSize(100, 100));
    EXPECT_FALSE(column->isVisibleTo(w));
    sp->RecalcLayout();
    EXPECT_FALSE(column->isVisibleTo(w));
    Pane(2, 2)->SetScrollSizes(MM_TEXT, CSize(100000, 100));
    EXPECT_TRUE(column->isVisibleTo(w));
    // A closed column shows no bar whatever its range.
    EXPECT_FALSE(sp->GetSharedBar(Pane(0, 0), true)->isVisibleTo(w));
}

TEST_F(SplitterTest, ClickingAPaneMakesItTheActiveViewForCommands)
{
    EXPECT_EQ(frame.GetActiveView(), Pane(0, 0));
    QWidget* w = Pane(1, 2)->GetWidget();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &press);
    EXPECT_EQ(frame.GetActiveView(), Pane(1, 2));
    int r = -1, c = -1;
    EXPECT_EQ(sp->GetActivePane(&r, &c), Pane(1, 2));
    EXPECT_EQ(r, 1);
    EXPECT_EQ(c, 2);
}

// ---- floating windows and tips ----

TEST(MiniFrame, CloseBoxOnlyHidesAndTheWindowDrawsIntoItsPicture)
{
    ktest::EnsureQtApplication();
    CWnd owner;
    ASSERT_TRUE(owner.Create(nullptr, "owner", WS_OVERLAPPED, CRect(0, 0, 200, 200), nullptr));
    CMiniFrameWnd mini;
    ASSERT_TRUE(mini.Create(nullptr, "Спектр", WS_POPUP | WS_CAPTION | WS_VISIBLE, CRect(10, 10, 110, 90), &owner));
    EXPECT_TRUE(mini.GetWidget()->isWindow());
    EXPECT_TRUE(mini.GetWidget()->windowFlags() & Qt::Tool);
    EXPECT_TRUE(mini.IsWindowVisible());
    mini.GetWidget()->close();
    EXPECT_FALSE(mini.IsWindowVisible());
    ASSERT_NE(mini.GetWidget(), nullptr);
    mini.ShowWindow(SW_SHOW);
    EXPECT_TRUE(mini.IsWindowVisible());
    {
        CClientDC dc(&mini);
        dc.FillSolidRect(2, 2, 3, 3, RGB(0, 255, 0));
    }
    EXPECT_EQ(mini.GetSurface()->GetPixel(3, 3), RGB(0, 255, 0));
    EXPECT_STREQ(mini.GetWindowText(), "Спектр");
}

TEST(ToolTip, TextFollowsUpdatesAndDeactivationHidesIt)
{
    ktest::EnsureQtApplication();
    CWnd view;
    ASSERT_TRUE(view.Create(nullptr, "view", WS_OVERLAPPED, CRect(0, 0, 100, 100), nullptr));
    CToolTipCtrl tip;
    EXPECT_FALSE(tip.Create(nullptr));
    ASSERT_TRUE(tip.Create(&view));
    ASSERT_TRUE(tip.AddTool(&view, ""));
    tip.Activate(TRUE);
    tip.UpdateTipText("1.250 c; 440.0 Гц", &view);
    EXPECT_EQ(view.GetWidget()->toolTip().toStdString(), "1.250 c; 440.0 Гц");
    EXPECT_STREQ(tip.GetText(&view), "1.250 c; 440.0 Гц");
    tip.Activate(FALSE);
    EXPECT_TRUE(view.GetWidget()->toolTip().isEmpty());
    tip.Activate(TRUE);
    EXPECT_EQ(view.GetWidget()->toolTip().toStdString(), "1.250 c; 440.0 Гц");
    tip.UpdateTipText("", &view);
    EXPECT_TRUE(view.GetWidget()->toolTip().isEmpty());
}

// The tip comes up after the control's own initial delay, not Qt's style
// delay, and Qt's tooltip event never shows it early.
TEST(ToolTip, ShowsAfterItsOwnInitialDelay)
{
    ktest::EnsureQtApplication();
    CWnd view;
    ASSERT_TRUE(view.Create(nullptr, "view", WS_OVERLAPPED, CRect(0, 0, 100, 100), nullptr));
    view.ShowWindow(SW_SHOW);
    CToolTipCtrl tip;
    ASSERT_TRUE(tip.Create(&view));
    ASSERT_TRUE(tip.AddTool(&view, "440.0 Гц"));
    tip.Activate(TRUE);
    tip.SetDelayTime(TTDT_AUTOMATIC, 200);
    EXPECT_EQ(tip.GetDelayTime(TTDT_INITIAL), 200);
    EXPECT_EQ(tip.GetDelayTime(TTDT_AUTOPOP), 2000);
    QWidget* w = view.GetWidget();
    QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), QPointF(10, 10));
    QApplication::sendEvent(w, &enter);
    QElapsedTimer clock; // from before the hover, which starts the delay
    clock.start();
    QHelpEvent early(QEvent::ToolTip, QPoint(10, 10), w->mapToGlobal(QPoint(10, 10)));
    QApplication::sendEvent(w, &early);
    EXPECT_FALSE(QToolTip::isVisible());
    EXPECT_TRUE(tip.IsTipPending());
    while (!QToolTip::isVisible() && clock.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_GE(clock.elapsed(), 200);
    ASSERT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text().toStdString(), "440.0 Гц");
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(w, &leave);
    clock.restart();
    while (QToolTip::isVisible() && clock.elapsed() < 5000) // Qt fades it out
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_FALSE(QToolTip::isVisible());

    // A long delay has not run out in a short rest.
    tip.SetDelayTime(TTDT_INITIAL, 60000);
    QApplication::sendEvent(w, &enter);
    clock.restart();
    while (clock.elapsed() < 300)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_FALSE(QToolTip::isVisible());
    EXPECT_TRUE(tip.IsTipPending());
}
