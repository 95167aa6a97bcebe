// The analyser's window on the document of a 44100 Hz sound with a strong
// tone: the four panes whole and scrolled, their labels and placeholders,
// the frequency jump with its dialog, the status panes and printing.
#include <gtest/gtest.h>

#include <QApplication>
#include <cmath>
#include <string>

#include "framework/base/ScriptedUserInteraction.h"
#include "framework/ui/CControls.h"
#include "framework/ui/CDocTemplate.h"
#include "framework/ui/CSurface.h"
#include "framework/ui/CWinApp.h"
#include "framework/ui/KPrinting.h"
#include "testsupport/PdfPages.h"
#include "testsupport/CompanionPrograms.h"
#include "testsupport/QtTestApp.h"
#include "testsupport/ReverbObjects.h"
#include "testsupport/Signals.h"
#include "testsupport/SurfaceInk.h"
#include "vornel/DialogJumpToFreq.h"
#include "vornel/VornelAmplView.h"
#include "vornel/VornelFrame.h"
#include "vornel/VornelIds.h"
#include "vornel/VornelPhazeView.h"
#include "vornel/VornelView.h"

namespace {

constexpr unsigned kRate = 44100;
constexpr int kToneBin = 3000;

class CVornelTestApp : public CWinApp {
public:
    CVornelTestApp() : CWinApp("VornelWindowsTest") {}
};

struct VornelWindows : ::testing::Test {
    ktest::ScratchDir dir;
    CScriptedUserInteraction ui;
    CVornelTestApp app;
    CVornelDoc* doc = nullptr;
    CVornelFrame* frame = nullptr;

    void SetUp() override
    {
        ktest::EnsureQtApplication();
        // A tone on a bin of its own over a weak noise-like floor.
        std::vector<int> x = ktest::Sine(kToneBin * double(kRate) / 65536, 12000, 20000, kRate);
        for (size_t i = 0; i < x.size(); ++i)
            x[i] += int((long long)i * 7919 % 41) - 20;
        const auto obj = reverbtest::MakeReverbObject(dir, x, kRate, 100, 16100);
        auto* single = new CSingleDocTemplate(IDR_VORNEL_MAINFRAME, RUNTIME_CLASS(CVornelDoc), RUNTIME_CLASS(CVornelFrame),
                                              RUNTIME_CLASS(CVornelView));
        ASSERT_NO_FATAL_FAILURE(ktest::OpenInMainFrame(app, single, obj.vrn, doc, frame));
        frame->MoveWindow(0, 0, 1000, 800);
        frame->m_wndSplitter.SetColumnInfo(0, 480, 10);
        frame->m_wndSplitter.RecalcLayout();
        QApplication::processEvents();
    }
    void TearDown() override
    {
        KSetPrintToFile("");
        app.CloseAllDocuments(FALSE);
        QApplication::processEvents();
    }

    static const CSurface& Painted(CVornelView* v)
    {
        v->Invalidate(TRUE);
        v->UpdateWindow();
        return *v->GetSurface();
    }
    static int Count(const CSurface& s, COLORREF c, CRect r = CRect(0, 0, 100000, 100000))
    {
        int n = 0;
        for (int y = std::max<int>(r.top, 0); y < std::min<int>(r.bottom, s.Height()); ++y)
            for (int x = std::max<int>(r.left, 0); x < std::min<int>(r.right, s.Width()); ++x)
                n += s.GetPixel(x, y) == c;
        return n;
    }
    bool JumpEnabled()
    {
        frame->m_wndToolBar.OnUpdateCmdUI(frame, TRUE);
        return frame->m_wndToolBar.IsButtonEnabled(frame->m_wndToolBar.CommandToIndex(ID_VORNEL_JUMP_TO_FREQ));
    }
    // Runs the jump dialog, typing f; returns the real frequency it showed.
    CString Jump(const char* f, int button = IDOK)
    {
        CString shown;
        DialogDriver old = SetDialogDriver([&](CDialog& d) {
            d.SetDlgItemText(IDC_JUMP_FREQ, f);
            d.OnCommand(IDC_JUMP_FREQ, EN_CHANGE);
            shown = d.GetDlgItemText(IDC_JUMP_REAL_FREQ);
            d.ClickDlgButton(button);
        });
        frame->OnJumpToFreq();
        SetDialogDriver(old);
        return shown;
    }
};

} // namespace

