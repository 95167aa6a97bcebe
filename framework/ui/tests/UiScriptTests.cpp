// The script of user actions that drives a program in tests acts as a
// user: what it types the dialog hears, a grey command does not run, and
// the answers it begins with reach the boxes a program shows before it
// waits for the user. A dialog's widget outlives the dialog until the
// event loop deletes it, and nothing of it reaches the dialog meanwhile.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QToolBar>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "FrameTestSupport.h"
#include "framework/base/UserServices.h"
#include "framework/ui/CDialog.h"
#include "framework/ui/CWinApp.h"
#include "framework/ui/KUiScript.h"
#include "testsupport/DialogForms.h"
#include "testsupport/QtTestApp.h"
#include "testsupport/TempFiles.h"

using namespace frame_test;

namespace {

enum : int {
    IDD_SCRIPT_TEST = 60101,
    IDC_FREQ = 100,
    IDC_REAL_FREQ = 101,
    IDC_LOCKED = 102,
    IDC_READ_ONLY = 103,
};

void setupForm(QDialog* d)
{
    ktest::AddControl<QLineEdit>(d, IDC_FREQ)->setMaxLength(6);
    ktest::AddControl<QLabel>(d, IDC_REAL_FREQ);
    ktest::AddControl<QLineEdit>(d, IDC_LOCKED)->setEnabled(false);
    ktest::AddControl<QLineEdit>(d, IDC_READ_ONLY)->setReadOnly(true);
    ktest::AddControl<QPushButton>(d, IDOK);
}
const KDialogTemplate kForm(IDD_SCRIPT_TEST, setupForm);

// A frequency typed shows what it becomes at once, as the analyser's jump
// dialog shows the real frequency of the bin: only through EN_CHANGE.
class KFreqDlg : public CDialog {
public:
    KFreqDlg() : CDialog(IDD_SCRIPT_TEST)
    {
        MapNotify(IDC_FREQ, EN_CHANGE, &KFreqDlg::OnChangeFreq);
        MapNotify(IDC_LOCKED, EN_CHANGE, &KFreqDlg::OnChangeOther);
        MapNotify(IDC_READ_ONLY, EN_CHANGE, &KFreqDlg::OnChangeOther);
    }
    bool OnInitDialog() override
    {
        SetDlgItemText(IDC_FREQ, "0");
        SetDlgItemText(IDC_LOCKED, "заперто");
        SetDlgItemText(IDC_READ_ONLY, "только для чтения");
        return true;
    }
    void OnChangeFreq()
    {
        changes.push_back(GetDlgItemText(IDC_FREQ).str());
        SetDlgItemText(IDC_REAL_FREQ, CString(std::to_string(2 * std::atoi(GetDlgItemText(IDC_FREQ))).c_str()));
    }
    void OnChangeOther() { ++otherChanges; }

    std::vector<std::string> changes;
    int otherChanges = 0;
};

// Installs a script of these lines as a program does at start.
class UiScript : public testing::Test {
protected:
    void SetUp() override { ktest::EnsureQtApplication(); }
    void TearDown() override { KRemoveUiScript(); }
    void Install(const std::string& lines)
    {
        const std::string path = dir / "script.txt";
        std::ofstream(path) << lines;
        ::setenv("KAVREL_UI_SCRIPT", path.c_str(), 1);
        const bool ok = KInstallUiScriptFromEnvironment();
        ::unsetenv("KAVREL_UI_SCRIPT");
        ASSERT_TRUE(ok);
    }
    ktest::ScratchDir dir;
};

} // namespace

// Typed as a user types: in place of what the edit held, no longer than
// the edit takes, and the dialog hears it; a locked edit or a label takes
// nothing.
TEST_F(UiScript, SetTypesIntoAnEditAndTheDialogHearsItButNotIntoALockedOne)
{
    CString shown, locked, readOnly;
    Install("set 100 12345678\nset 102 1\nset 103 2\nset 101 3\nclose\n");
    KFreqDlg dlg;
    SetDialogDriver([&, script = SetDialogDriver(nullptr)](CDialog& d) {
        script(d); // the script's own lines first
        shown = d.GetDlgItemText(IDC_REAL_FREQ);
        locked = d.GetDlgItemText(IDC_LOCKED);
        readOnly = d.GetDlgItemText(IDC_READ_ONLY);
    });
    dlg.DoModal();
    EXPECT_EQ(dlg.changes, (std::vector<std::string>{"123456"}));
    EXPECT_STREQ(shown, "246912");
    EXPECT_STREQ(locked, "заперто");
    EXPECT_STREQ(readOnly, "только для чтения");
    EXPECT_EQ(dlg.otherChanges, 0);
}

