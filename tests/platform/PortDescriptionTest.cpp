// Port descriptions from recorded udev attributes and SetupAPI results, then
// the real udev calls and the low-latency request on a pseudo-terminal.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/DeviceDescription.h"
#include "platform/posix/LowLatency.h"
#include "platform/posix/PosixPortDirectory.h"
#include "platform/posix/UdevPortDescriptions.h"
#include "tests/support/PseudoTerminal.h"

namespace fwut {
namespace {

using namespace std::string_literals;

TEST(PortDescription, RecordedUdevAttributes)
{
    const std::string longName(300, 'x');
    const struct {
        UdevFacts facts;
        std::string expected;
    } cases[] = {
        {{"FT232R USB UART", "FTDI", "0403", "6001", "A12345", "Future Technology Devices International, Ltd",
          "FT232 Serial (UART) IC"},
         "FT232R USB UART (0403:6001, serial A12345)"},
        {{"USB-Serial Controller", "Prolific Technology Inc.", "067b", "2303", "", "", ""},
         "USB-Serial Controller (067b:2303)"},
        {{"", "", "1a86", "7523", "", "QinHeng Electronics", "CH340 serial converter"},
         "QinHeng Electronics CH340 serial converter (1a86:7523)"},
        {{"", "", "", "", "", "Oxford Semiconductor Ltd", "OXPCIe952 Dual Native 950 UART"},
         "Oxford Semiconductor Ltd OXPCIe952 Dual Native 950 UART"},
        {{" \n", "", "10c4", "ea60", "0001\x1b[2J", "", ""}, "USB device (10c4:ea60, serial 0001\x1b[2J)"},
        {{longName, "", "", "", longName, "", ""}, std::string(64, 'x') + " (serial " + std::string(64, 'x') + ")"},
        {{longName, longName, longName, longName, longName, "", ""},
         std::string(64, 'x') + " (" + std::string(64, 'x') + ":" + std::string(26, 'x') + "..."},
        {{}, ""},
    };
    for (const auto& recorded : cases) {
        EXPECT_EQ(DescribeUdevDevice(recorded.facts), recorded.expected);
    }
}

TEST(PortDescription, RecordedSetupApiResults)
{
    EXPECT_EQ(DescribeSetupApiDevice("USB Serial Port (COM5)", "FTDIBUS\\COMPORT&VID_0403&PID_6001\0\0"s),
              "USB Serial Port (COM5), FTDIBUS\\COMPORT&VID_0403&PID_6001");
    EXPECT_EQ(DescribeSetupApiDevice("Communications Port (COM1)", "ACPI\\PNP0501\0*PNP0501\0\0"s),
              "Communications Port (COM1), ACPI\\PNP0501");
    EXPECT_EQ(DescribeSetupApiDevice("", "USB\\VID_067B&PID_2303&REV_0300"), "USB\\VID_067B&PID_2303&REV_0300");
    EXPECT_EQ(DescribeSetupApiDevice("", ""), "");
}

TEST(PortDescription, APseudoTerminalHasNoDescriptionAndNoLowLatencyMode)
{
    test::PseudoTerminal line;
    PosixPortDirectory ports({{5, line.SlavePath()}, {6, "/dev/fwut-absent"}}, "/nonexistent");
    UdevPortDescriptions descriptions(ports);
    EXPECT_EQ(descriptions.Describe(5), "");
    EXPECT_EQ(descriptions.Describe(6), "");
    EXPECT_EQ(descriptions.Describe(7), "");

    const int fd = ::open(line.SlavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    EXPECT_FALSE(RequestLowLatency(fd));
    ::close(fd);
}

}  // namespace
}  // namespace fwut
