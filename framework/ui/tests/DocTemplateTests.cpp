#include <gtest/gtest.h>

#include <QAction>
#include <QSettings>
#include <QToolBar>
#include <QWidget>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "FrameTestSupport.h"
#include "testsupport/QtTestApp.h"
#include "framework/base/ScriptedUserInteraction.h"
#include "testsupport/ByteFiles.h"
#include "framework/ui/CDocTemplate.h"
#include "framework/ui/CWinApp.h"

using namespace frame_test;
using kavrel_test::ScratchDir;

namespace {

class CTestApp : public CWinApp {
public:
    explicit CTestApp(const char* name) : CWinApp(name)
    {
        MapCommand(ID_FILE_NEW, &CTestApp::OnFileNew);
        MapCommand(ID_FILE_OPEN, &CTestApp::OnFileOpen);
        MapCommand(ID_APP_CMD, &CTestApp::OnAppCmd);
        // Each test starts with an empty profile.
        QSettings(QSettings::IniFormat, QSettings::UserScope, "Kavrel", name).clear();
    }
    void OnAppCmd() { CNumberDoc::calls.push_back(ID_APP_CMD); }
};

std::vector<BYTE> ReadAll(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(f), {});
}

class SdiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ktest::EnsureQtApplication();
        CNumberDoc::calls.clear();
        app.LoadStdProfileSettings(16);
        app.AddDocTemplate(new CSingleDocTemplate(IDR_SDI, RUNTIME_CLASS(CNumberDoc), RUNTIME_CLASS(CTestFrame),
                                                  RUNTIME_CLASS(CNumberView)));
    }
    void TearDown() override
    {
        app.CloseAllDocuments(FALSE);
        Pump();
    }
    CNumberDoc* Doc() { return static_cast<CNumberDoc*>(app.GetDocTemplates().front()->GetDocuments().front()); }
    CTestFrame* Frame() { return dynamic_cast<CTestFrame*>(app.m_pMainWnd); }

    // A profile of each test's own: ctest runs the tests side by side in
    // processes of their own, which would otherwise share one recent-file list.
    std::string profile = std::string("SdiTest-") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    CTestApp app{profile.c_str()};
    CScriptedUserInteraction ui;
    ScratchDir dir;
};

} // namespace

TEST_F(SdiTest, NewDocumentBuildsFrameViewAndTitleFromTheDocumentStrings)
{
    app.OnFileNew();
    ASSERT_NE(Frame(), nullptr);
    auto* view = dynamic_cast<CNumberView*>(Frame()->GetActiveView());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->GetDocument(), Doc());
    EXPECT_EQ(view->nInitialUpdates, 1);
    EXPECT_STREQ(Doc()->GetTitle(), "Число");
    EXPECT_EQ(Frame()->GetWidget()->windowTitle().toStdString(), "Числа - Число");
    // A second "new" reuses the document and frame, and updates the views again.
    CFrameWnd* first = Frame();
    Doc()->nValue = 5;
    app.OnFileNew();
    EXPECT_EQ(Frame(), first);
    EXPECT_EQ(Doc()->nValue, 0);
    EXPECT_EQ(view->nInitialUpdates, 2);
}

TEST_F(SdiTest, SaveWritesTheArchiveAndOpenReadsItBack)
{
    app.OnFileNew();
    Doc()->nValue = 0x01020304;
    Doc()->SetModifiedFlag();
    const std::string path = dir / "a.num";
    ui.QueueFile(path.c_str());
    ASSERT_TRUE(Frame()->ChooseMenuCommand(ID_FILE_SAVE));
    EXPECT_EQ(ReadAll(path), (std::vector<BYTE>{4, 3, 2, 1}));
    EXPECT_FALSE(Doc()->IsModified());
    EXPECT_STREQ(Doc()->GetTitle(), "a.num");
    ASSERT_EQ(ui.m_fileDialogs.size(), 1u);
    EXPECT_STREQ(ui.m_fileDialogs[0].sFilter, "Файлы чисел (*.num)|*.num|Все файлы (*.*)|*.*||");
    EXPECT_FALSE(ui.m_fileDialogs[0].bOpen);
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp~"));

    // Saving again goes to the same file without asking.
    Doc()->nValue = 7;
    Doc()->OnFileSave();
    EXPECT_EQ(ReadAll(path), (std::vector<BYTE>{7, 0, 0, 0}));
    EXPECT_EQ(ui.m_fileDialogs.size(), 1u);

    app.OnFileNew();
    ASSERT_NE(app.OpenDocumentFile(path.c_str()), nullptr);
    EXPECT_EQ(Doc()->nValue, 7);
    EXPECT_STREQ(Doc()->GetPathName(), path.c_str());
}

