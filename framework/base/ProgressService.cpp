#include "framework/base/ProgressService.h"

namespace {

class CSilentProgressService : public IProgressService {
public:
    void Open(int, int, const CString&) override {}
    void SetPos(int) override {}
    void Close() override {}
};

CSilentProgressService g_silent;
IProgressService* g_progress = &g_silent;

} // namespace

IProgressService& ProgressService()
{
    return *g_progress;
}

IProgressService* SetProgressService(IProgressService* service)
{
    IProgressService* old = g_progress;
    g_progress = service ? service : &g_silent;
    return old;
}
