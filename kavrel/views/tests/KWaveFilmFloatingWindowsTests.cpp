// The film's floating windows as a whole: made by the film, hidden by their
// close boxes and shown again, repainted by caret moves and level changes,
// and gone with the film.
#include <gtest/gtest.h>

#include <QPointer>
#include <QWidget>

#include "framework/ui/CDialog.h"
#include "kavrel/core/KWindowHooks.h"
#include "kavrel/views/DialogAdjustSpectraVisualLevels.h"
#include "kavrel/views/KWaveFilmFloatingWindows.h"
#include "kavrel/views/KWaveSpectrumPhasePortraitView.h"
#include "kavrel/views/KWaveSpectrumView.h"
#include "kavrel/views/tests/FloatingWindowTestSupport.h"
#include "kavrel/views/tests/ViewTestSupport.h"

using namespace floating_test;

namespace {

std::vector<int> Tone()
{
    return Partials({440, 880}, 9000, 16000, 16000);
}

bool Invalid(CWnd* pWnd)
{
    return pWnd->GetUpdateRect(nullptr);
}

} // namespace

TEST(KWaveFilmFloatingWindows, MadeByTheFilmHiddenByTheCloseBoxShownAgain)
{
    FilmOnFile f("floating-make.wav", Tone(), 16000, 1024);
    ASSERT_TRUE(f.bOpen);
    CWnd owner;
    ASSERT_TRUE(owner.Create(nullptr, "owner", WS_OVERLAPPED, CRect(100, 100, 1100, 900), nullptr));

    ASSERT_TRUE(f.film.CreateKWaveSpectrumView(&owner));
    CKWaveSpectrumView* s = f.film.pKWaveSpectrumView;
    ASSERT_NE(s, nullptr);
    EXPECT_STREQ(s->GetWindowText(), "Спектр - floating-make.wav");
    EXPECT_TRUE(s->IsWindowVisible());
    EXPECT_NE(s->nTimerID, 0u);
    CRect rcOwner, rc;
    owner.GetWindowRect(&rcOwner);
    s->GetWindowRect(&rc);
    EXPECT_EQ(rc.Size(), CSize(484, 702));
    EXPECT_EQ(rc.CenterPoint(), rcOwner.CenterPoint());

    ASSERT_TRUE(f.film.CreateKWaveSpectrumPhasePortraitView(&owner));
    CKWaveSpectrumPhasePortraitView* p = f.film.pKWaveSpectrumPhasePortraitView;
    ASSERT_NE(p, nullptr);
    EXPECT_STREQ(p->GetWindowText(), "Фазовый портрет - floating-make.wav");
    p->GetWindowRect(&rc);
    EXPECT_EQ(rc.Size(), CSize(572, 660));
    EXPECT_EQ(rc.CenterPoint(), rcOwner.CenterPoint());

    // The close boxes hide; the spectrum stops blinking while hidden.
    s->GetWidget()->close();
    p->GetWidget()->close();
    EXPECT_FALSE(s->IsWindowVisible());
    EXPECT_FALSE(p->IsWindowVisible());
    EXPECT_EQ(s->nTimerID, 0u);
    EXPECT_EQ(f.film.pKWaveSpectrumView, s);
    // Asked for again, the same windows come back.
    ASSERT_TRUE(f.film.CreateKWaveSpectrumView(&owner));
    ASSERT_TRUE(f.film.CreateKWaveSpectrumPhasePortraitView(&owner));
    EXPECT_EQ(f.film.pKWaveSpectrumView, s);
    EXPECT_EQ(f.film.pKWaveSpectrumPhasePortraitView, p);
    EXPECT_TRUE(s->IsWindowVisible());
    EXPECT_TRUE(p->IsWindowVisible());
    EXPECT_NE(s->nTimerID, 0u);
    // An owner that goes takes the windows' widgets along; asked for again,
    // the film makes new windows.
    {
        CWnd second;
        ASSERT_TRUE(second.Create(nullptr, "second", WS_OVERLAPPED, CRect(0, 0, 600, 800), nullptr));
        DestroyKWaveFilmFloatingWindows(f.film);
        ASSERT_TRUE(f.film.CreateKWaveSpectrumView(&second));
        ASSERT_TRUE(f.film.CreateKWaveSpectrumPhasePortraitView(&second));
    }
    EXPECT_EQ(f.film.pKWaveSpectrumView->GetWidget(), nullptr);
    f.film.SetKCaretSample(3000); // repaints of windows without widgets do no harm
    f.film.pKWaveSpectrumView->OnTimer(CKWaveSpectrumView::nBlinkTimer);
    ASSERT_TRUE(f.film.CreateKWaveSpectrumView(&owner));
    ASSERT_TRUE(f.film.CreateKWaveSpectrumPhasePortraitView(&owner));
    EXPECT_NE(f.film.pKWaveSpectrumView->GetWidget(), nullptr);
    EXPECT_NE(f.film.pKWaveSpectrumPhasePortraitView->GetWidget(), nullptr);
    EXPECT_TRUE(f.film.pKWaveSpectrumView->IsWindowVisible());
    DestroyKWaveFilmFloatingWindows(f.film);
    EXPECT_EQ(f.film.pKWaveSpectrumView, nullptr);
    EXPECT_EQ(f.film.pKWaveSpectrumPhasePortraitView, nullptr);
}

