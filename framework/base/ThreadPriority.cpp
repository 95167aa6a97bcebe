#include "framework/base/ThreadPriority.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

int KNicenessOfThreadPriority(int nPriority)
{
    switch (nPriority) {
    case THREAD_PRIORITY_TIME_CRITICAL: return -20;
    case THREAD_PRIORITY_HIGHEST: return -10;
    case THREAD_PRIORITY_ABOVE_NORMAL: return -5;
    case THREAD_PRIORITY_NORMAL: return 0;
    case THREAD_PRIORITY_BELOW_NORMAL: return 5;
    case THREAD_PRIORITY_LOWEST: return 10;
    case THREAD_PRIORITY_IDLE: return 19;
    default: return nPriority > 0 ? -5 : 5; // the platform has no others
    }
}

BOOL SetThreadPriority(KCurrentThread, int nPriority)
{
    // On Linux the niceness belongs to each thread, named by its id.
    const id_t tid = id_t(::syscall(SYS_gettid));
    return ::setpriority(PRIO_PROCESS, tid, KNicenessOfThreadPriority(nPriority)) == 0 ? TRUE : FALSE;
}
