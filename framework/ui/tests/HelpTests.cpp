// The help commands open the program's guide through the desktop: from its
// beginning, at the frame's or dialog's topic, or, in context help, at the
// topic of the next command or window; a missing guide is said so.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>
#include <filesystem>
#include <fstream>

#include "FrameTestSupport.h"
#include "framework/base/ScriptedUserInteraction.h"
#include "framework/ui/CDialog.h"
#include "framework/ui/CWinApp.h"
#include "framework/ui/KHelp.h"
#include "testsupport/QtTestApp.h"
#include "testsupport/TempFiles.h"

using namespace frame_test;

namespace {

class HelpTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ktest::EnsureQtApplication();
        CNumberDoc::calls.clear();
        std::filesystem::create_directory(dir / "my help");
        guide = dir / "my help/helptest.html";
        std::ofstream(guide) << "<html></html>";
        app.m_pszHelpFilePath = guide.c_str();
        previous = KSetHelpOpener([this](const CString& url) {
            opened.push_back(url.GetString());
            return bOpenerWorks;
        });
        CCreateContext ctx;
        ctx.m_pNewViewClass = RUNTIME_CLASS(CNumberView);
        ctx.m_pCurrentDoc = &doc;
        ASSERT_TRUE(frame.LoadFrame(IDR_SDI, WS_OVERLAPPEDWINDOW, nullptr, &ctx));
        frame.ShowWindow(SW_SHOW);
        frame.InitialUpdateFrame(&doc, TRUE);
        Pump();
    }
    void TearDown() override
    {
        KLeaveContextHelpMode();
        KSetHelpOpener(previous);
        Pump();
    }
    void Command(UINT id) { frame.SendMessage(WM_COMMAND, id); }
    // The address of the guide, written out by hand: its blank escaped.
    std::string Guide(const std::string& topic = "")
    {
        return "file://" + dir.path() + "/my%20help/helptest.html" + (topic.empty() ? "" : "#" + topic);
    }

    CWinApp app{"HelpTest"};
    CScriptedUserInteraction ui;
    ktest::ScratchDir dir;
    std::string guide;
    KHelpOpener previous;
    std::vector<std::string> opened;
    bool bOpenerWorks = true;
    CNumberDoc doc;
    CTestFrame frame;
};

} // namespace

TEST_F(HelpTest, HelpFinderDefaultHelpAndHelpOpenTheGuideAtTheirPlaces)
{
    Command(ID_HELP_FINDER);
    Command(ID_DEFAULT_HELP);
    Command(ID_HELP);
    EXPECT_EQ(opened, (std::vector<std::string>{Guide(), Guide(), Guide("window-300")}));
    EXPECT_TRUE(ui.m_messages.empty());

    // A dialog's Help button asks for the dialog's topic.
    CDialog dlg(2131);
    dlg.OnCommand(ID_HELP, BN_CLICKED);
    EXPECT_EQ(opened.back(), Guide("window-2131"));
}

TEST_F(HelpTest, ContextHelpShowsTheTopicOfTheNextCommandOrWindowInsteadOfRunningIt)
{
    Command(ID_CONTEXT_HELP);
    EXPECT_TRUE(KInContextHelpMode());
    Command(ID_FRAME_CMD);
    EXPECT_TRUE(CNumberDoc::calls.empty());
    EXPECT_EQ(opened, std::vector<std::string>{Guide("command-40003")});
    EXPECT_FALSE(KInContextHelpMode());
    Command(ID_FRAME_CMD); // the mode is over: the command runs
    EXPECT_EQ(CNumberDoc::calls, std::vector<UINT>{ID_FRAME_CMD});

    // A click on a view asks for its frame's topic.
    Command(ID_CONTEXT_HELP);
    QWidget* view = frame.GetActiveView()->GetWidget();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), view->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view, &press);
    EXPECT_EQ(opened.back(), Guide("window-300"));
    EXPECT_FALSE(KInContextHelpMode());

    // Esc leaves the mode with nothing opened.
    Command(ID_CONTEXT_HELP);
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(view, &esc);
    EXPECT_FALSE(KInContextHelpMode());
    EXPECT_EQ(opened.size(), 2u);
}

TEST_F(HelpTest, AMissingOrUnopenableGuideIsSaidSo)
{
    std::filesystem::remove(guide);
    Command(ID_HELP_FINDER);
    EXPECT_TRUE(opened.empty());
    ASSERT_EQ(ui.m_messages.size(), 1u);
    EXPECT_EQ(std::string(ui.m_messages[0].sText.GetString()), "Не найдено руководство пользователя:\n" + guide);

    std::ofstream(guide) << "<html></html>";
    bOpenerWorks = false;
    Command(ID_HELP);
    ASSERT_EQ(ui.m_messages.size(), 2u);
    EXPECT_EQ(std::string(ui.m_messages[1].sText.GetString()), "Не удалось открыть руководство пользователя:\n" + guide);
}
