// The frame's standard commands: showing and hiding the toolbar and the
// status bar with their checks, F6 / Shift+F6 among a splitter's panes, and
// "Расщепить окно" with the bar following mouse and keys.
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include "FrameTestSupport.h"
#include "framework/base/ScriptedUserInteraction.h"
#include "framework/ui/CDocTemplate.h"
#include "framework/ui/CMDIFrameWnd.h"
#include "framework/ui/CWinApp.h"
#include "testsupport/QtTestApp.h"

using namespace frame_test;

namespace {

enum : UINT { IDR_BARS_MAIN = 310 };

const KMenuTemplate kBarsMenu(IDR_BARS_MAIN, {
    KMenuItem("Вид", {KMenuItem("Показывать панель инструментов", ID_VIEW_TOOLBAR),
                      KMenuItem("Показывать строку состояния", ID_VIEW_STATUS_BAR)}),
});
const KToolBarTemplate kBarsToolBar(IDR_BARS_MAIN, {ID_FILE_NEW});

// The workshop's main frame in small: toolbar and status bar on the main
// frame, none on the documents' frames.
class CBarsMainFrame : public CMDIFrameWnd {
public:
    int OnCreate(LPCREATESTRUCT lpcs) override
    {
        if (CMDIFrameWnd::OnCreate(lpcs) == -1) return -1;
        static const UINT indicators[] = {ID_SEPARATOR, ID_INDICATOR_CAPS};
        if (!m_wndToolBar.CreateEx(this) || !m_wndToolBar.LoadToolBar(IDR_BARS_MAIN)) return -1;
        if (!m_wndStatusBar.Create(this) || !m_wndStatusBar.SetIndicators(indicators, 2)) return -1;
        return 0;
    }
    CToolBar m_wndToolBar;
    CStatusBar m_wndStatusBar;
};

struct ShownItem {
    bool bEnabled, bChecked;
    bool operator==(const ShownItem&) const = default;
};

ShownItem Shown(CFrameWnd* f, UINT id)
{
    for (const KShownMenuItem& it : f->GetShownMenu())
        if (it.nID == id) return {it.bEnabled, it.bChecked};
    ADD_FAILURE() << "no item " << id;
    return {false, false};
}

CCmdUI Update(CFrameWnd* f, UINT id)
{
    CCmdUI ui(id);
    ui.m_bEnabled = false;
    EXPECT_TRUE(f->OnUpdateCmdUI(&ui)) << id;
    return ui;
}

} // namespace

TEST(FrameBars, ViewMenuShowsAndHidesTheMainFramesBarsAlsoFromADocumentsFrame)
{
    ktest::EnsureQtApplication();
    CWinApp app("BarsTest");
    CScriptedUserInteraction ui;
    app.AddDocTemplate(new CMultiDocTemplate(IDR_MDI_DOC, RUNTIME_CLASS(CNumberDoc), RUNTIME_CLASS(CMDIChildWnd),
                                             RUNTIME_CLASS(CNumberView)));
    auto* main = new CBarsMainFrame;
    main->m_bAutoDelete = true;
    ASSERT_TRUE(main->LoadFrame(IDR_BARS_MAIN));
    app.m_pMainWnd = main;
    main->ShowWindow(SW_SHOW);
    QWidget* toolbar = main->m_wndToolBar.GetWidget();
    QWidget* status = main->m_wndStatusBar.GetWidget();

    EXPECT_EQ(Shown(main, ID_VIEW_TOOLBAR), (ShownItem{true, true}));
    EXPECT_EQ(Shown(main, ID_VIEW_STATUS_BAR), (ShownItem{true, true}));
    EXPECT_TRUE(main->ChooseMenuCommand(ID_VIEW_TOOLBAR));
    EXPECT_TRUE(toolbar->isHidden());
    EXPECT_FALSE(status->isHidden());
    EXPECT_EQ(Shown(main, ID_VIEW_TOOLBAR), (ShownItem{true, false}));
    EXPECT_EQ(Shown(main, ID_VIEW_STATUS_BAR), (ShownItem{true, true}));

    // With a document open its frame, which has no bars, passes the
    // command and the check on to the main frame.
    app.OnFileNew();
    Pump();
    ASSERT_NE(main->MDIGetActive(), nullptr);
    main->SendMessage(WM_COMMAND, ID_VIEW_STATUS_BAR);
    EXPECT_TRUE(status->isHidden());
    EXPECT_EQ(Update(main, ID_VIEW_STATUS_BAR).m_nCheck, 0);
    main->SendMessage(WM_COMMAND, ID_VIEW_TOOLBAR);
    main->SendMessage(WM_COMMAND, ID_VIEW_STATUS_BAR);
    EXPECT_FALSE(toolbar->isHidden());
    EXPECT_FALSE(status->isHidden());
    const CCmdUI shown = Update(main, ID_VIEW_TOOLBAR);
    EXPECT_TRUE(shown.m_bEnabled);
    EXPECT_EQ(shown.m_nCheck, 1);
    main->OnClose();
    Pump();
}

