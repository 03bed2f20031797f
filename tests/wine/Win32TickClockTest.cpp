// The performance-counter tick count: it advances, and wraps like the Win32
// tick count without disturbing a wait.
#include <gtest/gtest.h>

#include "platform/win32/Win32TickClock.h"
#include "serial/Delay.h"

namespace fwut {
namespace {

TEST(Win32TickClock, StartsWhereToldAndADelayAcrossTheWrapEndsAfterTheWrap)
{
    Win32TickClock clock(0xFFFFFFFFu - 5);
    const DWORD start = clock.GetTickCount();
    EXPECT_GE(start, 0xFFFFFFFFu - 5);
    Delay(clock, 20);
    EXPECT_GE(clock.GetTickCount() - start, 20u);
    EXPECT_LT(clock.GetTickCount(), 0x80000000u);
}

}  // namespace
}  // namespace fwut