TEST_F(SdiTest, ModifiedDocumentAsksBeforeItIsReplacedOrClosed)
{
    app.OnFileNew();
    Doc()->nValue = 9;
    Doc()->SetModifiedFlag();
    ui.QueueAnswer(IDCANCEL);
    app.OnFileNew();
    ASSERT_EQ(ui.m_messages.size(), 1u);
    EXPECT_STREQ(ui.m_messages[0].sText, "Сохранить изменения в документе Число?");
    EXPECT_EQ(ui.m_messages[0].nStyle & MB_TYPEMASK, UINT(MB_YESNOCANCEL));
    EXPECT_EQ(Doc()->nValue, 9); // cancelled: nothing replaced

    // Closing the window: Cancel keeps it, No closes without saving.
    ui.QueueAnswer(IDCANCEL);
    Frame()->OnClose();
    ASSERT_NE(Frame(), nullptr);
    EXPECT_FALSE(Frame()->IsDestroyed());
    ui.QueueAnswer(IDNO);
    Frame()->OnClose();
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    EXPECT_TRUE(app.GetDocTemplates().front()->GetDocuments().empty());
}

TEST_F(SdiTest, FailedSaveKeepsTheOldFileAndSaysSo)
{
    app.OnFileNew();
    const std::string path = dir / "keep.num";
    { std::ofstream(path, std::ios::binary) << "OLD!"; }
    std::filesystem::create_directory(path + ".tmp~"); // the temporary file cannot be made
    EXPECT_FALSE(Doc()->OnSaveDocument(path.c_str()));
    EXPECT_EQ(ReadAll(path), (std::vector<BYTE>{'O', 'L', 'D', '!'}));
    ASSERT_EQ(ui.m_messages.size(), 1u);
    EXPECT_NE(std::string(ui.m_messages[0].sText).find("Не удалось сохранить документ"), std::string::npos);
}

TEST_F(SdiTest, ShortFileIsRefusedWithAMessageAndTheDocumentStaysEmpty)
{
    app.OnFileNew();
    const std::string path = dir / "short.num";
    { std::ofstream(path, std::ios::binary) << "ab"; }
    EXPECT_EQ(app.OpenDocumentFile(path.c_str()), nullptr);
    ASSERT_EQ(ui.m_messages.size(), 1u);
    EXPECT_NE(std::string(ui.m_messages[0].sText).find("Неожиданный формат файла"), std::string::npos);
    EXPECT_EQ(Doc()->nValue, 0);
    EXPECT_TRUE(Doc()->GetPathName().IsEmpty());
    EXPECT_TRUE(app.GetRecentFileList().empty());
}

TEST_F(SdiTest, RecentFilesKeepSixteenNewestFirstAndSurviveARestart)
{
    for (int i = 0; i < 20; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "f%d.num", i);
        app.AddToRecentFileList((dir / name).c_str());
    }
    app.AddToRecentFileList((dir / "f5.num").c_str()); // again: moves to the top
    ASSERT_EQ(app.GetRecentFileList().size(), 16u);
    EXPECT_STREQ(app.GetRecentFileList()[0], (dir / "f5.num").c_str());
    EXPECT_STREQ(app.GetRecentFileList()[1], (dir / "f19.num").c_str());
    EXPECT_STREQ(app.GetRecentFileList()[15], (dir / "f4.num").c_str());

    CString kept = app.GetRecentFileList()[3];
    app.LoadStdProfileSettings(16); // as a new start of the program reads them
    ASSERT_EQ(app.GetRecentFileList().size(), 16u);
    EXPECT_STREQ(app.GetRecentFileList()[3], kept);
}