TEST(KWaveFilmFloatingWindows, GoneWithTheFilm)
{
    QPointer<QWidget> spectrum, portrait;
    {
        FilmOnFile f("floating-gone.wav", Tone(), 16000, 1024);
        ASSERT_TRUE(f.bOpen);
        ASSERT_TRUE(f.film.CreateKWaveSpectrumView(nullptr));
        ASSERT_TRUE(f.film.CreateKWaveSpectrumPhasePortraitView(nullptr));
        spectrum = f.film.pKWaveSpectrumView->GetWidget();
        portrait = f.film.pKWaveSpectrumPhasePortraitView->GetWidget();
        // Without the helper that a document calls: the film's own destructor.
        CKWaveFilm* film = new CKWaveFilm;
        ASSERT_TRUE(OpenKWaveFilmOnWholeFile(*film, f.path.c_str(), "gone", 256));
        ASSERT_TRUE(film->CreateKWaveSpectrumView(nullptr));
        QPointer<QWidget> third = film->pKWaveSpectrumView->GetWidget();
        ASSERT_FALSE(third.isNull());
        delete film;
        EXPECT_TRUE(third.isNull());
    }
    EXPECT_TRUE(spectrum.isNull());
    EXPECT_TRUE(portrait.isNull());
}

TEST(KWaveFilmFloatingWindows, CaretMovesAndLevelChangesRepaintTheWindowsThatExist)
{
    CSonogramOnFile s("floating-repaint.wav", 1, 16000, Tone(), 1024, 300);
    ASSERT_TRUE(s.bOpen);
    CKWaveFilm& film = s.film;
    // No window yet: the caret and the levels move all the same.
    film.SetKCaretSample(5000);
    film.SetDefaultsSpectrumAmplValidUpAndDownLevel_dB();

    // The oscillogram is reached through its hook when the wave has one.
    KWindowHooks& hooks = KGetWindowHooks();
    const KWindowHooks saved = hooks;
    static std::vector<CKWaveView*> waveRepaints;
    waveRepaints.clear();
    hooks.RepaintWaveView = [](CKWaveView* p) { waveRepaints.push_back(p); };
    int token = 0;
    film.pKWaveView = reinterpret_cast<CKWaveView*>(&token);

    ASSERT_TRUE(film.CreateKWaveSpectrumView(nullptr));
    ASSERT_TRUE(film.CreateKWaveSpectrumPhasePortraitView(nullptr));
    CKWaveSpectrumView* spectrum = film.pKWaveSpectrumView;
    CKWaveSpectrumPhasePortraitView* portrait = film.pKWaveSpectrumPhasePortraitView;
    auto paintAll = [&] {
        spectrum->UpdateWindow();
        portrait->UpdateWindow();
        ASSERT_FALSE(Invalid(spectrum));
        ASSERT_FALSE(Invalid(portrait));
    };

    // A click with Ctrl in the sonogram moves the caret.
    paintAll();
    s.view->OnLButtonDown(MK_LBUTTON | MK_CONTROL, CPoint(40, 100));
    EXPECT_EQ(film.GetKCaretCadre(), 40);
    EXPECT_TRUE(Invalid(spectrum));
    EXPECT_TRUE(Invalid(portrait));
    EXPECT_EQ(waveRepaints, std::vector<CKWaveView*>({film.pKWaveView}));

    // The level operations repaint the spectrum, which draws the levels.
    for (int op = 0; op < 3; ++op) {
        paintAll();
        if (op == 0)
            film.SetDefaultsSpectrumAmplValidUpAndDownLevel_dB();
        else if (op == 1)
            film.MoveSpectrumAmplValidUpLevel_dB(-10);
        else
            film.MoveSpectrumAmplValidDownLevel_dB(10);
        EXPECT_TRUE(Invalid(spectrum)) << op;
        EXPECT_FALSE(Invalid(portrait)) << op;
    }

    // So do the display dialog's level commands while it is open, and the
    // sonogram's command that opens it.
    paintAll();
    bool repaintedLive = false;
    DialogDriver old = SetDialogDriver([&](CDialog& d) {
        d.ClickDlgButton(5050); // "Line"
        repaintedLive = Invalid(spectrum);
        d.ClickDlgButton(IDCANCEL);
    });
    s.view->OnCommand(CKWaveFilmView::ID_WFV_DIALOG_ADJUST, 0);
    SetDialogDriver(old);
    EXPECT_TRUE(repaintedLive);
    EXPECT_TRUE(Invalid(spectrum));

    film.pKWaveView = nullptr;
    hooks = saved;
}
