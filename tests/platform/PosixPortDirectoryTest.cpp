// The installed-port list over a fake /sys/class/tty and /dev in a temporary
// folder, read the way the dialog reads the SERIALCOMM key.
#include "platform/posix/PosixPortDirectory.h"

#include <stdlib.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>


namespace fwut {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::Pair;

// The capacities the dialog passes.
constexpr DWORD kNameCapacity = 501;
constexpr DWORD kDataCapacity = 51;

using Values = std::vector<std::pair<std::string, std::string>>;

// Every value up to the first result other than success, as (name, data text).
Values ReadAll(SerialCommKey& key)
{
    Values values;
    if (!key.Open()) {
        return values;
    }
    for (DWORD index = 0;; ++index) {
        char name[kNameCapacity] = {};
        BYTE data[kDataCapacity + 1] = {};
        DWORD nameCapacity = kNameCapacity;
        DWORD dataCapacity = kDataCapacity;
        if (key.EnumValue(index, name, &nameCapacity, data, &dataCapacity) != static_cast<LONG>(ERROR_SUCCESS)) {
            break;
        }
        values.emplace_back(name, reinterpret_cast<const char*>(data));
    }
    key.Close();
    return values;
}

class FakeSystem : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "fwut-ports-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root = pattern;
        fs::create_directories(Sys());
        fs::create_directories(Dev());
        AddUart("ttyS0", "4");
        AddUart("ttyS1", "0");  // an 8250 slot with no UART behind it
        AddUart("ttyS10", "4");
        AddDevice("ttyUSB0");
        AddDevice("ttyUSB1");
        AddDevice("ttyACM0");
        AddDevice("ttyACM36");  // would be COM101
        AddDevice("tty0");
        AddDevice("ttyS01");  // not a kernel name
        fs::create_directories(Sys() + "/ttyS2");  // no type, no device node
        WriteFile(Sys() + "/ttyS2/type", "4");
    }

    void TearDown() override { fs::remove_all(root); }

    std::string Sys() const { return root + "/sys/class/tty"; }
    std::string Dev() const { return root + "/dev"; }
    std::string DevicePath(const std::string& name) const { return Dev() + "/" + name; }

    static void WriteFile(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

    void AddDevice(const std::string& name)
    {
        fs::create_directories(Sys() + "/" + name);
        WriteFile(DevicePath(name), "");
    }

    void AddUart(const std::string& name, const std::string& type)
    {
        AddDevice(name);
        WriteFile(Sys() + "/" + name + "/type", type + "\n");
    }

    PosixPortDirectory Directory(std::map<int, std::string> explicitMap = {}) const
    {
        return PosixPortDirectory(std::move(explicitMap), Sys(), Dev());
    }

    std::string root;
};

TEST_F(FakeSystem, OffersSystemDevicesInPortOrder)
{
    auto directory = Directory();
    EXPECT_THAT(ReadAll(directory), ElementsAre(Pair(DevicePath("ttyS0"), "COM1"), Pair(DevicePath("ttyS10"), "COM11"),
                                                Pair(DevicePath("ttyUSB0"), "COM33"),
                                                Pair(DevicePath("ttyUSB1"), "COM34"),
                                                Pair(DevicePath("ttyACM0"), "COM65")));
}

TEST_F(FakeSystem, ExplicitMapWinsItsNumbersAndItsDevices)
{
    fs::create_directories(Dev() + "/serial/by-id");
    const std::string link = Dev() + "/serial/by-id/usb-FTDI-if00-port0";
    fs::create_symlink(DevicePath("ttyUSB1"), link);
    auto directory = Directory({
        {0, DevicePath("ttyS0")},
        {7, link},
        {8, DevicePath("ttyUSB9")},  // absent
        {33, DevicePath("ttyACM0")},
        {101, DevicePath("ttyS10")},
    });
    // ttyUSB0 loses COM33; ttyUSB1 and ttyACM0 are not offered a second time.
    EXPECT_THAT(ReadAll(directory), ElementsAre(Pair(DevicePath("ttyS0"), "COM1"), Pair(link, "COM7"),
                                                Pair(DevicePath("ttyS10"), "COM11"),
                                                Pair(DevicePath("ttyACM0"), "COM33")));
    EXPECT_EQ(directory.DevicePath(7), link);
    EXPECT_EQ(directory.DevicePath(8), "");
    EXPECT_EQ(directory.DevicePath(34), "");
}

TEST_F(FakeSystem, EachOpenLooksAfresh)
{
    auto directory = Directory();
    ASSERT_EQ(ReadAll(directory).size(), 5u);
    AddDevice("ttyUSB2");
    fs::remove(DevicePath("ttyS0"));
    const Values values = ReadAll(directory);
    EXPECT_EQ(values.size(), 5u);
    EXPECT_EQ(values.front().second, "COM11");
    EXPECT_FALSE(PosixPortDirectory({}, root + "/missing", Dev()).Open()) << "no port at all";
}

TEST_F(FakeSystem, MappedDeviceGetsTheLowestFreeNumber)
{
    WriteFile(DevicePath("custom"), "");
    WriteFile(DevicePath("other"), "");
    auto directory = Directory({{2, DevicePath("absent")}});  // COM2 stays reserved while absent

    EXPECT_EQ(directory.MapDevice(DevicePath("ttyUSB0")), 33) << "a listed device keeps its number";
    EXPECT_EQ(directory.MapDevice(DevicePath("custom")), 3);
    EXPECT_EQ(directory.MapDevice(Dev() + "/./custom"), 3) << "the same device, named differently";
    EXPECT_EQ(directory.MapDevice(DevicePath("other")), 4);
    EXPECT_EQ(directory.DevicePath(3), DevicePath("custom"));
    EXPECT_TRUE(directory.IsMappedForThisRun(3));
    EXPECT_FALSE(directory.IsMappedForThisRun(33));
    const Values values = ReadAll(directory);
    ASSERT_GE(values.size(), 3u);
    EXPECT_THAT(values[1], Pair(DevicePath("custom"), "COM3"));
}

}  // namespace
}  // namespace fwut