TEST_F(SdiTest, RecentFileMenuOpensTheFileAndDropsOneThatIsGone)
{
    app.OnFileNew();
    const std::string good = dir / "good.num", gone = dir / "gone.num";
    { std::ofstream(good, std::ios::binary).write("\x2a\0\0\0", 4); }
    app.AddToRecentFileList(gone.c_str());
    app.AddToRecentFileList(good.c_str());
    const auto shown = Frame()->GetShownMenu();
    int mruItems = 0;
    for (const auto& it : shown)
        if (it.nID >= ID_FILE_MRU_FIRST && it.nID <= ID_FILE_MRU_LAST) ++mruItems;
    EXPECT_EQ(mruItems, 2);
    ASSERT_TRUE(Frame()->ChooseMenuCommand(ID_FILE_MRU_FIRST));
    EXPECT_EQ(Doc()->nValue, 42);
    ASSERT_TRUE(Frame()->ChooseMenuCommand(ID_FILE_MRU_FIRST + 1));
    ASSERT_EQ(app.GetRecentFileList().size(), 1u);
    EXPECT_STREQ(app.GetRecentFileList()[0], good.c_str());
}

TEST_F(SdiTest, CommandsGoToViewThenDocumentThenFrameThenProgram)
{
    app.OnFileNew();
    CFrameWnd* f = Frame();
    for (UINT id : {UINT(ID_VIEW_CMD), UINT(ID_DOC_CMD), UINT(ID_FRAME_CMD), UINT(ID_APP_CMD)})
        EXPECT_TRUE(f->ChooseMenuCommand(id));
    EXPECT_EQ(CNumberDoc::calls, (std::vector<UINT>{ID_VIEW_CMD, ID_DOC_CMD, ID_FRAME_CMD, ID_APP_CMD}));
    EXPECT_FALSE(f->ChooseMenuCommand(ID_NOBODY));
    EXPECT_FALSE(f->ChooseMenuCommand(ID_DISABLED));

    bool checked = false, nobodyEnabled = true;
    for (const auto& it : f->GetShownMenu()) {
        if (it.nID == ID_CHECKED) checked = it.bChecked;
        if (it.nID == ID_NOBODY) nobodyEnabled = it.bEnabled;
    }
    EXPECT_TRUE(checked);
    EXPECT_FALSE(nobodyEnabled);
}

TEST_F(SdiTest, ToolbarStatusBarAndAcceleratorsFollowTheUpdateHandlers)
{
    app.OnFileNew();
    auto* f = dynamic_cast<CTestFrame*>(Frame());
    f->OnIdleUpdateCmdUI();
    CToolBar& tb = f->m_wndToolBar;
    ASSERT_EQ(tb.GetCount(), 7);
    EXPECT_EQ(tb.GetItemID(2), 0u);
    EXPECT_TRUE(tb.IsButtonEnabled(tb.CommandToIndex(ID_VIEW_CMD)));
    EXPECT_TRUE(tb.IsButtonChecked(tb.CommandToIndex(ID_CHECKED)));
    EXPECT_FALSE(tb.IsButtonEnabled(tb.CommandToIndex(ID_DISABLED)));
    EXPECT_FALSE(tb.IsButtonEnabled(tb.CommandToIndex(ID_NOBODY)));
    EXPECT_STREQ(tb.GetButtonTip(tb.CommandToIndex(ID_VIEW_CMD)), "Вид");
    // A button with a picture of its own shows it; the others a drawn glyph.
    EXPECT_TRUE(KHasToolBarButtonImage(ID_VIEW_CMD));
    EXPECT_FALSE(KHasToolBarButtonImage(ID_CHECKED));
    const QList<QAction*> actions = qobject_cast<QToolBar*>(tb.GetWidget())->actions();
    const QImage own = actions[tb.CommandToIndex(ID_VIEW_CMD)]->icon().pixmap(QSize(4, 4)).toImage();
    ASSERT_FALSE(own.isNull());
    EXPECT_EQ(own.pixelColor(1, 0), QColor(255, 0, 0));
    EXPECT_EQ(own.pixelColor(1, own.height() - 1), QColor(0, 0, 255));
    const QImage shared = actions[tb.CommandToIndex(ID_DISABLED)]->icon().pixmap(QSize(4, 3)).toImage();
    ASSERT_FALSE(shared.isNull());
    EXPECT_EQ(shared.pixelColor(0, 1).green(), 255);
    EXPECT_EQ(shared.pixelColor(shared.width() - 1, 1).alpha(), 0);

    CStatusBar& sb = f->m_wndStatusBar;
    EXPECT_STREQ(sb.GetPaneText(1), "текст панели");
    EXPECT_EQ(sb.GetPaneStyle(2) & SBPS_DISABLED, UINT(SBPS_DISABLED));

    tb.PressButton(tb.CommandToIndex(ID_VIEW_CMD));
    Pump();
    EXPECT_TRUE(f->TranslateAccelerator(VK_SPACE, false, false, false));
    EXPECT_TRUE(f->TranslateAccelerator(VK_LEFT, true, false, false)); // swallowed: the command is disabled
    EXPECT_FALSE(f->TranslateAccelerator(VK_RIGHT, false, false, false));
    Pump();
    EXPECT_EQ(CNumberDoc::calls, (std::vector<UINT>{ID_VIEW_CMD, ID_VIEW_CMD}));
}

