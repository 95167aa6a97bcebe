#include "framework/base/ProgressService.h"
#include "framework/base/ServiceSlot.h"

namespace {

class CSilentProgressService : public IProgressService {
public:
    void Open(int, int, const CString&) override {}
    void SetPos(int) override {}
    void Close() override {}
};

constinit KServiceSlot<IProgressService, CSilentProgressService> g_progress;

} // namespace

IProgressService& ProgressService()
{
    return g_progress.Get();
}

IProgressService* SetProgressService(IProgressService* service)
{
    return g_progress.Set(service);
}

void KThrowIfProgressCancelled()
{
    if (ProgressService().Cancelled())
        throw KProgressCancelled{};
}
