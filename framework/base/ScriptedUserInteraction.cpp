#include "framework/base/ScriptedUserInteraction.h"

#include <cstdio>
#include <cstdlib>

int CScriptedUserInteraction::MessageBox(const CString& text, const CString& caption, UINT style)
{
    m_messages.push_back({text, caption, style});
    // A loop that keeps asking a script with no answers left is a fault
    // under test; stop it rather than hang.
    if (m_answers.empty() && ++m_nUnanswered > kMaxUnanswered) {
        std::fprintf(stderr, "CScriptedUserInteraction: too many unanswered message boxes; last: %s\n", text.GetString());
        std::abort();
    }
    if (!m_answers.empty()) {
        int a = m_answers.front();
        m_answers.pop_front();
        return a;
    }
    return FirstButtonOf(style);
}

bool CScriptedUserInteraction::FileDialog(FileDialogRequest& request)
{
    CString path;
    if (!m_files.empty()) {
        path = m_files.front();
        m_files.pop_front();
    } else if (++m_nUnanswered > kMaxUnanswered) {
        std::fprintf(stderr, "CScriptedUserInteraction: too many unanswered file dialogs\n");
        std::abort();
    }
    if (!path.IsEmpty())
        SetFileDialogResult(request, path);
    m_fileDialogs.push_back(request);
    return !path.IsEmpty();
}

bool CScriptedUserInteraction::PrintDialog(PrintDialogRequest& request)
{
    m_printDialogs.push_back(request);
    if (m_prints.empty())
        return false;
    const bool bSetup = request.bSetup;
    request = m_prints.front();
    request.bSetup = bSetup;
    m_prints.pop_front();
    return true;
}