namespace {

class PaneCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ktest::EnsureQtApplication();
        ASSERT_TRUE(ShowFrameOver(frame, doc, 900, 800));
        sp = &frame.m_wndSplitter;
        sp->RecalcLayout();
    }
    CView* Pane(int r, int c) { return static_cast<CView*>(sp->GetPane(r, c)); }
    int ColumnWidth(int c)
    {
        int cur, mn;
        sp->GetColumnInfo(c, cur, mn);
        return cur;
    }
    int RowHeight(int r)
    {
        int cur, mn;
        sp->GetRowInfo(r, cur, mn);
        return cur;
    }
    // A real event, delivered where Qt would deliver it: to a pane.
    void MouseTo(int x, int y)
    {
        QWidget* target = Pane(1, 2)->GetWidget();
        const QPointF global = sp->GetWidget()->mapToGlobal(QPointF(x, y));
        QMouseEvent e(QEvent::MouseMove, target->mapFromGlobal(global), global, Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
        QApplication::sendEvent(target, &e);
    }
    void Key(int key)
    {
        QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(Pane(1, 2)->GetWidget(), &e);
    }

    CNumberDoc doc;
    CSplitFrame frame;
    CSplitterWnd* sp = nullptr;
};

} // namespace

TEST_F(PaneCommandsTest, NextAndPreviousPaneGoRoundTheOpenPanes)
{
    // The first pane lies in a closed column: F6 finds the first open one.
    ASSERT_EQ(frame.GetActiveView(), Pane(0, 0));
    EXPECT_TRUE(Update(&frame, ID_NEXT_PANE).m_bEnabled);
    frame.SendMessage(WM_COMMAND, ID_NEXT_PANE);
    EXPECT_EQ(frame.GetActiveView(), Pane(0, 2));
    frame.SendMessage(WM_COMMAND, ID_NEXT_PANE);
    frame.SendMessage(WM_COMMAND, ID_NEXT_PANE);
    EXPECT_EQ(frame.GetActiveView(), Pane(2, 2));
    frame.SendMessage(WM_COMMAND, ID_NEXT_PANE);
    EXPECT_EQ(frame.GetActiveView(), Pane(0, 2));
    frame.SendMessage(WM_COMMAND, ID_PREV_PANE);
    EXPECT_EQ(frame.GetActiveView(), Pane(2, 2));

    // An opened column joins the round.
    sp->DragColumnBar(1, 200);
    frame.SendMessage(WM_COMMAND, ID_NEXT_PANE);
    EXPECT_EQ(frame.GetActiveView(), Pane(0, 1));
}

TEST_F(PaneCommandsTest, SplitBarFollowsTheMouseAndKeysUntilEnterOrClickAndEscPutsItBack)
{
    EXPECT_TRUE(Update(&frame, ID_WINDOW_SPLIT).m_bEnabled);
    frame.SendMessage(WM_COMMAND, ID_WINDOW_SPLIT);
    ASSERT_TRUE(sp->IsTracking());
    EXPECT_FALSE(Update(&frame, ID_WINDOW_SPLIT).m_bEnabled);
    MouseTo(300, 200);
    EXPECT_EQ(ColumnWidth(0), 300);
    EXPECT_EQ(RowHeight(0), 200);
    Key(Qt::Key_Escape);
    EXPECT_FALSE(sp->IsTracking());
    EXPECT_EQ(ColumnWidth(0), 0);
    EXPECT_EQ(RowHeight(0), 80);

    frame.SendMessage(WM_COMMAND, ID_WINDOW_SPLIT);
    MouseTo(250, 150);
    Key(Qt::Key_Right);
    Key(Qt::Key_Up);
    Key(Qt::Key_Return);
    EXPECT_FALSE(sp->IsTracking());
    EXPECT_EQ(ColumnWidth(0), 250 + CSplitterWnd::cxKeyboardStep);
    EXPECT_EQ(RowHeight(0), 150 - CSplitterWnd::cxKeyboardStep);
    // Done: the mouse moves the bar no more.
    MouseTo(400, 400);
    EXPECT_EQ(ColumnWidth(0), 258);

    // A click ends tracking too, with the bar where the click was.
    frame.SendMessage(WM_COMMAND, ID_WINDOW_SPLIT);
    sp->OnLButtonDown(MK_LBUTTON, CPoint(120, 90));
    EXPECT_FALSE(sp->IsTracking());
    EXPECT_EQ(ColumnWidth(0), 120);
    EXPECT_EQ(RowHeight(0), 90);
}

TEST(PaneCommands, AViewOutsideASplitterHasNoPanesToGoToOrSplit)
{
    ktest::EnsureQtApplication();
    CNumberDoc doc;
    CTestFrame frame;
    CCreateContext ctx;
    ctx.m_pNewViewClass = RUNTIME_CLASS(CNumberView);
    ctx.m_pCurrentDoc = &doc;
    ASSERT_TRUE(frame.LoadFrame(IDR_SDI, WS_OVERLAPPEDWINDOW, nullptr, &ctx));
    frame.InitialUpdateFrame(&doc, TRUE);
    EXPECT_FALSE(Update(&frame, ID_NEXT_PANE).m_bEnabled);
    EXPECT_FALSE(Update(&frame, ID_PREV_PANE).m_bEnabled);
    EXPECT_FALSE(Update(&frame, ID_WINDOW_SPLIT).m_bEnabled);
}
