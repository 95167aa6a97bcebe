// Radio groups follow the form, not ID arithmetic: the sound-object type
// group 3001-3004, 3013 of the workshop, a check box whose ID falls
// between, and two button groups sharing one parent.
#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QRadioButton>

#include "framework/ui/CDialog.h"
#include "testsupport/DialogForms.h"
#include "testsupport/QtTestApp.h"

namespace {

enum : int {
    IDD_RADIO_TEST = 60002,
    IDC_TYPE_TEXT = 3001, // then 3002, 3003, 3004 and 3013 "Реверберация"
    IDC_TYPE_REVERB = 3013,
    IDC_CHECK_BETWEEN = 3008,
    IDC_LEFT_A = 4001, IDC_LEFT_B = 4002,
    IDC_RIGHT_A = 4010, IDC_RIGHT_B = 4003, // a group whose second button has the lower ID
};

void setupForm(QDialog* d)
{
    auto* types = new QGroupBox(d);
    for (int id : {3001, 3002, 3003, 3004, 3013}) ktest::AddControl<QRadioButton>(types, id);
    ktest::AddControl<QCheckBox>(d, IDC_CHECK_BETWEEN);
    // Two groups under one parent, told apart by their button groups.
    auto* panel = new QWidget(d);
    auto* left = new QButtonGroup(panel);
    auto* right = new QButtonGroup(panel);
    left->addButton(ktest::AddControl<QRadioButton>(panel, IDC_LEFT_A));
    right->addButton(ktest::AddControl<QRadioButton>(panel, IDC_RIGHT_A));
    left->addButton(ktest::AddControl<QRadioButton>(panel, IDC_LEFT_B));
    right->addButton(ktest::AddControl<QRadioButton>(panel, IDC_RIGHT_B));
}
const KDialogTemplate kForm(IDD_RADIO_TEST, setupForm);

class KRadioDlg : public CDialog {
public:
    KRadioDlg() : CDialog(IDD_RADIO_TEST) {}
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Radio(pDX, IDC_TYPE_TEXT, nType);
        DDX_Radio(pDX, IDC_LEFT_A, nLeft);
        DDX_Radio(pDX, IDC_RIGHT_A, nRight);
    }
    int nType = 0, nLeft = 0, nRight = 1;
};

class RadioGroups : public testing::Test {
protected:
    void SetUp() override
    {
        ktest::EnsureQtApplication();
        ASSERT_TRUE(dlg.Create(IDD_RADIO_TEST));
    }
    std::vector<int> Checked()
    {
        std::vector<int> ids;
        for (int id : {3001, 3002, 3003, 3004, 3013, int(IDC_CHECK_BETWEEN), int(IDC_LEFT_A), int(IDC_LEFT_B),
                       int(IDC_RIGHT_A), int(IDC_RIGHT_B)})
            if (dlg.IsDlgButtonChecked(id)) ids.push_back(id);
        return ids;
    }
    KRadioDlg dlg;
};

} // namespace

TEST_F(RadioGroups, DataExchangeCountsTheButtonsInTheFormsOrder)
{
    EXPECT_EQ(Checked(), (std::vector<int>{3001, IDC_LEFT_A, IDC_RIGHT_B}));
    dlg.ClickDlgButton(IDC_TYPE_REVERB);
    dlg.ClickDlgButton(IDC_RIGHT_A);
    ASSERT_TRUE(dlg.UpdateData(true));
    EXPECT_EQ(dlg.nType, 4);
    EXPECT_EQ(dlg.nLeft, 0);
    EXPECT_EQ(dlg.nRight, 0);

    dlg.nType = 3;
    dlg.nLeft = 1;
    dlg.nRight = -1; // none checked
    ASSERT_TRUE(dlg.UpdateData(false));
    EXPECT_EQ(Checked(), (std::vector<int>{3004, IDC_LEFT_B}));
    ASSERT_TRUE(dlg.UpdateData(true));
    EXPECT_EQ(dlg.nRight, -1);
}

TEST_F(RadioGroups, CheckAndReadARunOfTheGroupLeavingOtherControlsAlone)
{
    dlg.CheckDlgButton(IDC_CHECK_BETWEEN, BST_CHECKED);
    dlg.CheckRadioButton(IDC_TYPE_TEXT, IDC_TYPE_REVERB, IDC_TYPE_REVERB);
    EXPECT_EQ(dlg.GetCheckedRadioButton(IDC_TYPE_TEXT, IDC_TYPE_REVERB), int(IDC_TYPE_REVERB));
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_CHECK_BETWEEN), BST_CHECKED);
    // The run stops at nLast: the reverberation button is beyond 3001..3004.
    EXPECT_EQ(dlg.GetCheckedRadioButton(IDC_TYPE_TEXT, 3004), 0);
    dlg.CheckRadioButton(IDC_TYPE_TEXT, 3004, 3002);
    EXPECT_EQ(dlg.GetCheckedRadioButton(IDC_TYPE_TEXT, IDC_TYPE_REVERB), 3002);

    dlg.CheckRadioButton(IDC_RIGHT_A, IDC_RIGHT_B, IDC_RIGHT_A);
    EXPECT_EQ(dlg.GetCheckedRadioButton(IDC_RIGHT_A, IDC_RIGHT_B), int(IDC_RIGHT_A));
    EXPECT_EQ(dlg.GetCheckedRadioButton(IDC_LEFT_A, IDC_LEFT_B), int(IDC_LEFT_A));
    dlg.CheckRadioButton(IDC_RIGHT_A, IDC_RIGHT_B, 0);
    EXPECT_EQ(dlg.GetCheckedRadioButton(IDC_RIGHT_A, IDC_RIGHT_B), 0);
    EXPECT_EQ(Checked(), (std::vector<int>{3002, IDC_CHECK_BETWEEN, IDC_LEFT_A}));
}
