// The sonogram's interaction: caret and selection by mouse, the blinking
// cross, scrolling and sizing, the cursor text, the menu and the hints.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>

#include "framework/audio/AudioServices.h"
#include "framework/audio/VirtualAudio.h"
#include "framework/base/ScriptedUserInteraction.h"
#include "framework/ui/CDialog.h"
#include "framework/ui/CDocument.h"
#include "framework/ui/CMenu.h"
#include "kavrel/core/KFFT.h"
#include "kavrel/views/tests/SonogramTestSupport.h"
#include "testsupport/ScriptedMenus.h"

using namespace sonogram_test;

namespace {

// A second view of the same document that only notes the hints it gets.
class HintSpy : public CView {
public:
    void OnDraw(CDC*) override {}
    void OnUpdate(CView*, LPARAM lHint, CObject*) override { hints.push_back(lHint); }
    std::vector<LPARAM> hints;
};

COLORREF Inverted(COLORREF c) { return c ^ 0xFFFFFF; }

// A chirp, so that neighbouring columns differ and inversions show.
bool OpenChirp(Sonogram& s, const char* name)
{
    return s.Open(name, Chirp(300, 6000, 20000, 16000, kFs), kFs, kNFFT, kWidth, kHeight);
}

// A chirp's sonogram in a document, beside a view that notes the hints.
struct ChirpInDocument : Sonogram {
    explicit ChirpInDocument(const char* name)
    {
        bOpen = OpenChirp(*this, name);
        doc.AddView(view.get());
        doc.AddView(&spy);
    }
    ~ChirpInDocument()
    {
        doc.RemoveView(view.get());
        doc.RemoveView(&spy);
    }
    CDocument doc;
    HintSpy spy;
    bool bOpen = false;
};

} // namespace

TEST(KWaveFilmViewInteraction, ClicksSetTheCaretAndDragsSelect)
{
    ChirpInDocument s("mouse-select.wav");
    ASSERT_TRUE(s.bOpen);
    s.Paint();
    const COLORREF before39 = s.Screen(39, 60), before50 = s.Screen(50, 60), before70 = s.Screen(70, 60);

    // Ctrl with the button: the caret moves, no selection starts.
    s.view->OnLButtonDown(MK_LBUTTON | MK_CONTROL, CPoint(30, 100));
    EXPECT_EQ(s.film.GetKCaretCadre(), 30);
    EXPECT_DOUBLE_EQ(s.film.GetKCaretFrequency(), (128 - 100 - 1) * 62.5); // line 27
    EXPECT_EQ(s.film.GetSelectedFragmentAbsCadre0(), 0);
    EXPECT_EQ(s.film.GetSelectedFragmentAbsCadre1(), 0);
    EXPECT_EQ(CWnd::GetCapture(), nullptr);
    EXPECT_EQ(s.spy.hints, std::vector<LPARAM>({HintCaret}));

    // A plain press starts a selection, the drag extends it, the release ends it.
    s.spy.hints.clear();
    s.view->OnLButtonDown(MK_LBUTTON, CPoint(40, 60));
    EXPECT_EQ(CWnd::GetCapture(), s.view.get());
    EXPECT_EQ(s.film.GetSelectedFragmentAbsCadre0(), 40);
    EXPECT_EQ(s.film.GetSelectedFragmentAbsCadre1(), 40);
    s.view->OnMouseMove(MK_LBUTTON, CPoint(70, 60));
    EXPECT_EQ(s.film.GetSelectedFragmentAbsCadre1(), 70);
    s.view->OnLButtonUp(0, CPoint(70, 60));
    EXPECT_EQ(CWnd::GetCapture(), nullptr);
    EXPECT_EQ(s.film.GetKCaretCadre(), 70);
    EXPECT_EQ(s.spy.hints, std::vector<LPARAM>({HintCaret, HintSelection,
                                              HintCaret, HintSelection,
                                              HintCaret}));
    // Cadres 40 .. 69 are shown inverted, nothing beside them.
    EXPECT_EQ(s.Screen(39, 60), before39);
    EXPECT_EQ(s.Screen(50, 60), Inverted(before50));
    EXPECT_EQ(s.Screen(70, 60), before70);
    // A repaint shows the same.
    s.Paint();
    EXPECT_EQ(s.Screen(50, 60), Inverted(before50));
    EXPECT_EQ(s.Screen(70, 60), before70);

    // Shift moves the nearer end; only the new strip changes on screen.
    const COLORREF before90 = s.Screen(90, 60);
    s.view->OnLButtonDown(MK_LBUTTON | MK_SHIFT, CPoint(100, 60));
    s.view->OnLButtonUp(0, CPoint(100, 60));
    EXPECT_EQ(s.film.GetSelectedFragmentAbsCadre0(), 40);
    EXPECT_EQ(s.film.GetSelectedFragmentAbsCadre1(), 100);
    EXPECT_EQ(s.Screen(50, 60), Inverted(before50));
    EXPECT_EQ(s.Screen(90, 60), Inverted(before90));

    // Another view's selection arrives by hint 4: the old range goes back,
    // the new one is inverted.
    const COLORREF before150 = s.Screen(150, 60);
    s.film.SetSelectedFragmentAbsCadres(140, 160);
    s.view->OnUpdate(&s.spy, HintSelection, nullptr);
    EXPECT_EQ(s.Screen(50, 60), before50);
    EXPECT_EQ(s.Screen(150, 60), Inverted(before150));
}

