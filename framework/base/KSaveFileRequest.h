// The save dialog's request as most commands ask it: the extension, the
// name offered, the flags, and the filter and title when there are any.
#pragma once
#include "framework/base/UserServices.h"

inline FileDialogRequest KSaveFileRequest(const char* pszDefaultExt, const CString& sFileName, DWORD nFlags,
                                          const char* pszFilter = "", const char* pszTitle = "")
{
    FileDialogRequest request;
    request.bOpen = false;
    request.sDefaultExt = pszDefaultExt;
    request.sFileName = sFileName;
    request.nFlags = nFlags;
    request.sFilter = pszFilter;
    request.sTitle = pszTitle;
    return request;
}
