// The user-interaction service for tests: answers come from queues, and
// everything shown is logged.
#pragma once
#include <deque>
#include <vector>

#include "framework/base/UserServices.h"

class CScriptedUserInteraction : public IUserInteraction {
public:
    struct Shown {
        CString sText;
        CString sCaption;
        UINT nStyle;
    };

    CScriptedUserInteraction() { m_pPrevious = SetUserInteraction(this); }
    ~CScriptedUserInteraction() override { SetUserInteraction(m_pPrevious); }
    CScriptedUserInteraction(const CScriptedUserInteraction&) = delete;
    CScriptedUserInteraction& operator=(const CScriptedUserInteraction&) = delete;

    // The next message box returns this; with none queued, its first button.
    void QueueAnswer(int id) { m_answers.push_back(id); }
    // The next file dialog chooses this path; an empty path cancels it.
    void QueueFile(const CString& path) { m_files.push_back(path); }

    // The next print or page setup dialog ends with OK and these settings;
    // with none queued it is cancelled.
    void QueuePrintDialog(const PrintDialogRequest& answer) { m_prints.push_back(answer); }

    int MessageBox(const CString& text, const CString& caption, UINT style) override;
    bool PrintDialog(PrintDialogRequest& request) override;
    bool FileDialog(FileDialogRequest& request) override;
    void BeginWaitCursor() override { ++m_nWaitCursorDepth; ++m_nWaitCursorShown; }
    void EndWaitCursor() override { if (m_nWaitCursorDepth > 0) --m_nWaitCursorDepth; }
    void Beep(DWORD frequency, DWORD duration) override { m_beeps.push_back({frequency, duration}); }
    void MessageBeep(UINT type) override { m_messageBeeps.push_back(type); }

    std::vector<Shown> m_messages;
    std::vector<FileDialogRequest> m_fileDialogs;
    std::vector<PrintDialogRequest> m_printDialogs; // as they were shown
    std::vector<std::pair<DWORD, DWORD>> m_beeps;
    std::vector<UINT> m_messageBeeps;
    int m_nWaitCursorDepth = 0;
    int m_nWaitCursorShown = 0;

private:
    static constexpr int kMaxUnanswered = 1000;
    IUserInteraction* m_pPrevious;
    int m_nUnanswered = 0;
    std::deque<int> m_answers;
    std::deque<CString> m_files;
    std::deque<PrintDialogRequest> m_prints;
};
