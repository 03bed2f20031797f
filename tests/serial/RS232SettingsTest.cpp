// CRS232 on a scripted port and the virtual clock: the line settings it asks
// of the driver (a pseudo-terminal can only ever show 8N1), the order of its
// calls where the order matters, and its waits.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "serial/Delay.h"
#include "serial/RS232.h"
#include "tests/doubles/ScriptedSerialApi.h"
#include "tests/doubles/VirtualClock.h"

namespace fwut {
namespace {

class RS232Settings : public ::testing::Test {
protected:
    RS232Settings()
    {
        api.AddPort(1);
        api.AddPort(2, 1000);
    }

    VirtualClock clock;
    ScriptedSerialApi api{clock};
    CRS232 port{api, clock};
};

// The open takes a longer list of rates and parities than the rate change;
// anything else becomes 9600 baud or no parity.
TEST_F(RS232Settings, EachOperationTakesOnlyTheRatesAndParitiesOfItsOwnList)
{
    const struct {
        int rate;
        int parity;
        DWORD rateAtOpen, rateAtChange;
        BYTE parityAtOpen, parityAtChange;
    } cases[] = {{300, 'E', 300, 9600, EVENPARITY, EVENPARITY},
                 {14400, 'M', 14400, 9600, MARKPARITY, NOPARITY},
                 {19200, 'S', 19200, 19200, SPACEPARITY, NOPARITY},
                 {56000, 'e', 9600, 9600, NOPARITY, NOPARITY}};
    for (const auto& c : cases) {
        port.Open(1, c.rate, c.parity, 8, 2);
        EXPECT_EQ(api.LastState().BaudRate, c.rateAtOpen) << c.rate;
        EXPECT_EQ(api.LastState().Parity, c.parityAtOpen) << c.parity;
        EXPECT_EQ(api.LastState().StopBits, TWOSTOPBITS);
        port.SetLineSettings(c.rate, c.parity, '7');
        EXPECT_EQ(api.LastState().BaudRate, c.rateAtChange) << c.rate;
        EXPECT_EQ(api.LastState().Parity, c.parityAtChange) << c.parity;
        EXPECT_EQ(api.LastState().ByteSize, 7);
    }
    port.Open(1, 57600, 'N', 8, 3);
    EXPECT_EQ(api.LastState().StopBits, ONESTOPBIT);
}

// Some adapters' drivers refuse a new open for a moment after a close: an
// open refused within 2 s of this program's own close of that port is tried
// again for up to a second; any other refusal is reported at once.
TEST_F(RS232Settings, OnlyAnOpenRefusedJustAfterOurOwnCloseIsTriedAgainAndForASecondAtMost)
{
    const auto attemptsOf = [&](int portNumber, int refusals) {
        api.AddPort(portNumber, refusals);
        const int before = api.OpenAttempts(portNumber);
        const DWORD start = clock.GetTickCount();
        const bool opened = port.Open(portNumber, 57600, 'N', 8, 1);
        return std::to_string(api.OpenAttempts(portNumber) - before) + (opened ? " opened after " : " refused after ") +
               std::to_string(clock.GetTickCount() - start);
    };
    ASSERT_TRUE(port.Open(1, 57600, 'N', 8, 1));
    port.Close();
    clock.Advance(1900);
    EXPECT_EQ(attemptsOf(1, 3), "4 opened after 150");
    port.Close();
    EXPECT_EQ(attemptsOf(1, 1000), "21 refused after 1000");
    EXPECT_EQ(attemptsOf(1, 1), "1 refused after 0") << "one wait for each close";
    EXPECT_EQ(attemptsOf(1, 0), "1 opened after 0");
    port.Close();
    EXPECT_EQ(attemptsOf(2, 1), "1 refused after 0") << "another port";
    ASSERT_TRUE(port.Open(1, 57600, 'N', 8, 1));
    port.Close();
    clock.Advance(2000);
    EXPECT_EQ(attemptsOf(1, 1), "1 refused after 0") << "long after the close";
    ASSERT_TRUE(port.Open(1, 57600, 'N', 8, 1));
    port.Close();
    api.heldByAnother.insert(1);
    EXPECT_EQ(attemptsOf(1, 1), "1 refused after 0") << "held by another program";
}

TEST_F(RS232Settings, TheLinesGoUpWithTheSettingsAndDownBeforeTheClose)
{
    ASSERT_TRUE(port.Open(1, 57600, 'M', 7, 2));
    const DCB& opened = api.LastState();
    EXPECT_TRUE(opened.fBinary && opened.fParity);
    EXPECT_EQ(opened.fDtrControl, DTR_CONTROL_ENABLE);
    EXPECT_EQ(opened.fRtsControl, RTS_CONTROL_ENABLE);
    EXPECT_FALSE(opened.fOutxCtsFlow || opened.fOutxDsrFlow || opened.fOutX || opened.fInX);
    const DCB before = opened;

    const std::size_t mark = api.Events().size();
    EXPECT_TRUE(port.SetLineSettings(19200, 'E', '8'));
    EXPECT_EQ(api.EventsSince(mark), (std::vector<std::string>{"state 19200", "purge rx"}))
        << "input received at the old rate is thrown away";
    DCB expected = before;
    expected.BaudRate = 19200;
    expected.Parity = EVENPARITY;
    expected.ByteSize = 8;
    EXPECT_EQ(std::memcmp(&expected, &api.LastState(), sizeof(DCB)), 0) << "every other setting survives";

    // A second open closes the first port, even when it cannot open its own.
    const std::size_t beforeSecond = api.Events().size();
    EXPECT_FALSE(port.Open(2, 57600, 'N', 8, 1));
    EXPECT_EQ(api.EventsSince(beforeSecond), (std::vector<std::string>{"DTR off", "RTS off", "close", "open COM2"}));
    EXPECT_EQ(port.GetPortNumber(), -1);
    port.Close();
    EXPECT_EQ(api.Events().size(), beforeSecond + 4) << "closed once";
}

TEST_F(RS232Settings, AClosedPortTouchesNothingAndWaitsForNothing)
{
    char buffer[8];
    const DWORD before = clock.GetTickCount();
    EXPECT_FALSE(port.WriteString("<W"));
    EXPECT_FALSE(port.SetLineSettings(19200, 'N', '8'));
    EXPECT_EQ(port.Read(buffer, sizeof buffer), 0);
    port.ClearAndWait(500);
    port.SendPacketString("x");
    EXPECT_TRUE(api.Events().empty() && api.Writes().empty());
    EXPECT_EQ(clock.GetTickCount(), before);
}

TEST(Delay, WaitsExactlyTheGivenTicksAcrossTheWrap)
{
    for (DWORD start : {0u, 0xFFFFFFF0u}) {
        VirtualClock clock(start);
        Delay(clock, 0);
        EXPECT_EQ(clock.GetTickCount(), start);
        Delay(clock, 20);
        Delay(clock, 3000);
        EXPECT_EQ(clock.GetTickCount() - start, 3020u);
    }
}

}  // namespace
}  // namespace fwut
