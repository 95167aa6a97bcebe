// Mouse cursors: the standard ones, the program's own pictures registered
// as resources under numeric IDs, and the cursor of the window under the
// mouse, which that window's OnSetCursor chooses as the mouse moves.
#pragma once
#include <vector>

#include "framework/base/Types.h"

class QCursor;
struct KCursor;
// Loaded cursors belong to the program for its whole run: nobody frees one.
typedef const KCursor* HCURSOR;

// The standard cursors, by the platform's IDs.
enum : UINT {
    IDC_ARROW = 32512, IDC_IBEAM = 32513, IDC_WAIT = 32514, IDC_CROSS = 32515, IDC_UPARROW = 32516,
    IDC_SIZENWSE = 32642, IDC_SIZENESW = 32643, IDC_SIZEWE = 32644, IDC_SIZENS = 32645, IDC_SIZEALL = 32646,
    IDC_NO = 32648, IDC_HAND = 32649, IDC_APPSTARTING = 32650, IDC_HELP = 32651
};

// Where the mouse is, as OnSetCursor is told.
enum : UINT { HTNOWHERE = 0, HTCLIENT = 1 };

// Registers cursor resource nID: its picture as rows of text, one character
// a pixel ('#' black, '.' white, anything else transparent; a short row
// ends in transparent pixels), and its hotspot, the pixel that points.
struct KCursorResource {
    KCursorResource(UINT nID, std::vector<const char*> rows, int xHotSpot, int yHotSpot);
};

// Cursor resource nID; null when none is registered under it.
HCURSOR LoadCursorResource(UINT nIDResource);
// A standard cursor (IDC_…); null for an ID that names none.
HCURSOR LoadStandardCursor(UINT nIDCursor);

// Gives the window under the mouse this cursor (null: none shown) and
// returns the one set before.
HCURSOR SetCursor(HCURSOR hCursor);
HCURSOR GetCursor();

// The Qt cursor of a loaded cursor; the window layer's own business.
const QCursor* KQtCursor(HCURSOR hCursor);
