// The settings store as a real file under a temporary XDG_CONFIG_HOME (each
// test runs in a process of its own).
#include "platform/posix/IniSettingsStore.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/TempDir.h"

namespace fwut {
namespace {

using ::testing::ElementsAre;
using ::testing::Pair;

class IniSettingsStoreTest : public ::testing::Test {
protected:
    IniSettingsStoreTest() { ::setenv("XDG_CONFIG_HOME", root.Path("config").c_str(), 1); }

    void WriteStore(const std::string& text) const
    {
        std::filesystem::create_directories(root.Path("config/Fernhollow Systems"));
        root.Write("config/Fernhollow Systems/fwut-update.conf", text);
    }

    test::TempDir root;
};

TEST_F(IniSettingsStoreTest, AWriteChangesOneValueAndTheNextRunReadsIt)
{
    WriteStore("; mine\r\n[Ports]\r\nCOM7=/dev/ttyUSB0\r\n\r\n[Settings]\r\nComPort=abc\r\nNegative=-3\r\n");
    IniSettingsStore store("fwut-update");
    EXPECT_EQ(store.GetProfileInt("Settings", "ComPort", -1), -1) << "not a number";
    EXPECT_EQ(store.GetProfileInt("Settings", "Negative", -1), -3);
    ASSERT_TRUE(store.WriteProfileInt("Settings", "ComPort", 12));
    EXPECT_EQ(IniSettingsStore("fwut-update").GetProfileInt("Settings", "ComPort", -1), 12);
    EXPECT_EQ(test::ReadText(store.FilePath()),
              "; mine\r\n[Ports]\r\nCOM7=/dev/ttyUSB0\r\n\r\n[Settings]\r\nComPort=12\r\nNegative=-3\r\n");

    ::setenv("XDG_CONFIG_HOME", store.FilePath().c_str(), 1);  // a file where a folder must be
    IniSettingsStore unwritable("fwut-update");
    EXPECT_FALSE(unwritable.WriteProfileInt("Settings", "ComPort", 5));
    EXPECT_NE(unwritable.LastWriteProblem(), "");
}

TEST_F(IniSettingsStoreTest, PortMapTakesComKeysUpTo100)
{
    WriteStore("[Ports]\nCOM7=/dev/ttyUSB0\ncom8 = \"/dev/ttyACM0\"\nCom100=/dev/ttyS4\n"
               "COM10=/dev/serial/by-id/usb-Maker,Model-if00\nCOM0=/dev/a\nCOM101=/dev/b\nCOM07=/dev/c\n"
               "COM9=\nLPT1=/dev/lp0\n[Settings]\nCOM11=/dev/not-a-port\n");
    EXPECT_THAT(IniSettingsStore("fwut-update").ReadPortMap(),
                ElementsAre(Pair(7, "/dev/ttyUSB0"), Pair(8, "/dev/ttyACM0"),
                            Pair(10, "/dev/serial/by-id/usb-Maker,Model-if00"), Pair(100, "/dev/ttyS4")));
}

}  // namespace
}  // namespace fwut
