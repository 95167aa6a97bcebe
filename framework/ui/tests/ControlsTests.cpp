// The dialog's common controls driven as a user would: arrows pressed,
// items chosen, and what the dialog's handlers then receive.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <vector>

#include "framework/ui/CDialog.h"
#include "testsupport/DialogForms.h"
#include "testsupport/QtTestApp.h"

namespace {

enum : int {
    IDD_CONTROLS_TEST = 60001,
    IDC_SPIN = 100,
    IDC_SPIN_H = 101,
    IDC_COMBO = 102,
    IDC_LIST = 103,
    IDC_PROGRESS = 104,
    IDC_EDIT = 105,
    IDC_RADIO_A = 110, // 110..112 one group, 113 in another group box
    IDC_RADIO_D = 113,
};

void setupForm(QDialog* d)
{
    ktest::AddControl<QScrollBar>(d, IDC_SPIN)->setOrientation(Qt::Vertical);
    ktest::AddControl<QScrollBar>(d, IDC_SPIN_H)->setOrientation(Qt::Horizontal);
    ktest::AddControl<QComboBox>(d, IDC_COMBO);
    ktest::AddControl<QListWidget>(d, IDC_LIST);
    ktest::AddControl<QProgressBar>(d, IDC_PROGRESS);
    ktest::AddControl<QLineEdit>(d, IDC_EDIT);
    auto* group = new QGroupBox(d);
    for (int id = IDC_RADIO_A; id < IDC_RADIO_D; ++id)
        ktest::AddControl<QRadioButton>(group, id);
    ktest::AddControl<QRadioButton>(new QGroupBox(d), IDC_RADIO_D);
    ktest::AddControl<QPushButton>(d, IDOK);
}
const KDialogTemplate kForm(IDD_CONTROLS_TEST, setupForm);

struct Delta {
    UINT id;
    int pos, delta;
    bool operator==(const Delta&) const = default;
};

class KTestDlg : public CDialog {
public:
    KTestDlg() : CDialog(IDD_CONTROLS_TEST)
    {
        MapNotify(IDC_SPIN, UDN_DELTAPOS, &KTestDlg::OnDeltaposSpin);
        MapNotify(IDC_SPIN_H, UDN_DELTAPOS, &KTestDlg::OnDeltaposSpin);
        MapNotify(IDC_COMBO, CBN_SELCHANGE, &KTestDlg::OnSelchangeCombo);
        MapNotify(IDC_EDIT, EN_KILLFOCUS, &KTestDlg::OnKillfocusEdit);
    }
    void OnDeltaposSpin(NMHDR* pNMHDR, LRESULT* pResult)
    {
        auto* p = reinterpret_cast<NM_UPDOWN*>(pNMHDR);
        deltas.push_back({UINT(p->hdr.idFrom), p->iPos, p->iDelta});
        *pResult = bRefuse ? 1 : 0;
    }
    void OnSelchangeCombo()
    {
        comboSelections.push_back(GetDlgItemAs<CComboBox>(IDC_COMBO)->GetCurSel());
    }
    void OnKillfocusEdit() { editText = GetDlgItemText(IDC_EDIT); }
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_CBIndex(pDX, IDC_COMBO, m_nCombo);
        DDX_Radio(pDX, IDC_RADIO_A, m_nRadio);
    }

    std::vector<Delta> deltas;
    std::vector<int> comboSelections;
    CString editText;
    bool bRefuse = false;
    int m_nCombo = -1;
    int m_nRadio = 0;
};

class Controls : public testing::Test {
protected:
    void SetUp() override
    {
        ktest::EnsureQtApplication();
        ASSERT_TRUE(dlg.Create(IDD_CONTROLS_TEST));
    }
    KTestDlg dlg;
};

} // namespace

