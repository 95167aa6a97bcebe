// The printer settings of a print request on a Qt printer, both ways.
// Private to the window layer.
#pragma once
#include "framework/base/UserServices.h"

class QPrinter;

void KApplyPrinterSettings(QPrinter& printer, const PrintDialogRequest& settings);
void KReadPrinterSettings(const QPrinter& printer, PrintDialogRequest& settings);
