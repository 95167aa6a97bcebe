#include "tembrix/KCompanionPrograms.h"

#include "framework/base/ProcessLauncher.h"
#include "framework/base/UserServices.h"

CString CompanionProgramOfType(int nType)
{
    switch (nType) {
    case 1: return "Glissar.exe";
    case 3: return "Vocrin.exe";
    case 4: return "Vornel.exe";
    default: return CString();
    }
}

CString CompanionCommandLine(const CString& sProgram, const CString& sDocPath)
{
    return sProgram + " " + CString(KQuoteCommandLineArgument(sDocPath.GetString()).c_str());
}

bool StartCompanionProgram(const CString& sProgram, const CString& sCommandLine, long* pProcessId)
{
    if (KCreateProcess(sCommandLine, pProcessId))
        return true;
    AfxMessageBox("Не удается запустить приложение " + sProgram);
    return false;
}

bool StartRecorder()
{
    return StartCompanionProgram("Capteon.exe", "Capteon.exe");
}
