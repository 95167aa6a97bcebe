#include <gtest/gtest.h>

#include <QCoreApplication>

#include "testsupport/PlainWindow.h"
#include "framework/ui/CMenu.h"
#include "framework/ui/CWnd.h"

namespace {

enum : UINT { ID_PLAY = 36779, ID_AXES = 36814, ID_MODE = 36812, ID_RANGE10 = 36780, ID_RANGE20 = 36781,
              ID_NOBODY = 57634 };

const KMenuTemplate kTestMenu(9401, {
    KMenuItem("Вид", {
        KMenuItem("Воспроизвести", ID_PLAY),
        KMenuItem::Separator(),
        KMenuItem("Показывать оси частот в герцах", ID_AXES),
        KMenuItem("15-ти битовая видеомода", ID_MODE),
        KMenuItem("Диапазон", {KMenuItem("Диапазон - 10 дБ", ID_RANGE10), KMenuItem("Диапазон - 20 дБ", ID_RANGE20)}),
        KMenuItem("&Copy", ID_NOBODY),
    }),
});

class KMenuOwner : public CWnd {
public:
    KMenuOwner()
    {
        MapCommand(ID_PLAY, &KMenuOwner::OnPlay);
        MapCommandAndUpdate(ID_AXES, &KMenuOwner::OnAxes, &KMenuOwner::OnUpdateAxes);
        MapUpdate(ID_MODE, &KMenuOwner::OnUpdateMode);
        MapCommand(ID_RANGE20, &KMenuOwner::OnRange20);
        MapUpdateRange(ID_RANGE10, ID_RANGE20, &KMenuOwner::OnUpdateRange);
    }
    void OnPlay() { ++nPlays; }
    void OnAxes() { bAxes = !bAxes; }
    void OnUpdateAxes(CCmdUI* p) { p->SetCheck(bAxes); }
    void OnUpdateMode(CCmdUI* p) { p->Enable(false); }
    void OnRange20() { nRange = 20; }
    void OnUpdateRange(CCmdUI* p) { p->SetRadio(p->m_nID == ID_RANGE10 + UINT(nRange / 10 - 1)); }

    int nPlays = 0;
    bool bAxes = true;
    int nRange = 10;
};

class CMenuTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(ktest::CreatePlainWindow(owner, 50, 50)); }
    void TearDown() override { SetMenuDriver(nullptr); }

    // Shows submenu 0 of the test menu and chooses nChoose.
    KShownMenu Track(UINT nChoose, BOOL* pResult = nullptr)
    {
        KShownMenu shown;
        SetMenuDriver([&](const KShownMenu& m) { shown = m; return nChoose; });
        CMenu menu;
        EXPECT_TRUE(menu.LoadMenu(9401));
        const BOOL r = menu.GetSubMenu(0)->TrackPopupMenu(TPM_RIGHTBUTTON, 30, 40, &owner);
        if (pResult) *pResult = r;
        QCoreApplication::sendPostedEvents();
        return shown;
    }
    const KShownMenuItem* Find(const KShownMenu& m, UINT id)
    {
        for (const auto& it : m.items) if (it.nID == id && !it.bSeparator) return &it;
        return nullptr;
    }
    KMenuOwner owner;
};

TEST_F(CMenuTest, UpdateHandlersSetStatesBeforeShowing)
{
    const KShownMenu m = Track(0);
    ASSERT_EQ(8u, m.items.size());
    EXPECT_TRUE(m.ptScreen == CPoint(30, 40));
    EXPECT_TRUE(m.items[1].bSeparator);
    EXPECT_STREQ("Показывать оси частот в герцах", m.items[2].sText.GetString());
    EXPECT_TRUE(Find(m, ID_PLAY)->bEnabled);
    EXPECT_FALSE(Find(m, ID_PLAY)->bChecked);
    EXPECT_TRUE(Find(m, ID_AXES)->bChecked);
    EXPECT_FALSE(Find(m, ID_MODE)->bEnabled);
    EXPECT_FALSE(Find(m, ID_NOBODY)->bEnabled) << "no handler anywhere: greyed";
    EXPECT_EQ(1, Find(m, ID_RANGE10)->nDepth);
    EXPECT_TRUE(Find(m, ID_RANGE10)->bChecked && Find(m, ID_RANGE10)->bRadio);
    EXPECT_FALSE(Find(m, ID_RANGE20)->bChecked);
    EXPECT_EQ(0, owner.nPlays) << "dismissed";
}

TEST_F(CMenuTest, ChosenCommandIsPostedToTheOwner)
{
    BOOL r = FALSE;
    Track(ID_PLAY, &r);
    EXPECT_TRUE(r);
    EXPECT_EQ(1, owner.nPlays);
    Track(ID_AXES);
    EXPECT_FALSE(owner.bAxes);
    EXPECT_FALSE(Find(Track(0), ID_AXES)->bChecked) << "the next showing asks again";
    Track(ID_RANGE20);
    EXPECT_TRUE(Find(Track(0), ID_RANGE20)->bChecked);
}

TEST_F(CMenuTest, GreyedOrUnknownItemsCannotBeChosen)
{
    BOOL r = TRUE;
    Track(ID_MODE, &r);
    EXPECT_FALSE(r);
    Track(4242, &r);
    EXPECT_FALSE(r);
}

TEST_F(CMenuTest, BuiltMenusAndReturnCmd)
{
    CMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    menu.AppendMenu(MF_STRING, ID_PLAY, "Воспроизвести");
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING | MF_CHECKED, ID_NOBODY, "Шкала");
    EXPECT_EQ(3, menu.GetMenuItemCount());
    EXPECT_EQ(UINT(MF_CHECKED), menu.GetMenuState(ID_NOBODY) & MF_CHECKED);
    menu.CheckMenuItem(ID_NOBODY, MF_UNCHECKED);
    EXPECT_EQ(0u, menu.GetMenuState(ID_NOBODY) & MF_CHECKED);
    SetMenuDriver([](const KShownMenu&) { return UINT(ID_PLAY); });
    EXPECT_EQ(BOOL(ID_PLAY), menu.TrackPopupMenu(TPM_RETURNCMD, 0, 0, &owner));
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(0, owner.nPlays) << "returned, not routed";
}

}  // namespace
