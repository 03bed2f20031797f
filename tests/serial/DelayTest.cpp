#include <gtest/gtest.h>

#include "tests/doubles/VirtualClock.h"
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

}  // namespace
}  // namespace fwut
