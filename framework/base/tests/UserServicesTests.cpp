#include <gtest/gtest.h>

#include "framework/base/ScriptedUserInteraction.h"
#include "framework/base/UserServices.h"

TEST(UserServices, FirstButtonOfEachStyle)
{
    EXPECT_EQ(FirstButtonOf(MB_OK), IDOK);
    EXPECT_EQ(FirstButtonOf(MB_OKCANCEL), IDOK);
    EXPECT_EQ(FirstButtonOf(MB_ABORTRETRYIGNORE), IDABORT);
    EXPECT_EQ(FirstButtonOf(MB_YESNOCANCEL), IDYES);
    EXPECT_EQ(FirstButtonOf(MB_YESNO), IDYES);
    EXPECT_EQ(FirstButtonOf(MB_RETRYCANCEL), IDRETRY);
    // Icons and the default button do not change which button is first.
    EXPECT_EQ(FirstButtonOf(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2), IDYES);
    EXPECT_EQ(FirstButtonOf(MB_RETRYCANCEL | MB_ICONERROR | MB_DEFBUTTON2), IDRETRY);
}

TEST(UserServices, ConsoleDeclinesEveryQuestionAndCancelsDialogs)
{
    CConsoleUserInteraction console;
    testing::internal::CaptureStderr();
    EXPECT_EQ(console.MessageBox("Файл не найден", "Kavrel", MB_OK | MB_ICONERROR), IDOK);
    EXPECT_EQ(console.MessageBox("Без заголовка", "", MB_YESNO), IDNO);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Kavrel: Файл не найден\nБез заголовка\n");
    testing::internal::CaptureStderr();
    EXPECT_EQ(console.MessageBox("?", "", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(console.MessageBox("?", "", MB_YESNOCANCEL | MB_DEFBUTTON1), IDCANCEL);
    EXPECT_EQ(console.MessageBox("?", "", MB_RETRYCANCEL), IDCANCEL); // no endless retry
    EXPECT_EQ(console.MessageBox("?", "", MB_ABORTRETRYIGNORE), IDABORT);
    testing::internal::GetCapturedStderr();
    FileDialogRequest request;
    EXPECT_FALSE(console.FileDialog(request));
    EXPECT_TRUE(request.sPathName.IsEmpty());
}

TEST(ScriptedUserInteraction, QueuedAnswersThenTheFirstButton)
{
    CScriptedUserInteraction ui;
    ui.QueueAnswer(IDNO);
    ui.QueueAnswer(IDCANCEL);
    EXPECT_EQ(AfxMessageBox("Сохранить изменения?", MB_YESNOCANCEL | MB_ICONQUESTION), IDNO);
    EXPECT_EQ(UserInteraction().MessageBox("Второй", "Заголовок", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(AfxMessageBox("Повторить?", MB_RETRYCANCEL), IDRETRY); // queue empty
    EXPECT_EQ(AfxMessageBox("Готово"), IDOK);
    EXPECT_EQ(AfxMessageBox("Сбой", MB_ABORTRETRYIGNORE), IDABORT);

    ASSERT_EQ(ui.m_messages.size(), 5u);
    EXPECT_EQ(ui.m_messages[0].sText, "Сохранить изменения?");
    EXPECT_TRUE(ui.m_messages[0].sCaption.IsEmpty());
    EXPECT_EQ(ui.m_messages[0].nStyle, UINT(MB_YESNOCANCEL | MB_ICONQUESTION));
    EXPECT_EQ(ui.m_messages[1].sCaption, "Заголовок");
    EXPECT_EQ(ui.m_messages[3].nStyle, UINT(MB_OK));

    {
        CWaitCursor wait;
        CWaitCursor inner;
        EXPECT_EQ(ui.m_nWaitCursorDepth, 2);
    }
    EXPECT_EQ(ui.m_nWaitCursorDepth, 0);
    EXPECT_EQ(ui.m_nWaitCursorShown, 2);
    UserInteraction().Beep(440, 100);
    UserInteraction().MessageBeep(MB_ICONEXCLAMATION);
    EXPECT_EQ(ui.m_beeps, (std::vector<std::pair<DWORD, DWORD>>{{440, 100}}));
    EXPECT_EQ(ui.m_messageBeeps, std::vector<UINT>{MB_ICONEXCLAMATION});
}

TEST(ScriptedUserInteraction, FileDialogs)
{
    CScriptedUserInteraction ui;
    ui.QueueFile("/home/user/Записи/слово.wav");
    ui.QueueFile("");
    ui.QueueFile("/data/v1.2/archive.tar.gz");
    ui.QueueFile("/data/v1.2/README");

    FileDialogRequest open;
    open.sDefaultExt = "wav";
    open.sFilter = "WAV файлы (*.wav)|*.wav|Все файлы (*.*)|*.*||";
    open.sTitle = "Открыть";
    ASSERT_TRUE(UserInteraction().FileDialog(open));
    EXPECT_EQ(open.sPathName, "/home/user/Записи/слово.wav");
    EXPECT_EQ(open.sFileTitle, "слово");
    EXPECT_EQ(open.sFileName_, "слово.wav");

    FileDialogRequest cancelled;
    EXPECT_FALSE(UserInteraction().FileDialog(cancelled)); // an empty path cancels
    EXPECT_TRUE(cancelled.sPathName.IsEmpty());

    FileDialogRequest r;
    ASSERT_TRUE(UserInteraction().FileDialog(r));
    EXPECT_EQ(r.sFileTitle, "archive.tar");
    EXPECT_EQ(r.sFileName_, "archive.tar.gz");
    ASSERT_TRUE(UserInteraction().FileDialog(r));
    EXPECT_EQ(r.sFileTitle, "README"); // the dot in the folder is not an extension
    EXPECT_EQ(r.sFileName_, "README");

    FileDialogRequest save;
    save.bOpen = false;
    EXPECT_FALSE(UserInteraction().FileDialog(save)); // the queue is empty: cancel
    EXPECT_TRUE(save.sPathName.IsEmpty());

    ASSERT_EQ(ui.m_fileDialogs.size(), 5u);
    EXPECT_EQ(ui.m_fileDialogs[0].sTitle, "Открыть");
    EXPECT_EQ(ui.m_fileDialogs[0].sFilter, open.sFilter);
    EXPECT_FALSE(ui.m_fileDialogs[4].bOpen);

    FileDialogRequest dotted;
    SetFileDialogResult(dotted, "/home/user/.profile");
    EXPECT_EQ(dotted.sFileTitle, ".profile");
    SetFileDialogResult(dotted, "plain.wav");
    EXPECT_EQ(dotted.sFileTitle, "plain");
    EXPECT_EQ(dotted.sFileName_, "plain.wav");
}

TEST(ScriptedUserInteractionDeathTest, AScriptAskedEndlesslyStopsTheProgram)
{
    // A loop that keeps asking with no answer queued must not hang the test run.
    EXPECT_DEATH(
        {
            CScriptedUserInteraction ui;
            for (;;)
                AfxMessageBox("Повторить?", MB_RETRYCANCEL);
        },
        "too many unanswered");
    EXPECT_DEATH(
        {
            CScriptedUserInteraction ui;
            FileDialogRequest r;
            for (;;)
                UserInteraction().FileDialog(r);
        },
        "too many unanswered");
}

TEST(ScriptedUserInteraction, RestoresThePreviousServiceOnDestruction)
{
    IUserInteraction* before = &UserInteraction();
    EXPECT_NE(dynamic_cast<CConsoleUserInteraction*>(before), nullptr);
    {
        CScriptedUserInteraction outer;
        EXPECT_EQ(&UserInteraction(), &outer);
        {
            CScriptedUserInteraction inner;
            EXPECT_EQ(&UserInteraction(), &inner);
            AfxMessageBox("внутри");
            EXPECT_EQ(inner.m_messages.size(), 1u);
        }
        EXPECT_EQ(&UserInteraction(), &outer);
        AfxMessageBox("снаружи");
        EXPECT_EQ(outer.m_messages.size(), 1u);
    }
    EXPECT_EQ(&UserInteraction(), before);

    // Installing nothing puts the console back.
    CConsoleUserInteraction other;
    IUserInteraction* old = SetUserInteraction(&other);
    EXPECT_EQ(old, before);
    EXPECT_EQ(SetUserInteraction(nullptr), &other);
    EXPECT_EQ(&UserInteraction(), before);
}
