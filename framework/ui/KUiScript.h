// A script that drives a real program as a user would, for tests that run
// the installed binary: KAVREL_UI_SCRIPT names a text file of lines
//   file PATH        the next file dialog chooses PATH ("file" alone cancels it)
//   answer N         the next message box returns N (IDYES = 6, IDNO = 7, ...)
//   set ID TEXT      types TEXT into edit ID of the dialog being driven, in
//                    place of what it holds: the dialog hears the change
//                    (EN_CHANGE) as from a user; a disabled, hidden or
//                    read-only edit takes nothing
//   leave ID         the focus leaves control ID
//   press ID         clicks button ID (IDOK = 1, IDCANCEL = 2)
//   grab PATH        saves a picture of the dialog being driven
//   close            ends the dialog being driven (with Cancel unless it ended)
//   command ID       outside a dialog: the main window runs command ID (a
//                    menu item's), once the program waits for the user; a
//                    command its update handler disables does not run
// Every modal dialog reads the lines that follow until its own "close" or
// until it ends; lines beginning with # are comments. The answers and files
// the script begins with are queued as it is installed, for the message
// boxes of a document opened from the command line. A message box with no
// answer queued gets its first button, and what was shown is printed.
#pragma once

// Installs the script when KAVREL_UI_SCRIPT is set; false when the file cannot be read.
bool KInstallUiScriptFromEnvironment();
// Runs the script's "command" lines (and the answers and files queued
// before them) one at a time as the program waits for the user.
void KRunUiScriptCommands();
// Removes it again at the end of the program.
void KRemoveUiScript();
