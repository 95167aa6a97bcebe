#include "framework/base/ScriptedUserInteraction.h"

int CScriptedUserInteraction::MessageBox(const CString& text, const CString& caption, UINT style)
{
    m_messages.push_back({text, caption, style});
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
    }
    if (!path.IsEmpty())
        SetFileDialogResult(request, path);
    m_fileDialogs.push_back(request);
    return !path.IsEmpty();
}
