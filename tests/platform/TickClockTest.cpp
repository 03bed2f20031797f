// The system's tick count and its waits across the 32-bit wrap.
#include "platform/posix/PosixTickClock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "serial/Delay.h"

namespace fwut {
namespace {

TEST(PosixTickClockTest, DelayEndsAcrossTheWrap)
{
    constexpr DWORD kStart = 0xFFFFFFFFu - 30;
    PosixTickClock clock(kStart);
    const DWORD start = clock.GetTickCount();
    EXPECT_LT(start - kStart, 10'000u) << "counts from the given start, not from boot";

    const auto realStart = std::chrono::steady_clock::now();
    Delay(clock, 60);
    const auto realElapsed = std::chrono::steady_clock::now() - realStart;
    const DWORD end = clock.GetTickCount();

    EXPECT_GE(end - start, 60u);
    EXPECT_LT(end, start) << "the count wrapped";
    EXPECT_GE(realElapsed, std::chrono::milliseconds(59)) << "the wait did not end early";
}

TEST(PosixTickClockTest, IdleHintsForReachedTicksReturn)
{
    PosixTickClock clock(0xFFFFFFF0u);
    const DWORD now = clock.GetTickCount();
    // A tick already reached or past must not be mistaken for one 49 days away.
    clock.IdleUntilTick(now);
    clock.IdleUntilTick(now - 1);
    clock.IdleUntilTick(now - 0x80000000u);
    clock.IdleBriefly();
    EXPECT_LT(clock.GetTickCount() - now, 10'000u);
}

}  // namespace
}  // namespace fwut