TEST_F(VornelWindows, WholeSpectrumFitsEveryPaneWithoutScrollingOrLabels)
{
    ASSERT_TRUE(doc->bWholeSpectrumInWindow);
    EXPECT_FALSE(JumpEnabled());
    for (int col = 0; col < 2; ++col) {
        EXPECT_FALSE(frame->AmplView(col)->IsScrollBarShown(true)) << col;
        EXPECT_FALSE(frame->PhazeView(col)->IsScrollBarShown(true)) << col;
        EXPECT_FALSE(frame->PhazeView(col)->IsScrollBarShown(false)) << col;
    }
    CVornelAmplView* ampl = frame->AmplView(0);
    const CSurface& s = Painted(ampl);
    CRect rc;
    ampl->GetClientRect(&rc);
    // The tone is the strongest bin: its column is yellow from the top down.
    const int x = kToneBin * rc.Width() / CVornelDoc::nBins;
    EXPECT_EQ(s.GetPixel(x, 0), CVornelAmplView::clrSpectrum);
    EXPECT_EQ(s.GetPixel(x, 120), CVornelAmplView::clrSpectrum);
    EXPECT_EQ(Count(s, CVornelAmplView::clrMaximum), 0); // no labels
    // Far from the tone the floor lies well below: the 10 dB grid shows.
    EXPECT_EQ(s.GetPixel(rc.Width() - 3, 10), CVornelAmplView::clrGrid);
}

TEST_F(VornelWindows, ScrolledPanesMoveBy64BinsAndLabelMaximaInRed)
{
    doc->OnWholeSpectrumInWindow();
    QApplication::processEvents();
    EXPECT_TRUE(JumpEnabled());
    CVornelAmplView* ampl = frame->AmplView(0);
    EXPECT_TRUE(ampl->IsScrollBarShown(true));
    EXPECT_EQ(ampl->GetTotalSize().cx, CVornelDoc::nBins);
    EXPECT_EQ(ampl->GetTotalSize().cy, 180);
    EXPECT_FALSE(frame->PhazeView(0)->IsScrollBarShown(false)); // no vertical scrolling below
    ampl->OnHScroll(SB_LINERIGHT, 0, nullptr);
    EXPECT_EQ(ampl->GetScrollPosition().x, 64);
    ampl->ScrollToPosition(CPoint(kToneBin - 100, 0));

    EXPECT_GT(Count(Painted(ampl), CVornelAmplView::clrMaximum), 0);
    doc->OnShowNumbers();
    EXPECT_EQ(Count(Painted(ampl), CVornelAmplView::clrMaximum), 0);
    // The tone's own line, the strongest, runs from the top to the bottom of
    // the range (the pane shows it whole); its neighbours' lines begin lower.
    CRect rc;
    ampl->GetClientRect(&rc);
    const int bottom = std::min<int>(rc.bottom, CVornelAmplView::nRange_dB * CVornelAmplView::nPixelsPer_dB);
    EXPECT_EQ(ampl->GetSurface()->GetPixel(100, 0), CVornelAmplView::clrSpectrum);
    EXPECT_EQ(ampl->GetSurface()->GetPixel(100, bottom - 1), CVornelAmplView::clrSpectrum);
    EXPECT_EQ(ampl->GetSurface()->GetPixel(60, 0), CVornelAmplView::clrBackground);
}

TEST_F(VornelWindows, FrequencyLabelsNeverCoverEachOtherAndTheStrongestPeakKeepsItsLabel)
{
    doc->OnWholeSpectrumInWindow();
    CVornelAmplView* ampl = frame->AmplView(0);
    ampl->ScrollToPosition(CPoint(kToneBin - 100, 0));
    Painted(ampl);
    // The noise floor has an extremum every few bins: most must give way.
    const std::vector<CRect>& labels = ampl->DrawnLabels();
    ASSERT_GT(labels.size(), 3u);
    CRect rc;
    ampl->GetClientRect(&rc);
    EXPECT_LT(labels.size(), size_t(rc.Width() / 4));
    bool tone = false;
    for (size_t i = 0; i < labels.size(); ++i) {
        tone = tone || (labels[i].top == 0 && labels[i].left <= kToneBin && kToneBin < labels[i].right);
        for (size_t j = 0; j < i; ++j) {
            CRect both;
            EXPECT_FALSE(both.IntersectRect(&labels[i], &labels[j])) << i << " over " << j;
        }
    }
    EXPECT_TRUE(tone) << "the tone's maximum lost its label";
    // The amplitude row is tall enough for the whole range.
    int cur = 0, min = 0;
    frame->m_wndSplitter.GetRowInfo(0, cur, min);
    EXPECT_GE(cur, CVornelAmplView::nRange_dB);
}

