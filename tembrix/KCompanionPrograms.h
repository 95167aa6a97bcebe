// Starting the workshop's companion programs: the recorder, and for a
// sound object the program of its type with the object's document path in
// double quotes. The programs are found as a command line without a
// program path finds them: in the workshop's own folder first.
#pragma once
#include "framework/base/CString.h"

// The program of a sound object's type: Glissar.exe (1), Vocrin.exe (3),
// Vornel.exe (4); empty for the types that start nothing.
CString CompanionProgramOfType(int nType);
// The program's name, a blank and the path in double quotes, with its own
// quotes (and the backslashes before them) escaped so that it arrives as it stands.
CString CompanionCommandLine(const CString& sProgram, const CString& sDocPath);
// Starts the command line and does not wait; on failure "Не удается
// запустить приложение PROGRAM" and false.
bool StartCompanionProgram(const CString& sProgram, const CString& sCommandLine, long* pProcessId = nullptr);
// The recorder, with no argument.
bool StartRecorder();
