// The user guide: one Russian HTML file per program, named after it in
// lower case (tembrix.html), in the folder help/ beside the program or in
// share/kavrel/help/ of the installation. The desktop's browser shows it.
// Topics are anchors of the file: "command-N" for command N (context help
// on a menu item or button), "window-N" for the dialog or frame of
// resource N.
#pragma once
#include <functional>

#include "framework/base/CString.h"
#include "framework/base/Types.h"

// What WinHelp is asked for, with the platform's values.
enum : UINT { HELP_CONTEXT = 0x0001, HELP_QUIT = 0x0002, HELP_INDEX = 0x0003, HELP_CONTENTS = 0x0003,
              HELP_FINDER = 0x000B };
// Topic numbers of commands and of resources (dialogs, frames).
enum : DWORD { HID_BASE_COMMAND = 0x00010000, HID_BASE_RESOURCE = 0x00020000 };

// Opens a file:// address, true when it was opened. The desktop's by
// default; tests put their own in to see what would be opened.
using KHelpOpener = std::function<bool(const CString& url)>;
// Returns the previous opener; an empty one gives the desktop's back.
KHelpOpener KSetHelpOpener(KHelpOpener opener);

// The guide of a program of that name: the first of its places that holds
// the file, or the first place when none does.
CString KHelpFilePathFor(const CString& appName);

// Opens the guide at a topic (0: its beginning); a missing guide or one the
// desktop cannot open is said so in a message box. False when not opened.
bool KShowHelp(const CString& helpFilePath, DWORD dwData, UINT nCmd);

// Context help (Shift+F1): the next command chosen, or the next window
// clicked, shows its topic instead of running; Esc leaves the mode.
void KEnterContextHelpMode();
bool KInContextHelpMode();
void KLeaveContextHelpMode();
