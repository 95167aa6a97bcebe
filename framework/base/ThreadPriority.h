// Thread priorities with the platform's names. Only the calling thread's
// priority can be set. A priority is a niceness here: time-critical is the
// highest one a normal (not real-time) thread can have, and raising it
// needs the right to do so; without it the call fails and nothing changes.
#pragma once
#include "framework/base/Types.h"

enum : int {
    THREAD_PRIORITY_IDLE = -15,
    THREAD_PRIORITY_LOWEST = -2,
    THREAD_PRIORITY_BELOW_NORMAL = -1,
    THREAD_PRIORITY_NORMAL = 0,
    THREAD_PRIORITY_ABOVE_NORMAL = 1,
    THREAD_PRIORITY_HIGHEST = 2,
    THREAD_PRIORITY_TIME_CRITICAL = 15,
};

struct KCurrentThread {};
inline KCurrentThread GetCurrentThread() { return {}; }

BOOL SetThreadPriority(KCurrentThread, int nPriority);
// The niceness this priority stands for (-20 ... 19).
int KNicenessOfThreadPriority(int nPriority);
