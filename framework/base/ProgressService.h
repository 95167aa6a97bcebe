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
};

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
        m_nLower = lower;
        m_nUpper = upper;
        m_sStatus = status;
        m_bOpen = true;
    }
    void SetPos(int pos) override { m_positions.push_back(pos); }
    void Close() override { m_bOpen = false; ++m_nClosed; }

    int m_nOpened = 0, m_nClosed = 0, m_nLower = 0, m_nUpper = 0;
    bool m_bOpen = false;
    CString m_sStatus;
    std::vector<int> m_positions;

private:
    IProgressService* m_pPrevious;
};
