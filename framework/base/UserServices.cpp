#include "framework/base/UserServices.h"
#include "framework/base/ServiceSlot.h"

#include <cstdio>

namespace {
constinit KServiceSlot<IUserInteraction, CConsoleUserInteraction> g_service;
} // namespace

IUserInteraction& UserInteraction()
{
    return g_service.Get();
}

IUserInteraction* SetUserInteraction(IUserInteraction* service)
{
    return g_service.Set(service);
}

int FirstButtonOf(UINT style)
{
    switch (style & MB_TYPEMASK) {
    case MB_ABORTRETRYIGNORE:
        return IDABORT;
    case MB_YESNO:
    case MB_YESNOCANCEL:
        return IDYES;
    case MB_RETRYCANCEL:
        return IDRETRY;
    default:
        return IDOK;
    }
}

namespace {
CString g_programName;
}

void KSetProgramName(const CString& name)
{
    g_programName = name;
}

const CString& KProgramName()
{
    return g_programName;
}

int AfxMessageBox(const CString& text, UINT style)
{
    return UserInteraction().MessageBox(text, g_programName, style);
}

void SetFileDialogResult(FileDialogRequest& request, const CString& path)
{
    request.sPathName = path;
    int slash = path.ReverseFind('/');
    request.sFileName_ = path.Mid(slash + 1);
    int dot = request.sFileName_.ReverseFind('.');
    request.sFileTitle = dot > 0 ? request.sFileName_.Left(dot) : request.sFileName_;
}

int CConsoleUserInteraction::MessageBox(const CString& text, const CString& caption, UINT style)
{
    if (!caption.IsEmpty())
        std::fprintf(stderr, "%s: ", caption.GetString());
    std::fprintf(stderr, "%s\n", text.GetString());
    // Nobody is there to answer: every question is declined, so that a
    // batch run neither loops on a retry nor overwrites anything.
    switch (style & MB_TYPEMASK) {
    case MB_OK:
        return IDOK;
    case MB_YESNO:
        return IDNO;
    case MB_ABORTRETRYIGNORE:
        return IDABORT;
    default:
        return IDCANCEL;
    }
}

bool CConsoleUserInteraction::FileDialog(FileDialogRequest&)
{
    return false;
}
