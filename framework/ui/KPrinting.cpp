#include "framework/ui/KPrinting.h"

#include <QImage>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <algorithm>
#include <cstdlib>
#include <memory>

#include "framework/ui/CDocument.h"
#include "framework/ui/CFrameWnd.h"
#include "framework/ui/CPrintInfo.h"
#include "framework/ui/CSurface.h"
#include "framework/ui/CView.h"
#include "framework/ui/KPrinterQt.h"

namespace {

bool g_bPrintToFileSet = false;
CString g_sPrintToFile;

QString q(const CString& s)
{
    return QString::fromUtf8(s.GetString());
}

// The printer's context: a page picture at the screen's resolution.
class KPrinterDC : public CDC {
public:
    KPrinterDC(int cx, int cy) : m_page(cx, cy)
    {
        m_bPrinting = true;
        SetTargetSurface(&m_page);
    }
    ~KPrinterDC() override { SetTargetSurface(nullptr); }
    void StartPage() { m_page.Fill(RGB(255, 255, 255)); }
    const QImage& Picture() const { return *static_cast<const QImage*>(m_page.NativeImage()); }

private:
    CSurface m_page;
};

// Runs the view's printing steps for the pages asked for, one picture per
// page laid on the printable area. Returns the number of pages printed.
int PrintPages(CView* pView, CPrintInfo& info, QPrinter& printer, QPainter& painter)
{
    const QRect points = printer.pageLayout().paintRectPixels(kPrintPointsPerInch);
    const QRect device(QPoint(0, 0), printer.pageLayout().paintRectPixels(printer.resolution()).size());
    KPrinterDC dc(std::max(1, points.width()), std::max(1, points.height()));
    info.m_rectDraw.SetRect(0, 0, points.width(), points.height());
    pView->OnBeginPrinting(&dc, &info);
    int nPrinted = 0;
    for (info.m_nCurPage = info.GetFromPage(); info.m_nCurPage <= info.GetToPage(); ++info.m_nCurPage) {
        info.m_rectDraw.SetRect(0, 0, points.width(), points.height());
        pView->OnPrepareDC(&dc, &info);
        if (!info.m_bContinuePrinting) break;
        if (nPrinted > 0 && !printer.newPage()) break;
        dc.StartPage();
        pView->OnPrint(&dc, &info);
        painter.drawImage(device, dc.Picture());
        ++nPrinted;
    }
    pView->OnEndPrinting(&dc, &info);
    return nPrinted;
}

} // namespace

void KApplyPrinterSettings(QPrinter& printer, const PrintDialogRequest& s)
{
    if (!s.sOutputFile.IsEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(q(s.sOutputFile));
    } else {
        printer.setOutputFormat(QPrinter::NativeFormat);
        if (!s.sPrinterName.IsEmpty()) printer.setPrinterName(q(s.sPrinterName));
    }
    const QPageSize paper(QSizeF(s.dPaperWidthMm, s.dPaperHeightMm), QPageSize::Millimeter);
    printer.setPageLayout(QPageLayout(paper, s.bLandscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                      QMarginsF(kPrintMarginMm, kPrintMarginMm, kPrintMarginMm, kPrintMarginMm),
                                      QPageLayout::Millimeter));
}

void KReadPrinterSettings(const QPrinter& printer, PrintDialogRequest& s)
{
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        s.sOutputFile = CString(printer.outputFileName().toUtf8().toStdString());
    } else {
        s.sOutputFile = CString();
        s.sPrinterName = CString(printer.printerName().toUtf8().toStdString());
    }
    const QPageLayout layout = printer.pageLayout();
    const QSizeF mm = layout.pageSize().size(QPageSize::Millimeter);
    s.dPaperWidthMm = mm.width();
    s.dPaperHeightMm = mm.height();
    s.bLandscape = layout.orientation() == QPageLayout::Landscape;
}

void KSetPrintToFile(const CString& path)
{
    g_bPrintToFileSet = true;
    g_sPrintToFile = path;
}

CString KGetPrintToFile()
{
    if (g_bPrintToFileSet) return g_sPrintToFile;
    const char* env = std::getenv("KAVREL_PRINT_TO_FILE");
    return CString(env ? env : "");
}

PrintDialogRequest& KPrinterSetup()
{
    static PrintDialogRequest setup;
    return setup;
}

bool KDoPrintSetup()
{
    PrintDialogRequest r = KPrinterSetup();
    r.bSetup = true;
    if (!UserInteraction().PrintDialog(r)) return false;
    r.bSetup = false;
    KPrinterSetup() = r;
    return true;
}

bool KPrintViewPages(CView* pView, CPrintInfo& info)
{
    PrintDialogRequest settings = info.m_printer;
    const CString toFile = KGetPrintToFile();
    if (!toFile.IsEmpty()) settings.sOutputFile = toFile;
    if (settings.sOutputFile.IsEmpty() && settings.sPrinterName.IsEmpty() && QPrinterInfo::defaultPrinterName().isEmpty() &&
        QPrinterInfo::availablePrinterNames().isEmpty()) {
        AfxMessageBox("Не найден ни один принтер: печать невозможна.", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    QPrinter printer(QPrinter::HighResolution);
    KApplyPrinterSettings(printer, settings);
    CString title = pView->GetDocument() ? pView->GetDocument()->GetTitle() : CString();
    printer.setDocName(q(title));
    QPainter painter;
    if (!painter.begin(&printer)) {
        CString text = "Не удалось начать печать.";
        if (!settings.sOutputFile.IsEmpty()) text.Format("Не удалось начать печать в файл %s.", settings.sOutputFile.GetString());
        AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    const int nPrinted = PrintPages(pView, info, printer, painter);
    if (!painter.end() || printer.printerState() == QPrinter::Error) {
        AfxMessageBox("Печать не удалась.", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return nPrinted > 0;
}

bool KPreviewViewPages(CView* pView, CPrintInfo& info)
{
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    PrintDialogRequest settings = info.m_printer;
    settings.sOutputFile = CString(); // the preview draws on the screen
    KApplyPrinterSettings(*printer, settings);
    CFrameWnd* frame = pView->GetParentFrame();
    QWidget* owner = frame ? frame->GetTopLevelFrame()->GetWidget() : nullptr;
    auto* dlg = new QPrintPreviewDialog(printer.get(), owner);
    dlg->setObjectName("kavrelPrintPreview");
    dlg->setAttribute(Qt::WA_DeleteOnClose);
    dlg->setWindowTitle(QString::fromUtf8("Предварительный просмотр"));
    // The pages are drawn again whenever the preview asks, while the view lives.
    auto job = std::make_shared<CPrintInfo>(info);
    std::weak_ptr<CWnd*> view = pView->GetWeakRef();
    QObject::connect(dlg, &QPrintPreviewDialog::paintRequested, dlg, [view, job, printer](QPrinter* p) {
        auto alive = view.lock();
        auto* v = alive && *alive ? dynamic_cast<CView*>(*alive) : nullptr;
        if (!v) return;
        CPrintInfo pages = *job;
        QPainter painter(p);
        PrintPages(v, pages, *p, painter);
    });
    dlg->open();
    return true;
}
