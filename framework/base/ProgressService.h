// Progress of a long computation, as a service: the core reports, the
// program shows (the progress dialog), tests record.
#pragma once
#include <vector>

#include "framework/base/CString.h"

class IProgressService {
public:
    virtual ~IProgressService() = default;
    // Opens the indicator over the main window with a range and a status line.
    virtual void Open(int lower, int upper, const CString& status) = 0;
    virtual void SetPos(int pos) = 0;
    virtual void Close() = 0;
    // Whether the user asked to stop what the indicator shows ("Прервать"
    // or Esc); false again at the next Open. A computation looks after each
    // step it reports.
    virtual bool Cancelled() const { return false; }
};

// Thrown by a long computation's progress report once the user stopped it;
// the command that started the computation catches it, after the outputs
// and drafts have been removed on the way.
struct KProgressCancelled {};
// Throws KProgressCancelled when the installed indicator was stopped.
void KThrowIfProgressCancelled();

// The installed service; one that shows nothing until a program installs another.
IProgressService& ProgressService();
IProgressService* SetProgressService(IProgressService* service);

// For tests: records every call.
class CScriptedProgressService : public IProgressService {
public:
    CScriptedProgressService() { m_pPrevious = SetProgressService(this); }
    ~CScriptedProgressService() override { SetProgressService(m_pPrevious); }
    CScriptedProgressService(const CScriptedProgressService&) = delete;
    CScriptedProgressService& operator=(const CScriptedProgressService&) = delete;

    void Open(int lower, int upper, const CString& status) override
    {
        ++m_nOpened;
        m_nFirstOfOpen = m_positions.size();
        m_nLower = lower;
        m_nUpper = upper;
        m_sStatus = status;
        m_bOpen = true;
    }
    void SetPos(int pos) override { m_positions.push_back(pos); }
    void Close() override { m_bOpen = false; ++m_nClosed; }
    // "Прервать" pressed once m_nCancelAfter positions were reported in an
    // indicator (negative: never).
    bool Cancelled() const override
    {
        return m_nCancelAfter >= 0 && m_positions.size() - m_nFirstOfOpen >= size_t(m_nCancelAfter);
    }

    int m_nOpened = 0, m_nClosed = 0, m_nLower = 0, m_nUpper = 0;
    int m_nCancelAfter = -1;
    bool m_bOpen = false;
    CString m_sStatus;
    std::vector<int> m_positions;

private:
    IProgressService* m_pPrevious;
    size_t m_nFirstOfOpen = 0;
};
