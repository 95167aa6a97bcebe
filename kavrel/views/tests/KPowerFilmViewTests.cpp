// The power curve: background and grid, the curve's pixels from the power
// file, scrolling, caret and selection, cursor text, wheel and menu.
#include <numbers>
#include <gtest/gtest.h>

#include "framework/base/MciService.h"

#include <QApplication>
#include <QScrollBar>
#include <QWidget>
#include <cmath>
#include <memory>

#include "framework/base/ProgressService.h"
#include "framework/ui/CDocument.h"
#include "framework/ui/CFrameWnd.h"
#include "framework/ui/CMenu.h"
#include "framework/ui/CSplitterWnd.h"
#include "framework/ui/CSurface.h"
#include "kavrel/core/KWaveFilmHelpers.h"
#include "testsupport/WavBytes.h"
#include "kavrel/views/KPowerFilmView.h"
#include "kavrel/views/KWaveFilmView.h"
#include "testsupport/RecordingMci.h"
#include "testsupport/WindowPixels.h"
#include "testsupport/ScriptedMenus.h"

namespace {

constexpr unsigned kFs = 16000;
constexpr COLORREF kGreen = 0x00FF00;
constexpr COLORREF kGrey = 0x7F7F7F;
constexpr COLORREF kDarkGreen = 0x003F00;

class TestPowerView : public CKPowerFilmView {
public:
    TestPowerView() = default;
};

struct PowerCurve {
    CKWaveFilm film;
    std::unique_ptr<TestPowerView> view = std::make_unique<TestPowerView>();
    CKWaveFilmHint hint{&film};
    std::string path;

    // NFFT 1024 at 16 kHz: a cadre every 102 samples.
    bool Open(const std::string& name, const std::vector<int>& samples, int cx, int cy)
    {
        path = wavbytes::writeFile(name, wavbytes::pcm16(1, kFs, samples));
        if (!OpenKWaveFilmOnWholeFile(film, path.c_str(), name.c_str(), 1024))
            return false;
        CScriptedProgressService progress;
        if (!film.PowerCreate())
            return false;
        if (!view->Create(nullptr, CRect(0, 0, cx, cy)))
            return false;
        view->OnUpdate(nullptr, 2, &hint);
        view->OnInitialUpdate();
        return true;
    }
    ~PowerCurve()
    {
        if (view->GetWidget())
            view->DestroyWindow();
        view.reset();
        film.CloseKWaveFile();
        std::remove(path.c_str());
    }
    void Paint()
    {
        view->Invalidate(TRUE);
        view->UpdateWindow();
    }
    // The blinking caret off, so that it covers nothing.
    void HideCaret()
    {
        if (view->bCaretShown)
            view->OnTimer(CKFilmViewState::nBlinkTimer);
    }
    COLORREF Screen(int x, int y) const { return ktest::ScreenPixel(view.get(), x, y); }
    CRect Client() const { return ktest::ClientRect(view.get()); }
};

// A tone whose amplitude rises from nothing to near full scale.
std::vector<int> RisingTone(long n)
{
    std::vector<int> x(static_cast<size_t>(n));
    for (long i = 0; i < n; ++i)
        x[size_t(i)] = int(std::lround(30000.0 * double(i) / double(n) * std::sin(2 * std::numbers::pi * 440 * i / kFs)));
    return x;
}

std::vector<int> GridRows(const PowerCurve& p, int x)
{
    std::vector<int> rows;
    for (int y = 0; y < p.Client().Height(); ++y)
        if (p.Screen(x, y) == kGrey)
            rows.push_back(y);
    return rows;
}

} // namespace