TEST_F(Controls, DefaultSpinRangeMakesTheUpperArrowReportANegativeDelta)
{
    CSpinButtonCtrl* spin = dlg.GetDlgItemAs<CSpinButtonCtrl>(IDC_SPIN);
    ASSERT_NE(spin, nullptr);
    spin->SetPos(50);
    dlg.PressSpin(IDC_SPIN, true);
    dlg.PressSpin(IDC_SPIN, false);
    EXPECT_EQ(dlg.deltas, (std::vector<Delta>{{IDC_SPIN, 50, -1}, {IDC_SPIN, 49, +1}}));
    EXPECT_EQ(spin->GetPos(), 50);
}

TEST_F(Controls, SpinNotifiesAtTheEndsButKeepsItsPositionInRange)
{
    CSpinButtonCtrl* spin = dlg.GetDlgItemAs<CSpinButtonCtrl>(IDC_SPIN);
    spin->SetRange(1, 2);
    spin->SetPos(1);
    for (int i = 0; i < 3; ++i)
        dlg.PressSpin(IDC_SPIN, true);
    EXPECT_EQ(dlg.deltas, (std::vector<Delta>{{IDC_SPIN, 1, 1}, {IDC_SPIN, 2, 1}, {IDC_SPIN, 2, 1}}));
    EXPECT_EQ(spin->GetPos(), 2);
    EXPECT_EQ(spin->SetPos(-5), 2);
    EXPECT_EQ(spin->GetPos(), 1);

    // A wide range in both signs, as the level spins use.
    spin->SetRange(-1100, 1100);
    spin->SetPos(-1100);
    dlg.PressSpin(IDC_SPIN, false);
    EXPECT_EQ(spin->GetPos(), -1100);
    EXPECT_EQ(dlg.deltas.back(), (Delta{IDC_SPIN, -1100, -1}));
}

TEST_F(Controls, SpinHandlerMayRefuseTheChange)
{
    CSpinButtonCtrl* spin = dlg.GetDlgItemAs<CSpinButtonCtrl>(IDC_SPIN);
    spin->SetRange(0, 10);
    spin->SetPos(5);
    dlg.bRefuse = true;
    dlg.PressSpin(IDC_SPIN, true);
    EXPECT_EQ(spin->GetPos(), 5);
    dlg.bRefuse = false;
    dlg.PressSpin(IDC_SPIN, true);
    EXPECT_EQ(spin->GetPos(), 6);
    EXPECT_EQ(dlg.deltas.size(), 2u);
}

TEST_F(Controls, SpinArrowsAreTheBarsOwnButtons)
{
    // The horizontal one's right arrow is its upper arrow.
    dlg.GetDlgItemAs<CSpinButtonCtrl>(IDC_SPIN_H)->SetRange(0, 100);
    auto* bar = static_cast<QScrollBar*>(dlg.GetDlgItem(IDC_SPIN_H)->GetWidget());
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    bar->triggerAction(QAbstractSlider::SliderMove); // a drag is no step
    EXPECT_EQ(dlg.deltas, (std::vector<Delta>{{IDC_SPIN_H, 0, 1}, {IDC_SPIN_H, 1, -1}}));
    // The bar itself never moves off its middle, so both arrows stay live.
    EXPECT_EQ(bar->value(), 1);

    // Nothing reaches the handler from a disabled spin.
    dlg.GetDlgItem(IDC_SPIN_H)->EnableWindow(false);
    dlg.PressSpin(IDC_SPIN_H, true);
    EXPECT_EQ(dlg.deltas.size(), 2u);
}

