// Printing a view: the pages go into a PDF file, one per page the view
// asks for, with the view's drawing where it drew; the print dialog chooses
// pages, printer and output; page setup turns the paper; preview opens and
// closes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sys/wait.h>

#include "FrameTestSupport.h"
#include "framework/base/ScriptedUserInteraction.h"
#include "framework/ui/CPrintInfo.h"
#include "framework/ui/CWinApp.h"
#include "framework/ui/KPrinting.h"
#include "framework/ui/QtUserInteraction.h"
#include "testsupport/ByteFiles.h"
#include "testsupport/PdfPages.h"
#include "testsupport/QtTestApp.h"
#include "testsupport/TempFiles.h"

using namespace frame_test;

namespace {

// A view of nPages pages: page p holds a blue block 100 points wide and
// 30 high at (100, 50·p) of the document, which scrolls.
class CPagesView : public CScrollView {
    DECLARE_DYNCREATE(CPagesView)
public:
    CPagesView()
    {
        MapCommand(ID_FILE_PRINT, &CView::OnFilePrint);
        MapCommand(ID_FILE_PRINT_DIRECT, &CView::OnFilePrintDirect);
        MapCommand(ID_FILE_PRINT_PREVIEW, &CView::OnFilePrintPreview);
    }
    void OnInitialUpdate() override { SetScrollSizes(0, CSize(3000, 3000)); }
    BOOL OnPreparePrinting(CPrintInfo* pInfo) override
    {
        if (nPages) pInfo->SetMaxPage(UINT(nPages));
        return DoPreparePrinting(pInfo);
    }
    void OnPrint(CDC* pDC, CPrintInfo* pInfo) override
    {
        nPage = int(pInfo->m_nCurPage);
        CView::OnPrint(pDC, pInfo);
    }
    void OnDraw(CDC* pDC) override { pDC->FillSolidRect(100, 50 * nPage, 100, 30, RGB(0, 0, 255)); }
    int nPage = 1;
    static int nPages;
};
IMPLEMENT_DYNCREATE(CPagesView, CScrollView)
int CPagesView::nPages = 3;

// Points of the printer context (96 to the inch) on a page rendered at 96
// dots to the inch: shifted by the 10 mm margin.
constexpr double kMarginDots = 10.0 / 25.4 * 96.0;

void ExpectBlockOnPage(const std::string& pdf, int page, int nBlockPage)
{
    const QImage img = ktest::PdfPage(pdf, page, 96);
    ASSERT_FALSE(img.isNull());
    const CRect ink = ktest::PdfInk(img);
    EXPECT_NEAR(ink.left, kMarginDots + 100, 1.5) << "page " << page;
    EXPECT_NEAR(ink.right, kMarginDots + 200, 1.5) << "page " << page;
    EXPECT_NEAR(ink.top, kMarginDots + 50 * nBlockPage, 1.5) << "page " << page;
    EXPECT_NEAR(ink.bottom, kMarginDots + 50 * nBlockPage + 30, 1.5) << "page " << page;
}

// The paper of the first page in points (1/72 inch), as pdfinfo reads it.
std::pair<double, double> PaperPoints(const std::string& pdf)
{
    double w = 0, h = 0;
    std::sscanf(ktest::PdfInfoField(pdf, "Page size").c_str(), "%lf x %lf", &w, &h);
    return {w, h};
}
constexpr double kA4ShortPt = 210 / 25.4 * 72, kA4LongPt = 297 / 25.4 * 72;

class PrintingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ktest::EnsureQtApplication();
        CPagesView::nPages = 3;
        KPrinterSetup() = PrintDialogRequest();
        ASSERT_TRUE(ShowFrameOver(frame, doc, 600, 400, RUNTIME_CLASS(CPagesView)));
        view = dynamic_cast<CPagesView*>(frame.GetActiveView());
        ASSERT_NE(view, nullptr);
    }
    void TearDown() override
    {
        KSetPrintToFile("");
        KPrinterSetup() = PrintDialogRequest();
        Pump();
    }
    void Command(UINT id) { frame.SendMessage(WM_COMMAND, id); }

    CWinApp app{"PrintingTest"};
    CScriptedUserInteraction ui;
    ktest::ScratchDir dir;
    CNumberDoc doc;
    CFrameWnd frame;
    CPagesView* view = nullptr;
};

} // namespace

TEST_F(PrintingTest, PrintIntoAFileGivesEveryPageWithTheViewsDrawingWhereItDrew)
{
    const std::string pdf = dir / "pages.pdf";
    KSetPrintToFile(pdf.c_str());
    // Scrolled away: the printed page still starts at the document's origin.
    view->ScrollToPosition(CPoint(500, 200));
    Command(ID_FILE_PRINT);
    EXPECT_TRUE(ui.m_printDialogs.empty()); // a named file needs no dialog
    EXPECT_TRUE(ui.m_messages.empty());
    ASSERT_EQ(ktest::PdfPageCount(pdf), 3);
    EXPECT_NEAR(PaperPoints(pdf).first, kA4ShortPt, 1); // A4 upright
    EXPECT_NEAR(PaperPoints(pdf).second, kA4LongPt, 1);
    for (int p = 1; p <= 3; ++p) ExpectBlockOnPage(pdf, p, p);

    // A view that does not count its pages prints its first one only.
    CPagesView::nPages = 0;
    const std::string one = dir / "one.pdf";
    KSetPrintToFile(one.c_str());
    Command(ID_FILE_PRINT_DIRECT);
    EXPECT_EQ(ktest::PdfPageCount(one), 1);
}