TEST_F(UiScript, AnswersAndFilesItBeginsWithReachBoxesShownBeforeTheProgramWaits)
{
    const std::string path = dir / "a.num";
    Install("answer 7\nfile " + path + "\ncommand 57601\nanswer 2\n");
    // As a document named on the command line asks while it opens, before
    // the script's commands start.
    EXPECT_EQ(AfxMessageBox("Открыть?", MB_YESNO | MB_ICONQUESTION), IDNO);
    FileDialogRequest r;
    r.bOpen = true;
    ASSERT_TRUE(UserInteraction().FileDialog(r));
    EXPECT_STREQ(r.sPathName, path.c_str());
    // What follows the first command waits for it.
    EXPECT_EQ(AfxMessageBox("Ещё?", MB_OKCANCEL), IDOK);
}

TEST_F(UiScript, AGreyCommandDoesNotRunFromTheScriptAndTheScriptGoesOn)
{
    CWinApp app("UiScriptTest");
    CNumberDoc::calls.clear();
    CNumberDoc doc;
    auto frame = std::make_unique<CTestFrame>();
    ASSERT_TRUE(ShowFrameOver(*frame, doc, 400, 300, RUNTIME_CLASS(CNumberView)));
    app.m_pMainWnd = frame.get();
    // The view disables ID_DISABLED, which the frame would handle.
    Install("command 40007\ncommand 40001\n");
    KRunUiScriptCommands();
    Pump();
    EXPECT_EQ(CNumberDoc::calls, (std::vector<UINT>{ID_VIEW_CMD}));
    app.m_pMainWnd = nullptr;
}

// Whichever way a command comes without a control behind it, posted or
// sent, from a menu, a key or a toolbar button that still looks enabled,
// it is checked as it arrives.
TEST_F(UiScript, AGreyCommandDoesNotRunFromAMenuAKeyAButtonOrAPostedMessage)
{
    CNumberDoc::calls.clear();
    CNumberDoc doc;
    CTestFrame frame;
    ASSERT_TRUE(ShowFrameOver(frame, doc, 400, 300, RUNTIME_CLASS(CNumberView)));
    frame.PostMessage(WM_COMMAND, ID_DISABLED);
    frame.SendMessage(WM_COMMAND, ID_DISABLED);
    EXPECT_FALSE(frame.ChooseMenuCommand(ID_DISABLED));
    EXPECT_TRUE(frame.TranslateAccelerator(VK_LEFT, true, false, false)); // swallowed
    // A button not yet greyed by the idle update.
    CToolBar& tb = frame.m_wndToolBar;
    QAction* button = qobject_cast<QToolBar*>(tb.GetWidget())->actions()[tb.CommandToIndex(ID_DISABLED)];
    button->setEnabled(true);
    button->trigger();
    Pump();
    EXPECT_TRUE(CNumberDoc::calls.empty());
    // The same ways run a command that is enabled.
    frame.PostMessage(WM_COMMAND, ID_FRAME_CMD);
    frame.SendMessage(WM_COMMAND, ID_FRAME_CMD);
    Pump();
    EXPECT_EQ(CNumberDoc::calls, (std::vector<UINT>{ID_FRAME_CMD, ID_FRAME_CMD}));
}

// The dialog closed, its widget waits for the event loop: a focus change
// then (as the window system moves the focus away from the hidden window),
// a typed character or a click must not reach the dialog object, which
// may be gone already.
TEST_F(UiScript, NothingOfADialogsWidgetReachesTheDialogOnceItIsGone)
{
    const std::string picture = dir / "dialog.png";
    Install("set 100 42\ngrab " + picture + "\npress 1\n");
    QPointer<QWidget> widget;
    QPointer<QLineEdit> edit;
    QPointer<QPushButton> ok;
    {
        auto dlg = std::make_unique<KFreqDlg>();
        SetDialogDriver([&, script = SetDialogDriver(nullptr)](CDialog& d) {
            widget = d.GetWidget();
            edit = widget->findChild<QLineEdit*>();
            ok = widget->findChild<QPushButton*>();
            script(d);
        });
        EXPECT_EQ(dlg->DoModal(), IDOK);
        EXPECT_EQ(dlg->changes, (std::vector<std::string>{"42"}));
    }
    ASSERT_TRUE(widget && edit && ok);
    QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(edit, &out);
    emit edit->textEdited("7");
    ok->click();
    QCloseEvent close;
    QApplication::sendEvent(widget, &close);
    Pump();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(widget); // deleted by the event loop
}

// A modeless dialog whose widget goes with its parent's forgets it.
TEST_F(UiScript, AModelessDialogWhoseWidgetGoesWithItsParentForgetsIt)
{
    auto parent = std::make_unique<CTestFrame>();
    CNumberDoc doc;
    ASSERT_TRUE(ShowFrameOver(*parent, doc, 400, 300, RUNTIME_CLASS(CNumberView)));
    KFreqDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_SCRIPT_TEST, parent.get()));
    ASSERT_NE(dlg.GetWidget(), nullptr);
    delete parent->GetWidget(); // as a parent window's widget takes its children along
    EXPECT_EQ(dlg.GetWidget(), nullptr);
    EXPECT_FALSE(dlg.TypeDlgItemText(IDC_FREQ, "1"));
    EXPECT_FALSE(dlg.DestroyWindow());
}
