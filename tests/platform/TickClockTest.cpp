// The tick count and its waits: the system clock across the 32-bit wrap, and
// the virtual clock that the update tests drive.
#include "platform/posix/PosixTickClock.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "tests/doubles/VirtualClock.h"
#include "serial/Delay.h"

namespace fwut {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

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

TEST(PosixTickClockTest, SleepLastsAtLeastItsTime)
{
    PosixTickClock clock;
    const auto realStart = std::chrono::steady_clock::now();
    const DWORD start = clock.GetTickCount();
    clock.Sleep(20);
    EXPECT_GE(clock.GetTickCount() - start, 20u);
    EXPECT_GE(std::chrono::steady_clock::now() - realStart, std::chrono::milliseconds(20));
}

TEST(VirtualClockTest, WaitsJumpToTheirEndAcrossTheWrap)
{
    VirtualClock clock(0xFFFFFFF0u);
    Delay(clock, 100);
    EXPECT_EQ(clock.GetTickCount(), 0x54u);
    WaitFromTick(clock, 0x50u, 10);
    EXPECT_EQ(clock.GetTickCount(), 0x5Au);
    Delay(clock, 0);
    EXPECT_EQ(clock.GetTickCount(), 0x5Au);
}

TEST(VirtualClockTest, TimeMovesOnlyForward)
{
    VirtualClock clock(1000);
    clock.IdleUntilTick(1000);
    clock.IdleUntilTick(999);
    EXPECT_EQ(clock.GetTickCount(), 1000u);
    clock.IdleBriefly();
    EXPECT_EQ(clock.GetTickCount(), 1001u);
    clock.Advance(9);
    EXPECT_EQ(clock.GetTickCount(), 1010u);
    clock.Set(0xFFFFFFFEu);
    clock.Advance(3);
    EXPECT_EQ(clock.GetTickCount(), 1u);
}

TEST(VirtualClockTest, SleepsAreRecorded)
{
    VirtualClock clock;
    EXPECT_THAT(clock.SleepCalls(), IsEmpty());
    clock.Sleep(1000);
    clock.Sleep(0);
    EXPECT_THAT(clock.SleepCalls(), ElementsAre(1000u, 0u));
    EXPECT_EQ(clock.GetTickCount(), 1000u);
}

TEST(VirtualClockTest, CallbackSeesEveryMove)
{
    VirtualClock clock(10);
    std::vector<DWORD> seen;
    clock.OnTimeMoved([&](DWORD now) { seen.push_back(now); });
    Delay(clock, 5);
    clock.IdleBriefly();
    clock.Sleep(0);
    clock.Set(16);
    clock.Set(0xFFFFFF00u);
    EXPECT_THAT(seen, ElementsAre(15u, 16u, 0xFFFFFF00u));
}

}  // namespace
}  // namespace fwut
