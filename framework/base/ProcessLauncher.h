// Starting a companion program from a Windows-style command line
// ("Glissar.exe \"path\""), as the platform's process creation does when
// it is given no application name: the program is looked for in the
// starting program's own folder, then on PATH; the child is not waited for.
#pragma once
#include <string>
#include <vector>

#include "framework/base/CString.h"

// The words of a command line by the platform's rules: blanks and tabs
// separate, double quotes group (a doubled quote inside a group is one
// quote), 2n backslashes before a quote give n and the quote groups,
// 2n+1 give n and a literal quote, other backslashes are plain. The first
// word, the program, is taken literally up to the closing quote or blank.
std::vector<std::string> KParseCommandLine(const std::string& commandLine);

// One argument in double quotes so that the rules above give it back as it
// stands: quotes inside are escaped, and backslashes before a quote or the
// closing quote doubled.
std::string KQuoteCommandLineArgument(const std::string& argument);

// The folders a program name is looked for in: this program's own folder
// (that of /proc/self/exe), then the entries of PATH.
std::vector<std::string> KProgramSearchFolders();
// These folders instead, until an empty list gives the usual ones back: a
// test puts stand-ins for the companion programs before the real ones.
void KSetProgramSearchFolders(const std::vector<std::string>& folders);

// The first executable file among, in each folder in turn, the name as
// given, the name without ".exe", and that in lower case. A name with a
// slash is a path and is tried as it stands (and without ".exe"...).
// Empty when nothing fits.
std::string KFindProgram(const std::string& name, const std::vector<std::string>& folders);
std::string KFindProgram(const std::string& name);

// Starts the program of the command line with its arguments and returns
// at once; false when the program is not found or cannot be started
// (nothing is started then). pProcessId receives the child's process id.
bool KCreateProcess(const CString& commandLine, long* pProcessId = nullptr);