TEST_F(Controls, ComboNotifiesTheUsersChoiceOnly)
{
    CComboBox* combo = dlg.GetDlgItemAs<CComboBox>(IDC_COMBO);
    ASSERT_NE(combo, nullptr);
    for (const char* rate : {"1000", "2000", "11025"})
        combo->AddString(rate);
    EXPECT_EQ(combo->GetCount(), 3);
    EXPECT_EQ(combo->GetCurSel(), CB_ERR); // adding selects nothing
    EXPECT_EQ(combo->SetCurSel(1), 1);
    EXPECT_EQ(combo->SetCurSel(3), CB_ERR);
    EXPECT_EQ(combo->GetCurSel(), -1);
    EXPECT_TRUE(dlg.comboSelections.empty());

    dlg.ChooseComboItem(IDC_COMBO, 2);
    dlg.ChooseComboItem(IDC_COMBO, 0);
    EXPECT_EQ(dlg.comboSelections, (std::vector<int>{2, 0}));
    CString text;
    EXPECT_EQ(combo->GetLBText(2, text), 5);
    EXPECT_EQ(text, CString("11025"));
    EXPECT_EQ(combo->GetLBText(3, text), CB_ERR);

    combo->ResetContent();
    EXPECT_EQ(combo->GetCount(), 0);
    EXPECT_EQ(combo->GetCurSel(), -1);
    EXPECT_EQ(dlg.comboSelections.size(), 2u);
}

TEST_F(Controls, WrappersComeOnlyForControlsOfTheirKind)
{
    EXPECT_EQ(dlg.GetDlgItemAs<CComboBox>(IDC_LIST), nullptr);
    EXPECT_EQ(dlg.GetDlgItemAs<CSpinButtonCtrl>(IDC_PROGRESS), nullptr);
    EXPECT_EQ(dlg.GetDlgItemAs<CButton>(9999), nullptr);
    EXPECT_NE(dlg.GetDlgItemAs<CButton>(IDOK), nullptr);
    EXPECT_EQ(dlg.GetDlgItemAs<CComboBox>(IDC_COMBO), dlg.GetDlgItemAs<CComboBox>(IDC_COMBO));
}

TEST_F(Controls, RadioGroupThroughButtonsAndDataExchange)
{
    CButton* a = dlg.GetDlgItemAs<CButton>(IDC_RADIO_A);
    CButton* b = dlg.GetDlgItemAs<CButton>(IDC_RADIO_A + 1);
    b->SetCheck(BST_CHECKED);
    a->SetCheck(BST_CHECKED);
    EXPECT_EQ(b->GetCheck(), BST_UNCHECKED); // one of a group
    a->SetCheck(BST_UNCHECKED);
    EXPECT_EQ(a->GetCheck(), BST_UNCHECKED);

    // The group ends where the next radio button sits in another box.
    dlg.GetDlgItemAs<CButton>(IDC_RADIO_D)->SetCheck(BST_CHECKED);
    ASSERT_TRUE(dlg.UpdateData(true));
    EXPECT_EQ(dlg.m_nRadio, -1);
    dlg.m_nRadio = 2;
    dlg.UpdateData(false);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_RADIO_A + 2), BST_CHECKED);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_RADIO_D), BST_CHECKED);
    dlg.ClickDlgButton(IDC_RADIO_A + 1);
    dlg.UpdateData(true);
    EXPECT_EQ(dlg.m_nRadio, 1);
}

TEST(ControlsModal, ScriptDrivesControlsOfAModalDialogThroughItsHandlers)
{
    ktest::EnsureQtApplication();
    KTestDlg dlg;
    DialogDriver old = SetDialogDriver([](CDialog& d) {
        d.GetDlgItemAs<CSpinButtonCtrl>(IDC_SPIN)->SetRange(0, 9);
        d.PressSpin(IDC_SPIN, true);
        CComboBox* c = d.GetDlgItemAs<CComboBox>(IDC_COMBO);
        c->AddString("Mono");
        c->AddString("Stereo");
        d.ChooseComboItem(IDC_COMBO, 1);
        d.SetDlgItemText(IDC_EDIT, "68,81");
        d.NotifyKillFocus(IDC_EDIT);
        d.ClickDlgButton(IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    SetDialogDriver(old);
    EXPECT_EQ(dlg.deltas, (std::vector<Delta>{{IDC_SPIN, 0, 1}}));
    EXPECT_EQ(dlg.comboSelections, (std::vector<int>{1}));
    EXPECT_EQ(dlg.m_nCombo, 1);
    EXPECT_EQ(dlg.editText, CString("68,81"));
}
