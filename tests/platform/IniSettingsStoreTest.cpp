// The settings store as a real INI file under a temporary XDG_CONFIG_HOME.
#include "platform/posix/IniSettingsStore.h"

#include <stdlib.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

namespace fwut {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Pair;

std::optional<std::string> Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

void Restore(const char* name, const std::optional<std::string>& value)
{
    if (value) {
        ::setenv(name, value->c_str(), 1);
    } else {
        ::unsetenv(name);
    }
}

class IniSettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "fwut-settings-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root = pattern;
        ::setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
    }

    void TearDown() override
    {
        Restore("XDG_CONFIG_HOME", savedXdg);
        Restore("HOME", savedHome);
        fs::remove_all(root);
    }

    std::string StorePath() const { return root + "/config/Fernhollow Systems/fwut-update.conf"; }

    void WriteStore(const std::string& text) const
    {
        fs::create_directories(fs::path(StorePath()).parent_path());
        std::ofstream(StorePath()) << text;
    }

    std::string ReadStore() const
    {
        std::ostringstream text;
        text << std::ifstream(StorePath()).rdbuf();
        return text.str();
    }

    const std::optional<std::string> savedXdg = Environment("XDG_CONFIG_HOME");
    const std::optional<std::string> savedHome = Environment("HOME");
    std::string root;
};

TEST_F(IniSettingsStoreTest, AWriteChangesTheOneValueAndTheNextRunReadsIt)
{
    WriteStore("; mine\r\n[Ports]\r\nCOM7=/dev/ttyUSB0\r\n\r\n[Other]\r\nx=1\r\n");
    IniSettingsStore store("fwut-update");
    EXPECT_EQ(store.FilePath(), StorePath());
    EXPECT_EQ(store.GetProfileInt("Settings", "ComPort", -1), -1);
    ASSERT_TRUE(store.WriteProfileInt("Settings", "ComPort", 5));
    ASSERT_TRUE(store.WriteProfileInt("Settings", "ComPort", 12));
    EXPECT_EQ(IniSettingsStore("fwut-update").GetProfileInt("Settings", "ComPort", -1), 12);
    EXPECT_EQ(ReadStore(), "; mine\r\n[Ports]\r\nCOM7=/dev/ttyUSB0\r\n\r\n[Other]\r\nx=1\r\n"
                           "[Settings]\r\nComPort=12\r\n");
}

TEST_F(IniSettingsStoreTest, UnreadableValuesGiveTheDefault)
{
    WriteStore("[Settings]\nComPort=abc\nEmpty=\nHuge=99999999999\nMixed=5x\nNegative=-3\n");
    IniSettingsStore store("fwut-update");
    for (const char* entry : {"ComPort", "Empty", "Huge", "Mixed"}) {
        EXPECT_EQ(store.GetProfileInt("Settings", entry, -1), -1) << entry;
    }
    EXPECT_EQ(store.GetProfileInt("Settings", "Negative", -1), -3);
    EXPECT_EQ(store.GetProfileInt("Missing", "ComPort", 4), 4);
}

TEST_F(IniSettingsStoreTest, AStoreThatCannotBeWrittenSaysWhy)
{
    const std::string blocker = root + "/not-a-folder";
    std::ofstream(blocker) << "x";
    ::setenv("XDG_CONFIG_HOME", blocker.c_str(), 1);
    IniSettingsStore store("fwut-update");
    EXPECT_FALSE(store.WriteProfileInt("Settings", "ComPort", 5));
    EXPECT_NE(store.LastWriteProblem(), "");
}

TEST_F(IniSettingsStoreTest, PortMapTakesComKeysUpTo100)
{
    WriteStore("[Ports]\n"
               "COM7=/dev/ttyUSB0\n"
               "com8 = \"/dev/ttyACM0\"\n"
               "Com100=/dev/ttyS4\n"
               "COM10=/dev/serial/by-id/usb-Maker,Model-if00\n"
               "COM0=/dev/a\n"
               "COM101=/dev/b\n"
               "COM07=/dev/c\n"
               "COM9=\n"
               "LPT1=/dev/lp0\n"
               "[Settings]\n"
               "COM11=/dev/not-a-port\n");
    EXPECT_THAT(IniSettingsStore("fwut-update").ReadPortMap(),
                ElementsAre(Pair(7, "/dev/ttyUSB0"), Pair(8, "/dev/ttyACM0"),
                            Pair(10, "/dev/serial/by-id/usb-Maker,Model-if00"), Pair(100, "/dev/ttyS4")));
}

}  // namespace
}  // namespace fwut