TEST(KWaveFilmViewInteraction, CaretFollowsTheMouseByTheCtrlSetting)
{
    Sonogram s;
    ASSERT_TRUE(OpenChirp(s, "mouse-caret.wav"));
    s.view->OnMouseMove(0, CPoint(20, 50));
    EXPECT_EQ(s.film.GetKCaretCadre(), 0);
    s.view->OnMouseMove(MK_CONTROL, CPoint(20, 50));
    EXPECT_EQ(s.film.GetKCaretCadre(), 20);
    s.film.MoveCaretOnlyWithCtrl = false;
    s.view->OnMouseMove(MK_CONTROL, CPoint(60, 50));
    EXPECT_EQ(s.film.GetKCaretCadre(), 20);
    s.view->OnMouseMove(0, CPoint(60, 50));
    EXPECT_EQ(s.film.GetKCaretCadre(), 60);
}

TEST(KWaveFilmViewInteraction, CaretCrossBlinksByXor)
{
    Sonogram s;
    ASSERT_TRUE(OpenChirp(s, "mouse-blink.wav"));
    s.film.SetKCaretCadre(50);
    s.film.SetKCaretFrequency(1000); // line 16, row 111
    s.Paint();
    const COLORREF vertical = s.Screen(50, 30), horizontal = s.Screen(120, 111), away = s.Screen(120, 30);
    const COLORREF at60 = s.Screen(60, 60);
    s.view->OnTimer(CKFilmViewState::nBlinkTimer);
    EXPECT_TRUE(s.view->bCaretShown);
    EXPECT_EQ(s.Screen(50, 30), Inverted(vertical));
    EXPECT_EQ(s.Screen(120, 111), Inverted(horizontal));
    EXPECT_EQ(s.Screen(120, 30), away);
    // A repaint keeps the shown cross.
    s.Paint();
    EXPECT_EQ(s.Screen(50, 30), Inverted(vertical));
    // Hint 9 moves a shown cross at once.
    s.film.SetKCaretCadre(60);
    s.view->OnUpdate(nullptr, HintCaret, nullptr);
    EXPECT_EQ(s.Screen(50, 30), vertical);
    EXPECT_EQ(s.Screen(60, 60), Inverted(at60));
    // The next tick hides it.
    s.view->OnTimer(CKFilmViewState::nBlinkTimer);
    EXPECT_FALSE(s.view->bCaretShown);
    EXPECT_EQ(s.Screen(120, 111), horizontal);
    EXPECT_EQ(s.Screen(50, 30), vertical);
    // Hidden and off: a moved caret draws nothing until the next tick.
    s.view->OnUpdate(nullptr, HintCaret, nullptr);
    EXPECT_EQ(s.Screen(120, 111), horizontal);
}

