// Print jobs of views: the pages a view draws go to a printer, into a PDF
// file, or into the preview window. The printer context counts 96 points to
// the inch, as the screen does, so a view prints at the size it shows; each
// page is drawn into a picture first, with the screen's pixel rules, and
// the picture is laid on the paper's printable area.
#pragma once
#include "framework/base/CString.h"
#include "framework/base/UserServices.h"

class CView;
class CPrintInfo;

constexpr int kPrintPointsPerInch = 96;
// Every side of the paper keeps this margin.
constexpr double kPrintMarginMm = 10.0;

// Print jobs go into this PDF file, without the print dialog (tests, batch
// runs); an empty path gives the printer back. Until it is set, the
// environment's KAVREL_PRINT_TO_FILE names it.
void KSetPrintToFile(const CString& path);
CString KGetPrintToFile();

// The program's printer, paper and orientation; page setup changes them.
PrintDialogRequest& KPrinterSetup();
// The page setup dialog; on OK its choice becomes the program's printer.
bool KDoPrintSetup();

// Prints the pages info asks for (its printer already chosen); false when
// nothing could be printed, after telling the user why.
bool KPrintViewPages(CView* pView, CPrintInfo& info);
// Opens the preview window of the view's pages beside its frame; it closes
// with the frame or by the user.
bool KPreviewViewPages(CView* pView, CPrintInfo& info);
