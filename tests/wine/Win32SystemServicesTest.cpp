// What the Windows backends find on the system they run on: the way the
// clock's waits sleep, and real SetupAPI look-ups, which end with a
// description or none, whatever the system holds.
#include <gtest/gtest.h>

#include "platform/DeviceDescription.h"
#include "platform/win32/SetupApiPortDescriptions.h"
#include "platform/win32/Win32TickClock.h"

namespace fwut {
namespace {

TEST(Win32SystemServices, WaitsSleepOnAHighResolutionTimer)
{
    Win32TickClock clock;
    EXPECT_TRUE(clock.HasHighResolutionTimer());
}

TEST(Win32SystemServices, SetupApiLookUpsEndWithADescriptionOrNone)
{
    SetupApiPortDescriptions descriptions;
    for (const int port : {-1, 0, 1, 5, 100}) {
        EXPECT_LE(descriptions.Describe(port).size(), kMaxDescriptionLength) << "COM" << port;
    }
}

}  // namespace
}  // namespace fwut
