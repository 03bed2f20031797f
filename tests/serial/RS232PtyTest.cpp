// CRS232 on a real pseudo-terminal: the relay packet frames byte for byte as
// the far side receives them, the rate change as the far side sees it, and
// an open of a port that is already in use.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <numeric>
#include <vector>

#include "tests/doubles/VirtualClock.h"
#include "platform/posix/PosixPortDirectory.h"
#include "platform/posix/PosixSerialApi.h"
#include "serial/RS232.h"
#include "tests/support/PseudoTerminal.h"

namespace fwut {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int kPort = 7;

// One frame as the relay expects it, spelled out from its layout.
Bytes ExpectedFrame(const Bytes& payload)
{
    const std::size_t n = payload.size();
    const std::size_t count = n + 15;
    Bytes frame = {'<', '$', ':', 'P', static_cast<std::uint8_t>('0' + count / 100),
                   static_cast<std::uint8_t>('0' + count / 10 % 10), static_cast<std::uint8_t>('0' + count % 10),
                   0x41, 0x8C, 0x11, 0xEE, 0xEE, 0xFF, 0xFF, 0x00, 0x00, 0x22, 0x00, 0x46,
                   static_cast<std::uint8_t>(n)};
    frame.insert(frame.end(), payload.begin(), payload.end());
    frame.push_back(0x00);
    frame.push_back(0x00);
    return frame;
}

Bytes Payload(std::size_t length)
{
    Bytes payload(length);
    std::iota(payload.begin(), payload.end(), std::uint8_t{0x80});
    return payload;
}

bool WaitForInput(CRS232& port, DWORD count)
{
    for (int tries = 0; tries < 2000; ++tries) {
        if (port.GetInputCount() >= count) {
            return true;
        }
        ::usleep(1000);
    }
    return false;
}

class RS232OverPty : public ::testing::Test {
protected:
    test::PseudoTerminal line;
    PosixPortDirectory directory{{{kPort, line.SlavePath()}}, "/nonexistent", "/dev"};
    PosixSerialApi api{directory};
    VirtualClock clock;
    CRS232 port{api, clock};
};

TEST_F(RS232OverPty, AOneBytePayloadIsTheWakeUpPollFrame)
{
    ASSERT_TRUE(port.Open(kPort, 57600, 'N', 8, 1));
    const std::uint8_t wakeUp = 0xC0;
    port.SendPacket(&wakeUp, 1);
    EXPECT_EQ(line.Read(23), (Bytes{0x3C, 0x24, 0x3A, 0x50, 0x30, 0x31, 0x36, 0x41, 0x8C, 0x11, 0xEE, 0xEE,
                                            0xFF, 0xFF, 0x00, 0x00, 0x22, 0x00, 0x46, 0x01, 0xC0, 0x00, 0x00}));
}

TEST_F(RS232OverPty, PayloadsAreSplitIntoFramesOfAtMost86Bytes)
{
    ASSERT_TRUE(port.Open(kPort, 57600, 'N', 8, 1));
    const struct {
        std::size_t length;
        std::vector<std::size_t> pieces;
    } cases[] = {{0, {}}, {1, {1}}, {86, {86}}, {87, {86, 1}}, {200, {86, 86, 28}}, {256, {86, 86, 84}}};
    for (const auto& c : cases) {
        const Bytes payload = Payload(c.length);
        port.SendPacket(payload.data(), static_cast<int>(payload.size()));
        Bytes expected;
        std::size_t offset = 0;
        for (std::size_t piece : c.pieces) {
            const Bytes frame = ExpectedFrame(Bytes(payload.begin() + static_cast<long>(offset),
                                                    payload.begin() + static_cast<long>(offset + piece)));
            expected.insert(expected.end(), frame.begin(), frame.end());
            offset += piece;
        }
        EXPECT_EQ(line.Read(expected.size()), expected) << c.length;
    }
    EXPECT_EQ(ExpectedFrame(Payload(86)).size(), 108u);
}

TEST_F(RS232OverPty, TheRateChangeShowsOnTheLine)
{
    ASSERT_TRUE(port.Open(kPort, 57600, 'N', 8, 1));
    const termios opened = line.Settings();
    EXPECT_EQ(::cfgetospeed(&opened), B57600);
    port.SetLineSettings(19200, 'N', '8');
    const termios settings = line.Settings();
    EXPECT_EQ(::cfgetospeed(&settings), B19200);
    EXPECT_EQ(settings.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(settings.c_cflag & PARENB, 0u);
    EXPECT_EQ(settings.c_cflag & CSTOPB, 0u);
    EXPECT_EQ(settings.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(settings.c_iflag & (IXON | IXOFF), 0u);
}

TEST_F(RS232OverPty, ReadsWhatIsWaitingWithoutBlocking)
{
    ASSERT_TRUE(port.Open(kPort, 57600, 'N', 8, 1));
    char buffer[100];
    EXPECT_EQ(port.Read(buffer, sizeof buffer), 0);
    ASSERT_TRUE(line.Write({'F', 'G', 0x0D, 0x11, 0x13}));
    ASSERT_TRUE(WaitForInput(port, 5));
    EXPECT_EQ(port.GetInputCount(), 5u);
    EXPECT_EQ(port.Read(buffer, sizeof buffer), 5);
    EXPECT_EQ(Bytes(buffer, buffer + 5), (Bytes{'F', 'G', 0x0D, 0x11, 0x13}));

    ASSERT_TRUE(line.Write({1, 2, 3}));
    ASSERT_TRUE(WaitForInput(port, 3));
    EXPECT_TRUE(port.PurgeInput());
    EXPECT_EQ(port.GetInputCount(), 0u);
}

TEST_F(RS232OverPty, APortInUseCannotBeOpenedAgain)
{
    ASSERT_TRUE(port.Open(kPort, 57600, 'N', 8, 1));
    CRS232 second(api, clock);
    EXPECT_FALSE(second.Open(kPort, 57600, 'N', 8, 1));
    EXPECT_EQ(second.GetPortNumber(), -1);
    port.Close();
    EXPECT_TRUE(second.Open(kPort, 57600, 'N', 8, 1));
}

}  // namespace
}  // namespace fwut