TEST(KWaveFilmViewInteraction, ThumbDragShowsAFlatFillUntilReleased)
{
    Sonogram s;
    ASSERT_TRUE(OpenChirp(s, "scroll-thumb.wav"));
    s.Paint();
    const long long before = CKFFT::KFFT_nTransforms;
    s.view->OnHScroll(SB_THUMBTRACK, 300, nullptr);
    s.Paint();
    EXPECT_EQ(s.view->GetScrollPosition().x, 0);
    EXPECT_EQ(CKFFT::KFFT_nTransforms, before);
    for (int x : {0, 77, kWidth - 1})
        for (int y : {0, 64, 127})
            EXPECT_EQ(s.Screen(x, y), COLORREF(0x3F3F35)) << x << " " << y;
    s.view->OnHScroll(SB_THUMBPOSITION, 300, nullptr);
    s.view->OnHScroll(SB_ENDSCROLL, 0, nullptr);
    s.Paint();
    EXPECT_EQ(s.view->GetScrollPosition().x, 300);
    EXPECT_EQ(CKFFT::KFFT_nTransforms - before, kWidth / 2);
    EXPECT_NE(s.Screen(77, 64), COLORREF(0x3F3F35));
}

TEST(KWaveFilmViewInteraction, TheWheelDoesNothing)
{
    Sonogram s;
    ASSERT_TRUE(OpenChirp(s, "scroll-wheel.wav"));
    s.view->ScrollToPosition(CPoint(100, 0));
    QWidget* w = s.view->GetWidget();
    QWheelEvent wheel(QPointF(50, 50), w->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -240), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &wheel);
    EXPECT_EQ(s.view->GetScrollPosition(), CPoint(100, 0));
    EXPECT_EQ(s.view->OnMouseWheel(0, 120, CPoint(0, 0)), 1);
    EXPECT_EQ(s.view->GetScrollPosition(), CPoint(100, 0));
}

TEST(KWaveFilmViewInteraction, ResizeRecentresOnTheCaretAndRebuildsTheCaches)
{
    Sonogram s;
    ASSERT_TRUE(OpenChirp(s, "scroll-resize.wav"));
    s.Paint();
    s.film.SetKCaretCadre(300);
    s.view->MoveWindow(0, 0, 151, kHeight);
    EXPECT_EQ(s.view->nColumns, 152);
    EXPECT_EQ(s.view->GetScrollPosition().x, 300 - 76);
    for (int slot : {0, 75, 151}) {
        EXPECT_EQ(s.view->spectraColumnMap.pArray[slot], CKWaveFilmView::SlotAfterResize);
        EXPECT_EQ(s.view->bitmapColumnMap.pArray[slot], CKWaveFilmView::SlotAfterResize);
    }
    const long long before = CKFFT::KFFT_nTransforms;
    s.Paint();
    EXPECT_EQ(CKFFT::KFFT_nTransforms - before, 152 / 2);
    // Near the start the view cannot go left of cadre 0.
    s.film.SetKCaretCadre(20);
    s.view->MoveWindow(0, 0, kWidth, kHeight);
    EXPECT_EQ(s.view->GetScrollPosition().x, 0);
}