TEST_F(VornelWindows, JumpTo1000HzShowsTheRealFrequencyAndScrollsTheActivePane)
{
    doc->OnWholeSpectrumInWindow();
    QApplication::processEvents();
    frame->SetActiveView(frame->PhazeView(1));
    ui.m_beeps.clear();
    EXPECT_EQ(Jump("1000"), "999.948120 Гц");
    ASSERT_FALSE(ui.m_beeps.empty());
    EXPECT_EQ(ui.m_beeps.back(), (std::pair<DWORD, DWORD>(1000, 100)));
    EXPECT_EQ(frame->PhazeView(1)->GetScrollPosition(), CPoint(1486, 0));
    EXPECT_EQ(frame->PhazeView(0)->GetScrollPosition().x, 0); // the others stay
    EXPECT_EQ(frame->PhazeView(1)->BottomText().Find("частота = 999.948120 Гц,  phaze min = "), 0);

    // Cancel leaves the pane; a frequency past the band stops where the pane can start.
    Jump("5000", IDCANCEL);
    EXPECT_EQ(frame->PhazeView(1)->GetScrollPosition().x, 1486);
    Jump("30000");
    CRect rc;
    frame->PhazeView(1)->GetClientRect(&rc);
    EXPECT_EQ(frame->PhazeView(1)->GetScrollPosition().x, CVornelDoc::nBins - rc.Width());

    EXPECT_EQ(JumpToFreqBin(1000, 44100, 65536, 32768, 500), 1486);
    EXPECT_EQ(JumpToFreqBin(-5, 44100, 65536, 32768, 500), 0);
    EXPECT_EQ(JumpToFreqBin(22050, 44100, 65536, 32768, 500), 32268);
    EXPECT_EQ(JumpToFreqBin(1000, 0, 65536, 32768, 500), 0);
}

TEST_F(VornelWindows, BeforeTheAnalysisBothPanesSayTheSpectrumIsNotReady)
{
    CVornelAmplView* ampl = frame->AmplView(0);
    CVornelPhazeView* phaze = frame->PhazeView(0);
    const int readyInk = Count(Painted(phaze), CVornelPhazeView::clrCurve, CRect(0, 40, 480, 300));
    EXPECT_GT(readyInk, 0);

    doc->bSpectrumReady = false;
    // The placeholder's text box (opaque white behind black) at (10, 10), and no spectrum.
    const CSurface& a = Painted(ampl);
    EXPECT_EQ(Count(a, CVornelAmplView::clrSpectrum), 0);
    EXPECT_GT(Count(a, RGB(255, 255, 255), CRect(10, 10, 200, 30)), 0);
    EXPECT_GT(Count(a, RGB(0, 0, 0), CRect(10, 10, 200, 30)), 0);
    const CSurface& p = Painted(phaze);
    EXPECT_EQ(Count(p, CVornelPhazeView::clrCurve, CRect(0, 40, 480, 300)), 0);
    EXPECT_GT(Count(p, RGB(0, 0, 0), CRect(10, 20, 200, 28)), 0);
}

TEST_F(VornelWindows, FrameHoldsFourPanesAndTheThreeStatusTexts)
{
    EXPECT_EQ(frame->m_wndSplitter.GetRowCount(), 2);
    EXPECT_EQ(frame->m_wndSplitter.GetColumnCount(), 2);
    for (int col = 0; col < 2; ++col) {
        EXPECT_NE(frame->AmplView(col), nullptr);
        EXPECT_NE(frame->PhazeView(col), nullptr);
    }
    CStatusBar& bar = frame->m_wndStatusBar;
    ASSERT_EQ(bar.GetCount(), 7);
    const char* texts[] = {"Частота", "Мощность", "Фаза"};
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(bar.GetPaneText(i), texts[i - 1]);
        UINT id, style;
        int width;
        bar.GetPaneInfo(i, id, style, width);
        EXPECT_EQ(width, bar.GetTextWidth(texts[i - 1]));
    }
    // Every button of the toolbar has its own picture.
    for (int i = 0; i < frame->m_wndToolBar.GetCount(); ++i) {
        const UINT id = frame->m_wndToolBar.GetItemID(i);
        if (id != 0 && id != ID_APP_ABOUT) {
            EXPECT_TRUE(KHasToolBarButtonImage(id)) << id;
        }
    }
}

TEST_F(VornelWindows, ADroppedDocumentTakesThePlaceOfTheOpenOne)
{
    const auto other = reverbtest::MakeReverbObject(dir, ktest::Sine(1000, 8000, 9000, kRate), kRate, 0, 8000,
                                                    "other.wav", "other.vrn");
    frame->OnDropFiles({CString(other.vrn.c_str())});
    auto* now = dynamic_cast<CVornelDoc*>(frame->GetActiveDocument());
    ASSERT_NE(now, nullptr);
    EXPECT_EQ(now->GetPathName(), other.vrn.c_str());
    EXPECT_EQ(now->GetNSamplesUsed(), 8000);
    EXPECT_TRUE(now->bSpectrumReady);
    doc = now;
}

TEST_F(VornelWindows, PrintingTheActivePaneGivesOnePageWithItsDrawing)
{
    const std::string pdf = dir / "pane.pdf";
    KSetPrintToFile(pdf.c_str());
    frame->SendMessage(WM_COMMAND, ID_FILE_PRINT_DIRECT);
    ASSERT_EQ(ktest::PdfPageCount(pdf), 1);
    const QImage page = ktest::PdfPage(pdf, 1, 48);
    int yellow = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QColor c = page.pixelColor(x, y);
            yellow += c.red() > 200 && c.green() > 200 && c.blue() < 80;
        }
    EXPECT_GT(yellow, 0);
}
