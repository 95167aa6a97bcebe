#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>

#include "framework/base/ProgressService.h"
#include "framework/base/StringTable.h"
#include "framework/ui/CWinApp.h"
#include "kavrel/views/KProgressDlg.h"
#include "testsupport/QtTestApp.h"

namespace {

class QtEnvironment : public testing::Environment {
public:
    void SetUp() override { ktest::EnsureQtApplication(); }
};
const auto* kQt = testing::AddGlobalTestEnvironment(new QtEnvironment);

} // namespace

TEST(KProgressDlg, PercentageWrapsPastTheUpperBound)
{
    CKProgressDlg dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.SetRange(0, 200);
    dlg.SetPos(50);
    EXPECT_EQ(dlg.GetDlgItemText(1004), "25%");
    dlg.SetRange(0, 100);
    dlg.SetPos(100);
    EXPECT_EQ(dlg.GetDlgItemText(1004), "100%");
    dlg.SetPos(150);
    EXPECT_EQ(dlg.GetDlgItemText(1004), "50%");
    EXPECT_EQ(dlg.SetStep(20), 10);
    dlg.SetPos(10);
    dlg.StepIt();
    EXPECT_EQ(dlg.m_nPos, 30);
    dlg.OffsetPos(-5);
    EXPECT_EQ(dlg.GetDlgItemText(1004), "25%");
    dlg.SetStatus("Идет вычисление");
    EXPECT_EQ(dlg.GetDlgItemText(1005), "Идет вычисление");
    EXPECT_EQ(dlg.GetWindowText(), "K");
    // Neither Enter nor Escape closes it.
    dlg.ClickDlgButton(IDOK);
    dlg.SendMessage(WM_COMMAND, IDCANCEL);
    EXPECT_TRUE(dlg.IsWindowVisible());
}

// A host's own caption comes from the string it names.
TEST(KProgressDlg, CaptionIsTheHostsString)
{
    static const KStringResource caption(61234, "Выравнивание мощности");
    CKProgressDlg dlg(61234);
    ASSERT_TRUE(dlg.Create());
    EXPECT_EQ(dlg.GetWindowText(), "Выравнивание мощности");
}

TEST(KProgressDlg, OwnerIsDisabledWhileItIsUp)
{
    CWnd owner;
    owner.Attach(new QWidget, true);
    ASSERT_TRUE(owner.IsWindowEnabled());
    {
        CKProgressDlg dlg;
        ASSERT_TRUE(dlg.Create(&owner));
        EXPECT_FALSE(owner.IsWindowEnabled());
        EXPECT_TRUE(dlg.GetWidget()->isEnabled());
        dlg.DestroyWindow();
        EXPECT_TRUE(owner.IsWindowEnabled());
        ASSERT_TRUE(dlg.Create(&owner));
        EXPECT_FALSE(owner.IsWindowEnabled());
    } // the destructor gives the owner back
    EXPECT_TRUE(owner.IsWindowEnabled());

    // An owner that was disabled already stays so.
    owner.EnableWindow(false);
    {
        CKProgressDlg dlg;
        ASSERT_TRUE(dlg.Create(&owner));
    }
    EXPECT_FALSE(owner.IsWindowEnabled());
}

TEST(KProgressDlg, ServiceShowsTheCoresProgress)
{
    KInstallViewServices();
    IProgressService& progress = ProgressService();
    progress.Open(0, 200, "Идет вычисление динамики уровня мощности всего сигнала ...");
    progress.SetPos(100);
    QWidget* shown = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->windowTitle() == "K")
            shown = w;
    }
    ASSERT_NE(shown, nullptr);
    auto* bar = shown->findChild<QProgressBar*>();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->maximum(), 200);
    EXPECT_EQ(bar->value(), 100);
    bool foundPercent = false;
    for (QLabel* l : shown->findChildren<QLabel*>())
        foundPercent |= l->text() == "50%";
    EXPECT_TRUE(foundPercent);
    progress.Close();
    EXPECT_FALSE(shown->isVisible());
    SetProgressService(nullptr);
}

TEST(KProgressDlg, StopButtonAndEscapeStopTheComputationUntilTheNextOpening)
{
    KInstallViewServices();
    IProgressService& progress = ProgressService();
    auto shownDialog = [] {
        QWidget* shown = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->windowTitle() == "K")
                shown = w;
        return shown;
    };
    progress.Open(0, 100, "Синтез звукового файла");
    progress.SetPos(10);
    QWidget* shown = shownDialog();
    ASSERT_NE(shown, nullptr);
    EXPECT_FALSE(progress.Cancelled());
    QPushButton* stop = nullptr;
    for (QPushButton* b : shown->findChildren<QPushButton*>())
        if (b->text() == "Прервать")
            stop = b;
    ASSERT_NE(stop, nullptr);
    stop->click();
    EXPECT_TRUE(progress.Cancelled());
    EXPECT_TRUE(shown->isVisible()) << "the window waits for the computation to close it";
    progress.Close();

    progress.Open(0, 100, "Синтез звукового файла");
    EXPECT_FALSE(progress.Cancelled());
    shown = shownDialog();
    ASSERT_NE(shown, nullptr);
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(shown, &esc);
    EXPECT_TRUE(progress.Cancelled());
    progress.Close();
    SetProgressService(nullptr);
}