TEST(KWaveFilmViewInteraction, CursorText)
{
    Sonogram s;
    ASSERT_TRUE(OpenChirp(s, "cursor-text.wav"));
    // Row 111 is line 16, 1000 Hz; cadre 21 lies at 21·25/16000 = 0.0328 s.
    s.view->OnMouseMove(0, CPoint(21, 111));
    EXPECT_EQ(s.view->GetCursorText(), "1000.0 Гц; 0.033 c"); // the default 0x25
    EXPECT_EQ(s.view->GetToolTip().GetText(s.view.get()), "1000.0 Гц; 0.033 c");

    s.film.tooltipFlags = 0;
    s.view->OnMouseMove(0, CPoint(21, 111));
    EXPECT_EQ(s.view->GetCursorText(), "");
    EXPECT_EQ(s.view->GetToolTip().GetText(s.view.get()), "");

    // Relative to the caret at cadre 10 and 500 Hz, with the derivative.
    s.film.SetKCaretCadre(10);
    s.film.SetKCaretFrequency(500);
    s.film.tooltipFlags = 8 | 2 | 16;
    s.view->OnMouseMove(0, CPoint(21, 111));
    // 500 Hz over 0.0171875 s: 29090.9 Hz/s.
    EXPECT_EQ(s.view->GetCursorText(), "500.00 Гц; 0.017 c; 29091 Гц/с");
    s.view->OnMouseMove(0, CPoint(10, 119)); // line 8: the caret's own frequency
    // A zero difference has no order of magnitude: three decimals.
    EXPECT_EQ(s.view->GetCursorText(), "0.000 Гц; 0.000 c; ? Гц/с");
}

TEST(KWaveFilmViewInteraction, DerivativeAtTheCaretsTimeIsUnknown)
{
    Sonogram s;
    ASSERT_TRUE(OpenChirp(s, "cursor-derivative.wav"));
    s.film.SetKCaretCadre(40);
    s.film.SetKCaretFrequency(500);
    s.film.tooltipFlags = 16;
    s.view->OnMouseMove(0, CPoint(40, 100));
    EXPECT_EQ(s.view->GetCursorText(), "? Гц/с");
    // Falling frequency, 3 cadres later: (187.5 - 500) / 0.0046875 = -66666.7 Hz/s.
    s.view->OnMouseMove(0, CPoint(43, 128 - 3 - 1));
    EXPECT_EQ(s.view->GetCursorText(), "-66667 Гц/с");
    // From 500 Hz to 0 in one cadre: -320000 Hz/s, an order of magnitude no
    // format names: three decimals.
    s.view->OnMouseMove(0, CPoint(41, 127));
    EXPECT_EQ(s.view->GetCursorText(), "-320000.000 Гц/с");
}

TEST(KWaveFilmViewInteraction, ContextMenuOffersEveryCommand)
{
    Sonogram s;
    ASSERT_TRUE(OpenChirp(s, "menu.wav"));
    ktest::ScriptedMenus menus(CKWaveFilmView::ID_DRAW_FREQ_AXES);
    const KShownMenu& shown = menus.shown;
    menus.OpenContextMenu(s.view.get());
    EXPECT_TRUE(s.view->bDrawFreqAxes);
    CPoint corner(5, 5);
    s.view->ClientToScreen(&corner);
    EXPECT_EQ(shown.ptScreen, corner);
    std::vector<std::pair<UINT, std::string>> items;
    for (const KShownMenuItem& it : shown.items)
        items.emplace_back(it.bSeparator ? 0 : it.nID, it.sText.GetString());
    const std::vector<std::pair<UINT, std::string>> expected = {
        {36791, "Настройка спектрального фильма ..."}, {0, ""},
        {36779, "Воспроизвести"}, {36802, "Воспроизвести фрагмент ..."}, {0, ""},
        {36816, "Какие параметры показывать у курсора ..."}, {0, ""},
        {36814, "Показывать оси частот в герцах"}, {0, ""},
        {36812, "15-ти битовая видеомода"}, {0, ""},
        {36829, "Пересчитать все спектры"}, {36834, "Показывать локальные максимумы сонограммы"}};
    EXPECT_EQ(items, expected);
    for (const KShownMenuItem& it : shown.items) {
        if (!it.bSeparator) {
            EXPECT_TRUE(it.bEnabled) << it.nID;
            EXPECT_FALSE(it.bChecked) << it.nID;
        }
    }
    // The next time the axes item is checked; the local maxima are switched on.
    menus.choice = CKWaveFilmView::ID_SHOW_LOCAL_MAX_ON_SONOGRAM;
    menus.OpenContextMenu(s.view.get(), CPoint(300, 200));
    EXPECT_EQ(shown.ptScreen, CPoint(300, 200));
    EXPECT_TRUE(s.view->bShowLocalMax);
    for (const KShownMenuItem& it : shown.items)
        EXPECT_EQ(it.bChecked, it.nID == CKWaveFilmView::ID_DRAW_FREQ_AXES) << it.nID;
}

