// Pictures of windows in a given state, for looking at a program without a
// display: with KAVREL_SCREENSHOT_DIR set, a program may draw any of its
// windows into a PNG there, beside the pictures its dialogs draw when they
// open.
#pragma once
#include "framework/base/CString.h"

class CWnd;

// The folder, or empty when no pictures were asked for.
CString KScreenshotDir();
// Lets the posted messages (the sound devices' among them) reach their windows.
void KPumpMessages();
// Shows the window and draws it into <folder>/<program>-<name>.png.
bool KSaveWindowScreenshot(CWnd* pWnd, const char* name);