namespace {
class CRefusingFrame : public CFrameWnd {
    DECLARE_DYNCREATE(CRefusingFrame)
public:
    int OnCreate(LPCREATESTRUCT) override { return -1; }
};
IMPLEMENT_DYNCREATE(CRefusingFrame, CFrameWnd)
} // namespace

TEST(DocTemplateFailures, AFrameThatCannotBeMadeLeavesNoDocumentBehind)
{
    ktest::EnsureQtApplication();
    CTestApp app("RefusingFrameTest");
    CScriptedUserInteraction ui;
    auto* t = new CMultiDocTemplate(IDR_MDI_DOC, RUNTIME_CLASS(CNumberDoc), RUNTIME_CLASS(CRefusingFrame),
                                    RUNTIME_CLASS(CNumberView));
    app.AddDocTemplate(t);
    EXPECT_EQ(t->OpenDocumentFile(nullptr), nullptr);
    EXPECT_TRUE(t->GetDocuments().empty());
    ASSERT_EQ(ui.m_messages.size(), 1u);
    EXPECT_STREQ(ui.m_messages[0].sText, "Не удалось создать окно документа.");
}

namespace {
// A document that cannot be new, as the tracer's and the analyser's are
// when started without a file; it and its frame count their deletions.
class CRefusingDoc : public CNumberDoc {
    DECLARE_DYNCREATE(CRefusingDoc)
public:
    ~CRefusingDoc() override { ++nDeleted; }
    BOOL OnNewDocument() override { return FALSE; }
    static int nDeleted;
};
IMPLEMENT_DYNCREATE(CRefusingDoc, CNumberDoc)
int CRefusingDoc::nDeleted = 0;

class CCountedFrame : public CTestFrame {
    DECLARE_DYNCREATE(CCountedFrame)
public:
    ~CCountedFrame() override { ++nDeleted; }
    static int nDeleted;
};
IMPLEMENT_DYNCREATE(CCountedFrame, CTestFrame)
int CCountedFrame::nDeleted = 0;
} // namespace

TEST(DocTemplateFailures, ASingleDocumentThatCannotBeNewGoesWithItsFrame)
{
    ktest::EnsureQtApplication();
    CTestApp app("RefusingDocTest");
    CScriptedUserInteraction ui;
    auto* t = new CSingleDocTemplate(IDR_SDI, RUNTIME_CLASS(CRefusingDoc), RUNTIME_CLASS(CCountedFrame),
                                     RUNTIME_CLASS(CNumberView));
    app.AddDocTemplate(t);
    CRefusingDoc::nDeleted = CCountedFrame::nDeleted = 0;
    CCommandLineInfo cmdInfo;
    app.ParseCommandLine(cmdInfo);
    EXPECT_FALSE(app.ProcessShellCommand(cmdInfo)); // the program ends
    EXPECT_TRUE(t->GetDocuments().empty());
    EXPECT_EQ(CRefusingDoc::nDeleted, 1);
    EXPECT_EQ(CCountedFrame::nDeleted, 1);
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    Pump();
}
