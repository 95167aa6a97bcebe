// A dialog's controls have their places when OnInitDialog runs, so that a
// window placed over a control there (the workshop's voice model over 3074,
// the recorder's meter) covers it when the dialog is shown.
#include <gtest/gtest.h>

#include <QDialog>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "framework/ui/CDialog.h"
#include "framework/ui/tests/FrameTestSupport.h"
#include "testsupport/DialogForms.h"
#include "testsupport/QtTestApp.h"

namespace {

enum : int { IDD_LAYOUT_TEST = 60003, IDC_NAME = 3011, IDC_PLACE = 3074, ID_OVERLAY = 7 };

void setupForm(QDialog* d)
{
    auto* grid = new QGridLayout(d);
    grid->addWidget(new QLabel("Название фонообъекта", d), 0, 0);
    grid->addWidget(ktest::AddControl<QLineEdit>(d, IDC_NAME), 0, 1);
    auto* box = new QGroupBox("Модель", d);
    auto* inner = new QVBoxLayout(box);
    inner->addWidget(new QLabel("Голосовой сигнал", box));
    auto* place = ktest::AddControl<QFrame>(box, IDC_PLACE);
    place->setMinimumSize(240, 120);
    inner->addWidget(place);
    grid->addWidget(box, 1, 0, 1, 2);
    grid->addWidget(ktest::AddControl<QPushButton>(d, IDOK), 2, 1);
}
const KDialogTemplate kForm(IDD_LAYOUT_TEST, setupForm);

class KOverlayDlg : public CDialog {
public:
    KOverlayDlg() : CDialog(IDD_LAYOUT_TEST) {}
    bool OnInitDialog() override
    {
        CDialog::OnInitDialog();
        GetDlgItem(IDC_NAME)->GetWindowRect(&rcName);
        ScreenToClient(&rcName);
        GetDlgItem(IDC_PLACE)->GetWindowRect(&rcPlace);
        ScreenToClient(&rcPlace);
        GetDlgItem(IDC_PLACE)->GetClientRect(&rcPlaceClient);
        overlay.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, rcPlace, this, ID_OVERLAY);
        return true;
    }
    CRect rcName, rcPlace, rcPlaceClient;
    CWnd overlay;
};

// Where Qt shows a control once the dialog is on the screen, in the dialog's coordinates.
CRect ShownRect(QWidget* dialog, QWidget* control)
{
    const QPoint p = control->mapTo(dialog, QPoint(0, 0));
    return CRect(p.x(), p.y(), p.x() + control->width(), p.y() + control->height());
}

} // namespace

TEST(DialogLayout, OnInitDialogSeesControlsWhereTheShownDialogHasThem)
{
    ktest::EnsureQtApplication();
    KOverlayDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_LAYOUT_TEST));
    frame_test::Pump();
    QWidget* d = dlg.GetWidget();
    ASSERT_TRUE(d->isVisible());
    QWidget* place = dlg.GetDlgItem(IDC_PLACE)->GetWidget();
    const CRect shownPlace = ShownRect(d, place);
    EXPECT_GT(shownPlace.top, 20); // below the name row, inside the group box
    EXPECT_EQ(dlg.rcPlace, shownPlace);
    EXPECT_EQ(dlg.rcName, ShownRect(d, dlg.GetDlgItem(IDC_NAME)->GetWidget()));
    EXPECT_EQ(dlg.rcPlaceClient, CRect(0, 0, place->width(), place->height()));
    EXPECT_EQ(ShownRect(d, dlg.overlay.GetWidget()), shownPlace);
}