TEST(KWaveFilmViewInteraction, HintsOfTheDocument)
{
    ChirpInDocument s("hints.wav");
    ASSERT_TRUE(s.bOpen);
    // A second film replaces the first through hint 2 and is shown at its caret.
    CKWaveFilm other;
    const std::string path = wavbytes::writeFile("hints-other.wav", wavbytes::pcm16(1, kFs, Sine(500, 9000, 32000, kFs)));
    ASSERT_TRUE(OpenKWaveFilmOnWholeFile(other, path.c_str(), "other", 1024));
    other.SetKCaretCadre(600);
    CKWaveFilmHint hint(&other);
    s.doc.UpdateAllViews(nullptr, HintNewFilm, &hint);
    EXPECT_EQ(s.view->GetWaveFilm(), &other);
    EXPECT_EQ(s.view->nLines, 512);
    EXPECT_EQ(s.view->GetTotalSize(), CSize(int(other.GetNCadres()), 512));
    // Hint 11 repaints only when the document itself sends it.
    s.Paint();
    CRect invalid;
    s.view->OnUpdate(&s.spy, HintPaperColour, nullptr);
    EXPECT_FALSE(s.view->GetUpdateRect(&invalid));
    s.view->OnUpdate(nullptr, HintPaperColour, nullptr);
    EXPECT_TRUE(s.view->GetUpdateRect(&invalid));
    // Hint 12 redraws the picture from the kept spectra.
    const unsigned before = s.view->PicturePixel(int(s.view->GetScrollPosition().x % s.view->nColumns), 32);
    other.displayFlags = CKWaveFilm::DisplayAmplitudeGrey | CKWaveFilm::DisplayInverse;
    const long long transforms = CKFFT::KFFT_nTransforms;
    s.view->OnUpdate(&s.spy, HintDisplayParameter, nullptr);
    EXPECT_EQ(CKFFT::KFFT_nTransforms, transforms);
    // Inverted grey: g + g' = 255 less the two truncations.
    const unsigned after = s.view->PicturePixel(int(s.view->GetScrollPosition().x % s.view->nColumns), 32);
    EXPECT_GE((before & 0xFF) + (after & 0xFF), 254u);
    EXPECT_LE((before & 0xFF) + (after & 0xFF), 255u);
    EXPECT_NE(before & 0xFF, after & 0xFF);
    // The adjustment command opens the display dialog, then tells the other
    // views that the levels changed.
    s.spy.hints.clear();
    std::vector<int> dialogs;
    DialogDriver old = SetDialogDriver([&](CDialog& d) {
        dialogs.push_back(int(d.GetTemplateID()));
        d.ClickDlgButton(IDOK);
    });
    s.view->OnCommand(CKWaveFilmView::ID_WFV_DIALOG_ADJUST, 0);
    SetDialogDriver(old);
    EXPECT_EQ(dialogs, std::vector<int>({4133}));
    EXPECT_EQ(s.spy.hints, std::vector<LPARAM>({HintDisplayLevels}));
}

TEST(KWaveFilmViewInteraction, DestroyWindowStopsTheBlinking)
{
    Sonogram s;
    ASSERT_TRUE(OpenChirp(s, "destroy.wav"));
    EXPECT_NE(s.view->State.nTimerID, 0u);
    EXPECT_TRUE(s.view->DestroyWindow());
    EXPECT_EQ(s.view->GetWidget(), nullptr);
    EXPECT_EQ(s.view->State.nTimerID, 0u);
    s.view->OnTimer(CKFilmViewState::nBlinkTimer); // nothing to draw on: no harm
    s.view->OnMouseMove(MK_CONTROL, CPoint(3, 3));
}