TEST(KPowerFilmView, GridEveryTenDecibelsFromTheTopAndTheRangeCommands)
{
    PowerCurve p;
    // 156 cadres of silence in a window wider than the film: no scroll bar.
    ASSERT_TRUE(p.Open("power-grid.wav", std::vector<int>(16000, 0), 200, 110));
    ASSERT_EQ(p.Client().Height(), 110);
    p.HideCaret();

    ASSERT_TRUE(p.view->OnCmdMsg(36790));
    EXPECT_EQ(p.view->Range, 110.0f);
    p.Paint();
    // y = i * 110 / 110 * 10 for i = 0 ... 10; silence (-84.288 dB) lies on row 84.
    EXPECT_EQ(GridRows(p, 150), (std::vector<int>{0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));
    EXPECT_EQ(p.Screen(150, 84), kGreen);
    EXPECT_EQ(p.Screen(150, 5), kDarkGreen);

    ASSERT_TRUE(p.view->OnCmdMsg(36780));
    EXPECT_EQ(p.view->Range, 10.0f);
    p.Paint();
    EXPECT_EQ(GridRows(p, 150), (std::vector<int>{0}));

    // 60 dB (command 36785): y = i * 110 / 60 * 10, truncated.
    ASSERT_TRUE(p.view->OnCmdMsg(36785));
    p.Paint();
    EXPECT_EQ(GridRows(p, 150), (std::vector<int>{0, 18, 36, 55, 73, 91}));
    for (UINT id = 36780; id <= 36790; ++id) {
        CCmdUI ui(id);
        ASSERT_TRUE(p.view->OnUpdateCmdUI(&ui));
        EXPECT_EQ(ui.m_nCheck, id == 36785 ? 1 : 0) << id;
    }

    // Light paper: white with a black curve.
    p.film.lightBackground = 1;
    p.view->OnCmdMsg(36790);
    p.Paint();
    EXPECT_EQ(p.Screen(150, 5), COLORREF(0xFFFFFF));
    EXPECT_EQ(p.Screen(150, 84), COLORREF(0x000000));
    EXPECT_EQ(p.Screen(150, 10), kGrey);
}

TEST(KPowerFilmView, CurveLandsWherePowerFileAndRangePutIt)
{
    PowerCurve p;
    // Two seconds: 312 cadres, wider than the window.
    ASSERT_TRUE(p.Open("power-curve.wav", RisingTone(32000), 200, 140));
    p.HideCaret();
    p.Paint();
    const CRect rc = p.Client();
    const double k = rc.Height() / 60.0;
    auto expectOnCurve = [&](long x0) {
        int checked = 0;
        for (long c = x0; c < x0 + rc.Width(); ++c) {
            const float v = p.film.GetPowerInCadre(c);
            const int y = int((0.0 - double(v)) * k);
            if (y < 0 || y >= rc.Height())
                continue;
            EXPECT_EQ(p.Screen(int(c - x0), y), kGreen) << "cadre " << c << " at scroll " << x0;
            ++checked;
        }
        return checked;
    };
    // Scrolled to the start the curve begins at x = 0 with cadre 0 (silence: -84 dB, below a 60 dB range,
    // so look at the first visible vertex instead).
    EXPECT_GT(expectOnCurve(0), 100);
    EXPECT_GT(p.film.GetPowerInCadre(150), p.film.GetPowerInCadre(20));

    p.view->OnHScroll(SB_THUMBPOSITION, 100, nullptr);
    ASSERT_EQ(p.view->GetScrollPosition().x, 100);
    p.Paint();
    EXPECT_GT(expectOnCurve(100), 150);

    // At 110 dB the silent first cadre is visible: the curve starts in column 0.
    p.view->OnHScroll(SB_LEFT, 0, nullptr);
    p.view->OnCmdMsg(36790);
    p.Paint();
    const int y0 = int((0.0 - double(p.film.GetPowerInCadre(0))) * (rc.Height() / 110.0));
    EXPECT_EQ(p.Screen(0, y0), kGreen);
}

TEST(KPowerFilmView, CursorTextShowsAbsolutePowerForEitherBitAndTheTime)
{
    PowerCurve p;
    ASSERT_TRUE(p.Open("power-tip.wav", std::vector<int>(16000, 0), 200, 110));
    // Cadre 16 is at 16 * 102 / 16000 = 0.102 s; silence is -84.288 dB.
    p.film.tooltipFlags = 32;
    p.view->OnMouseMove(0, CPoint(16, 50));
    EXPECT_EQ(p.view->GetCursorText(), "-84.3 дБ");
    p.film.tooltipFlags = 64;
    p.view->OnMouseMove(0, CPoint(16, 50));
    EXPECT_EQ(p.view->GetCursorText(), "-84.3 дБ");
    p.film.tooltipFlags = 64 | 1;
    p.view->OnMouseMove(0, CPoint(16, 50));
    EXPECT_EQ(p.view->GetCursorText(), "-84.3 дБ 0.102 c");
    EXPECT_STREQ(p.view->GetToolTip().GetText(p.view.get()), "-84.3 дБ 0.102 c");
    p.film.SetKCaretCadre(6);
    p.film.tooltipFlags = 2;
    p.view->OnMouseMove(0, CPoint(16, 50));
    EXPECT_EQ(p.view->GetCursorText(), "0.064 c"); // (1632 - 612) / 16000 = 0.06375
    p.film.tooltipFlags = 0;
    p.view->OnMouseMove(0, CPoint(16, 50));
    EXPECT_EQ(p.view->GetCursorText(), "");
    // The caret did not follow the pointer: it only does with Ctrl held.
    EXPECT_EQ(p.film.GetKCaretCadre(), 6);
    p.view->OnMouseMove(MK_CONTROL, CPoint(16, 50));
    EXPECT_EQ(p.film.GetKCaretCadre(), 16);
}

TEST(KPowerFilmView, WheelDoesNothing)
{
    PowerCurve p;
    ASSERT_TRUE(p.Open("power-wheel.wav", std::vector<int>(32000, 0), 200, 110));
    p.view->OnHScroll(SB_THUMBPOSITION, 50, nullptr);
    ASSERT_EQ(p.view->GetScrollPosition().x, 50);
    EXPECT_EQ(p.view->OnMouseWheel(0, -120, CPoint(10, 10)), 1);
    EXPECT_EQ(p.view->GetScrollPosition().x, 50);
    // What a scroll view would have done with it.
    p.view->CScrollView::OnMouseWheel(0, -120, CPoint(10, 10));
    EXPECT_NE(p.view->GetScrollPosition().x, 50);
}

TEST(KPowerFilmView, SelectionAndCaretFollowTheMouseAndTheHints)
{
    PowerCurve p;
    ASSERT_TRUE(p.Open("power-select.wav", std::vector<int>(16000, 0), 200, 110));
    p.HideCaret();
    p.Paint();
    const COLORREF inverted = kDarkGreen ^ 0xFFFFFF;

    // Another view changed the selection: hint 4 inverts exactly its columns.
    p.film.SetSelectedFragmentAbsCadres(10, 20);
    p.view->OnUpdate(nullptr, 4, nullptr);
    EXPECT_EQ(p.Screen(9, 5), kDarkGreen);
    EXPECT_EQ(p.Screen(10, 5), inverted);
    EXPECT_EQ(p.Screen(19, 5), inverted);
    EXPECT_EQ(p.Screen(20, 5), kDarkGreen);
    // A repaint draws it again from the film's selection.
    p.Paint();
    EXPECT_EQ(p.Screen(15, 5), inverted);
    EXPECT_EQ(p.Screen(25, 5), kDarkGreen);

    // A drag in this view selects from the press to the pointer and moves the caret.
    p.view->OnLButtonDown(MK_LBUTTON, CPoint(30, 40));
    p.view->OnMouseMove(MK_LBUTTON, CPoint(40, 40));
    p.view->OnLButtonUp(0, CPoint(40, 40));
    EXPECT_EQ(p.film.GetSelectedFragmentAbsCadre0(), 30);
    EXPECT_EQ(p.film.GetSelectedFragmentAbsCadre1(), 40);
    EXPECT_EQ(p.film.GetKCaretCadre(), 40);
    EXPECT_EQ(p.Screen(15, 5), kDarkGreen);
    EXPECT_EQ(p.Screen(35, 5), inverted);

    // The caret (hint 9) blinks at its cadre: XOR white over the background.
    p.HideCaret();
    p.film.SetKCaretCadre(60);
    p.view->OnUpdate(nullptr, 9, &p.hint);
    EXPECT_EQ(p.Screen(60, 5), kDarkGreen);
    p.view->OnTimer(CKFilmViewState::nBlinkTimer);
    EXPECT_EQ(p.Screen(60, 5), inverted);
    // Shown, it jumps with the next hint.
    p.film.SetKCaretCadre(70);
    p.view->OnUpdate(nullptr, 9, &p.hint);
    EXPECT_EQ(p.Screen(60, 5), kDarkGreen);
    EXPECT_EQ(p.Screen(70, 5), inverted);
}

TEST(KPowerFilmView, ContextMenuChecksTheRangeAndSetsIt)
{
    PowerCurve p;
    ASSERT_TRUE(p.Open("power-menu.wav", std::vector<int>(16000, 0), 200, 110));
    ktest::ScriptedMenus menus(36789);
    menus.OpenContextMenu(p.view.get());
    const KShownMenu& shown = menus.shown;
    EXPECT_EQ(p.view->Range, 100.0f);
    ASSERT_EQ(shown.items.size(), 13u);
    EXPECT_EQ(shown.items[0].nID, 36779u);
    EXPECT_STREQ(shown.items[0].sText, "Воспроизвести");
    EXPECT_TRUE(shown.items[1].bSeparator);
    for (int k = 0; k < 11; ++k) {
        const KShownMenuItem& it = shown.items[size_t(2 + k)];
        CString text;
        text.Format("Диапазон - %i дБ", 10 * (k + 1));
        EXPECT_EQ(it.nID, UINT(36780 + k));
        EXPECT_STREQ(it.sText, text.GetString());
        EXPECT_EQ(it.bChecked, k == 5) << k; // 60 dB at first
    }
}

TEST(KPowerFilmView, PlayCommandPlaysTheVisibleCadres)
{
    PowerCurve p;
    ASSERT_TRUE(p.Open("power-play.wav", std::vector<int>(32000, 0), 200, 110));
    p.view->OnHScroll(SB_THUMBPOSITION, 50, nullptr);
    CRecordingMci mci;
    IMciService* before = SetMciService(&mci);
    EXPECT_TRUE(p.view->OnCmdMsg(36779));
    SetMciService(before);
    // Cadres 50 to 50 + width, 102 samples apart.
    const long w = p.Client().Width();
    EXPECT_EQ(mci.played, (std::vector<std::pair<long, long>>{{50 * 102, (50 + w) * 102}}));
}

namespace {

// The power curve above a sonogram, as the programs place them.
class CPowerOverSonogramFrame : public CFrameWnd {
public:
    BOOL OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext) override
    {
        if (!m_wndSplitter.CreateStatic(this, 2, 1, DWORD(WS_CHILD) | DWORD(WS_VISIBLE) | DWORD(WS_HSCROLL)))
            return FALSE;
        return m_wndSplitter.CreateView(0, 0, RUNTIME_CLASS(CKPowerFilmView), CSize(0, 100), pContext) &&
               m_wndSplitter.CreateView(1, 0, RUNTIME_CLASS(CKWaveFilmView), CSize(0, 128), pContext);
    }
    CSplitterWnd m_wndSplitter;
};

} // namespace

