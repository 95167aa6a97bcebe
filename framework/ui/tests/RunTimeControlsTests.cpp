// Controls a window makes for itself: the up-down tells its parent by
// WM_NOTIFY and moves unless refused; the push button sends its command.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QScrollBar>

#include "framework/ui/CControls.h"
#include "testsupport/QtTestApp.h"

namespace {

class CParent : public CWnd {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_NOTIFY) {
            auto* nm = reinterpret_cast<NMUPDOWN*>(lParam);
            ids.push_back(int(wParam));
            deltas.push_back(nm->iDelta);
            positions.push_back(nm->iPos);
            return bRefuse ? 1 : 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
    bool OnCommand(UINT nID, UINT nCode) override
    {
        commands.emplace_back(nID, nCode);
        return true;
    }
    std::vector<int> ids, deltas, positions;
    std::vector<std::pair<UINT, UINT>> commands;
    bool bRefuse = false;
};

} // namespace

TEST(RunTimeControls, UpDownNotifiesItsParentAndMovesUnlessRefused)
{
    ktest::EnsureQtApplication();
    CParent parent;
    ASSERT_TRUE(parent.Create(nullptr, "parent", WS_OVERLAPPED, CRect(0, 0, 200, 100), nullptr));
    CSpinButtonCtrl spin;
    EXPECT_FALSE(spin.Create(DWORD(UDS_HORZ) | DWORD(WS_CHILD), CRect(0, 86, 28, 100), nullptr, 4102));
    ASSERT_TRUE(spin.Create(DWORD(UDS_HORZ) | DWORD(WS_CHILD) | DWORD(WS_VISIBLE), CRect(0, 86, 28, 100), &parent, 4102));
    auto* bar = qobject_cast<QScrollBar*>(spin.GetWidget());
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->orientation(), Qt::Horizontal);
    EXPECT_EQ(bar->geometry(), QRect(0, 86, 28, 14));
    EXPECT_EQ(parent.GetDlgItem(4102)->GetWidget(), bar);
    spin.SetRange(1, 2048);
    spin.SetPos(10);

    spin.PressArrow(true);  // the right arrow: toward the upper end
    spin.PressArrow(false);
    spin.PressArrow(false);
    EXPECT_EQ(parent.ids, (std::vector<int>{4102, 4102, 4102}));
    EXPECT_EQ(parent.deltas, (std::vector<int>{1, -1, -1}));
    EXPECT_EQ(parent.positions, (std::vector<int>{10, 11, 10}));
    EXPECT_EQ(spin.GetPos(), 9);
    parent.bRefuse = true;
    spin.PressArrow(false);
    EXPECT_EQ(spin.GetPos(), 9);
    // A real click on the bar's right end is the upper arrow too.
    parent.bRefuse = false;
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(parent.deltas.back(), 1);
    EXPECT_EQ(spin.GetPos(), 10);
}

TEST(RunTimeControls, PushButtonSendsItsCommandToTheParent)
{
    ktest::EnsureQtApplication();
    CParent parent;
    ASSERT_TRUE(parent.Create(nullptr, "parent", WS_OVERLAPPED, CRect(0, 0, 200, 100), nullptr));
    CButton button;
    ASSERT_TRUE(button.Create(">", DWORD(BS_PUSHBUTTON) | DWORD(WS_CHILD) | DWORD(WS_VISIBLE), CRect(186, 0, 200, 14),
                              &parent, 4103));
    auto* b = qobject_cast<QPushButton*>(button.GetWidget());
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->text().toStdString(), ">");
    b->click();
    parent.ClickDlgButton(4103);
    ASSERT_EQ(parent.commands.size(), 2u);
    EXPECT_EQ(parent.commands[0], std::make_pair(UINT(4103), UINT(BN_CLICKED)));
    button.ShowWindow(SW_HIDE);
    parent.ClickDlgButton(4103); // a hidden button cannot be pressed
    EXPECT_EQ(parent.commands.size(), 2u);
}