TEST(KWaveFilmViewInteraction, PlayPlaysWhatTheWindowShows)
{
    CVirtualAudio::Use();
    KInstallAudioServices();
    CScriptedUserInteraction ui;
    const std::vector<int> x = Chirp(300, 6000, 20000, 16000, kFs);
    Sonogram s;
    ASSERT_TRUE(s.Open("play-view.wav", x, kFs, kNFFT, kWidth, kHeight));
    s.view->ScrollToPosition(CPoint(100, 0));
    s.view->OnCommand(CKWaveFilmView::ID_PLAY_VIEW, 0);
    // Cadres 100 .. 300 of 25 samples each: samples 2500 .. 7500.
    std::vector<short> played;
    for (const VirtualPlayedStream& st : CVirtualAudio::PlayedStreams()) {
        const std::vector<short> v = st.Samples16();
        played.insert(played.end(), v.begin(), v.end());
    }
    ASSERT_EQ(played.size(), 5000u);
    for (size_t i = 0; i < played.size(); i += 97)
        EXPECT_EQ(played[i], x[2500 + i]) << i;
    EXPECT_TRUE(ui.m_messages.empty());
}

TEST(KWaveFilmViewInteraction, RealMouseEventsReachTheHandlers)
{
    Sonogram s;
    ASSERT_TRUE(OpenChirp(s, "mouse-real.wav"));
    QWidget* w = s.view->GetWidget();
    auto send = [&](QEvent::Type type, QPointF at, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods) {
        QMouseEvent e(type, at, w->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      buttons, mods);
        QApplication::sendEvent(w, &e);
    };
    // A Ctrl click: the caret only.
    send(QEvent::MouseButtonPress, QPointF(33, 40), Qt::LeftButton, Qt::ControlModifier);
    send(QEvent::MouseButtonRelease, QPointF(33, 40), Qt::NoButton, Qt::ControlModifier);
    EXPECT_EQ(s.film.GetKCaretCadre(), 33);
    EXPECT_EQ(s.film.GetSelectedFragmentAbsCadre1(), 0);
    // A drag: a selection.
    send(QEvent::MouseButtonPress, QPointF(50, 40), Qt::LeftButton, Qt::NoModifier);
    send(QEvent::MouseMove, QPointF(90, 40), Qt::LeftButton, Qt::NoModifier);
    send(QEvent::MouseButtonRelease, QPointF(90, 40), Qt::NoButton, Qt::NoModifier);
    EXPECT_EQ(s.film.GetSelectedFragmentAbsCadre0(), 50);
    EXPECT_EQ(s.film.GetSelectedFragmentAbsCadre1(), 90);
    EXPECT_EQ(CWnd::GetCapture(), nullptr);
}

TEST(KWaveFilmViewInteraction, MenuCommandsOpenTheirDialogs)
{
    Sonogram s;
    ASSERT_TRUE(OpenChirp(s, "dialogs.wav"));
    std::vector<UINT> opened;
    DialogDriver oldDlg = SetDialogDriver([&](CDialog& d) {
        opened.push_back(d.GetTemplateID());
        // OK in the cursor dialog keeps the word; the others are cancelled.
        d.EndDialog(d.GetTemplateID() == 4149 ? IDOK : IDCANCEL);
    });
    s.film.tooltipFlags = 0x25;
    const COLORREF before = s.view->GetSurface()->GetPixel(10, 10);
    s.view->SendMessage(WM_COMMAND, CKWaveFilmView::ID_WFV_DIALOG_ADJUST);
    s.view->SendMessage(WM_COMMAND, CKWaveFilmView::ID_WFV_DIALOG_PLAY_FRAGMENT);
    s.view->SendMessage(WM_COMMAND, CKWaveFilmView::ID_HOW_TO_SHOW_TOOLTIP);
    SetDialogDriver(oldDlg);
    EXPECT_EQ(opened, (std::vector<UINT>{4133, 4140, 4149}));
    EXPECT_EQ(s.film.tooltipFlags, 0x25); // rebuilt from its own radios
    s.view->UpdateWindow();
    EXPECT_EQ(s.view->GetSurface()->GetPixel(10, 10), before); // the adjustment was cancelled
}
