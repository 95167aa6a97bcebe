#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

#include "framework/base/ThreadPriority.h"

namespace {
int OwnNiceness()
{
    return ::getpriority(PRIO_PROCESS, id_t(::syscall(SYS_gettid)));
}
} // namespace

// Each case runs on a thread of its own: the niceness stays with it.
TEST(ThreadPriority, TimeCriticalIsGrantedOrRefusedWithoutChange)
{
    std::thread([] {
        const int before = OwnNiceness();
        if (SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL))
            EXPECT_EQ(OwnNiceness(), -20);
        else
            EXPECT_EQ(OwnNiceness(), before);
    }).join();
}

TEST(ThreadPriority, LoweringIsAlwaysAllowedAndTouchesOnlyTheCaller)
{
    const int mine = OwnNiceness();
    std::thread([] {
        EXPECT_TRUE(SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_IDLE));
        EXPECT_EQ(OwnNiceness(), 19);
    }).join();
    EXPECT_EQ(OwnNiceness(), mine);
}
