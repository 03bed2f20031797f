#include <gtest/gtest.h>

#include "platform/fake/VirtualClock.h"
#include "platform/posix/PosixTickClock.h"
#include "serial/Delay.h"

namespace fwut {
namespace {

TEST(Delay, WaitsExactlyTheGivenTicksAcrossTheWrap)
{
    for (DWORD start : {0u, 1000u, 0xFFFFFFF0u}) {
        VirtualClock clock(start);
        Delay(clock, 0);
        EXPECT_EQ(clock.GetTickCount(), start);
        Delay(clock, 20);
        EXPECT_EQ(clock.GetTickCount() - start, 20u);
        Delay(clock, 3000);
        EXPECT_EQ(clock.GetTickCount() - start, 3020u);
    }
}

TEST(Delay, EndsOnARealClockThatWrapsDuringTheWait)
{
    PosixTickClock clock(0xFFFFFFFFu - 5);
    const DWORD start = clock.GetTickCount();
    Delay(clock, 20);
    const DWORD elapsed = clock.GetTickCount() - start;
    EXPECT_GE(elapsed, 20u);
    EXPECT_LT(clock.GetTickCount(), 1000u) << "the count wrapped to a small value";
}

}  // namespace
}  // namespace fwut
