#include "kavrel/core/KDisplayFileExceptions.h"

#include "framework/base/UserServices.h"

void CKDisplayFileExceptions::ShowMessageBox(CFileException* e)
{
    static const char* const kCauses[15] = {
        "",
        "An unspecified error occurred",
        "The file could not be located",
        "All or part of the path is invalid",
        "The permitted number of open files was exceeded",
        "The file could not be accessed",
        "There was an attempt to use an invalid file handle",
        "The current working directory cannot be removed",
        "There are no more directory entries",
        "There was an error trying to set the file pointer",
        "There was a hardware error",
        "SHARE.EXE was not loaded, or a shared region was locked",
        "There was an attempt to lock a region that was already locked",
        "The disk is full",
        "The end of file was reached",
    };
    CString text;
    text.Format("Ошибка работы с файлом - %s\n\nКод ошибки = %i\n\n", e->m_strFileName.GetString(), e->m_cause);
    if (e->m_cause >= 1 && e->m_cause <= 14)
        text += kCauses[e->m_cause];
    if (e->m_cause != 0)
        AfxMessageBox(text, MB_OK);
    e->m_cause = 0;
}