TEST(KPowerFilmView, LinesUpWithTheSonogramAndScrollsWithItInASplitter)
{
    CKWaveFilm film;
    const std::string path = wavbytes::writeFile("power-split.wav", wavbytes::pcm16(1, kFs, RisingTone(32000)));
    ASSERT_TRUE(OpenKWaveFilmOnWholeFile(film, path.c_str(), "power-split.wav", 256));
    {
        CScriptedProgressService progress;
        ASSERT_TRUE(film.PowerCreate());
    }
    CDocument doc;
    CCreateContext ctx;
    ctx.m_pCurrentDoc = &doc;
    auto frame = std::make_unique<CPowerOverSonogramFrame>();
    ASSERT_TRUE(frame->LoadFrame(9701, WS_OVERLAPPEDWINDOW, nullptr, &ctx));
    frame->GetWidget()->resize(400, 300);
    CKWaveFilmHint hint(&film);
    doc.UpdateAllViews(nullptr, 2, &hint);
    frame->InitialUpdateFrame(&doc, TRUE);
    QApplication::processEvents();
    auto* power = static_cast<CKPowerFilmView*>(frame->m_wndSplitter.GetPane(0, 0));
    auto* sonogram = static_cast<CKWaveFilmView*>(frame->m_wndSplitter.GetPane(1, 0));
    // Same left edge and width: column x is the same cadre in both.
    EXPECT_EQ(power->GetWidget()->geometry().left(), sonogram->GetWidget()->geometry().left());
    EXPECT_EQ(power->GetWidget()->geometry().width(), sonogram->GetWidget()->geometry().width());
    EXPECT_EQ(power->GetTotalSize().cx, film.GetNCadres());
    EXPECT_EQ(sonogram->GetTotalSize().cx, film.GetNCadres());

    QScrollBar* bar = frame->m_wndSplitter.GetSharedBar(power, true);
    ASSERT_NE(bar, nullptr);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_GT(power->GetScrollPosition().x, 0);
    EXPECT_EQ(power->GetScrollPosition().x, sonogram->GetScrollPosition().x);

    // A click in the curve moves the sonogram's caret too, through the document.
    power->OnLButtonDown(MK_LBUTTON | MK_CONTROL, CPoint(30, 10));
    EXPECT_EQ(film.GetKCaretCadre(), power->GetScrollPosition().x + 30);
    EXPECT_EQ(power->nCaretColumn, film.GetKCaretCadre());

    for (CView* v : doc.GetViews())
        doc.RemoveView(v);
    frame->DestroyWindow();
    frame.reset();
    film.CloseKWaveFile();
    std::remove(path.c_str());
}