TEST_F(PrintingTest, ThePrintDialogChoosesPagesAndOutputAndCancelPrintsNothing)
{
    Command(ID_FILE_PRINT);
    ASSERT_EQ(ui.m_printDialogs.size(), 1u);
    EXPECT_FALSE(ui.m_printDialogs[0].bSetup);
    EXPECT_EQ(ui.m_printDialogs[0].nMinPage, 1u);
    EXPECT_EQ(ui.m_printDialogs[0].nMaxPage, 3u);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));

    PrintDialogRequest answer;
    answer.sOutputFile = (dir / "two.pdf").c_str();
    answer.nFromPage = 2;
    answer.nToPage = 7; // beyond the document: its last page
    ui.QueuePrintDialog(answer);
    Command(ID_FILE_PRINT);
    ASSERT_EQ(ktest::PdfPageCount(dir / "two.pdf"), 2);
    ExpectBlockOnPage(dir / "two.pdf", 1, 2);
    ExpectBlockOnPage(dir / "two.pdf", 2, 3);

    // A file that cannot be written is said so, not printed as if it were.
    answer.sOutputFile = (dir / "no such folder/x.pdf").c_str();
    ui.QueuePrintDialog(answer);
    Command(ID_FILE_PRINT);
    ASSERT_EQ(ui.m_messages.size(), 1u);
    EXPECT_NE(ui.m_messages[0].sText.Find("Не удалось начать печать в файл"), -1);
}

TEST_F(PrintingTest, PageSetupTurnsThePaperOfTheFollowingJobs)
{
    PrintDialogRequest landscape;
    landscape.bLandscape = true;
    ui.QueuePrintDialog(landscape);
    app.OnFilePrintSetup();
    ASSERT_EQ(ui.m_printDialogs.size(), 1u);
    EXPECT_TRUE(ui.m_printDialogs[0].bSetup);
    const std::string pdf = dir / "wide.pdf";
    KSetPrintToFile(pdf.c_str());
    Command(ID_FILE_PRINT_DIRECT);
    EXPECT_NEAR(PaperPoints(pdf).first, kA4LongPt, 1);
    EXPECT_NEAR(PaperPoints(pdf).second, kA4ShortPt, 1);

    // A cancelled setup changes nothing.
    app.OnFilePrintSetup();
    EXPECT_TRUE(KPrinterSetup().bLandscape);
}

TEST_F(PrintingTest, PreviewShowsThePagesAndCloses)
{
    Command(ID_FILE_PRINT_PREVIEW);
    Pump();
    EXPECT_TRUE(ui.m_printDialogs.empty());
    auto* preview = frame.GetWidget()->findChild<QPrintPreviewDialog*>("kavrelPrintPreview");
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(preview->isVisible());
    auto* pages = preview->findChild<QPrintPreviewWidget*>();
    ASSERT_NE(pages, nullptr);
    EXPECT_EQ(pages->pageCount(), 3);
    preview->close();
    Pump();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(frame.GetWidget()->findChild<QPrintPreviewDialog*>("kavrelPrintPreview"), nullptr);
}

// The -p switch of a program started as a process prints its file through
// the view and ends.
TEST(PrintSwitch, AProgramStartedToPrintAFileWritesItsPageAndEnds)
{
    ktest::ScratchDir dir;
    const std::string doc = dir / "a.num", pdf = dir / "a.pdf";
    kavrel_test::WriteAll(doc, {7, 0, 0, 0});
    const std::string cmd = "env QT_QPA_PLATFORM=offscreen KAVREL_AUDIO=virtual KAVREL_PRINT_TO_FILE='" + pdf + "' '" KAVREL_BINARY_DIR
                            "/bin/framework_ui_number_program' -p '" + doc + "' > /dev/null 2>&1";
    const int status = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(ktest::PdfPageCount(pdf), 1);
    EXPECT_FALSE(ktest::PdfInk(ktest::PdfPage(pdf, 1, 48)).IsRectEmpty());
}

// The print, preview and page setup dialogs are Qt's: their texts come in
// Russian from Qt's translations.
TEST(QtTexts, QtsOwnDialogTextsAreRussian)
{
    ktest::EnsureQtApplication();
    ASSERT_TRUE(KInstallQtRussianTexts());
    EXPECT_EQ(QCoreApplication::translate("QPrintPreviewDialog", "Page setup").toStdString(), "Параметры страницы");
}
