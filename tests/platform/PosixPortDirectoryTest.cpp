// The installed-port list over a fake /sys/class/tty and /dev in a temporary
// folder, and the in-memory list that other tests use in its place: both are
// read the way the dialog reads the SERIALCOMM key.
#include "platform/posix/PosixPortDirectory.h"

#include <stdlib.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/doubles/MemorySerialCommKey.h"

namespace fwut {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
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
    EXPECT_EQ(directory.DevicePath(35), DevicePath("ttyUSB2"));
    EXPECT_EQ(directory.DevicePath(1), "");
}

TEST_F(FakeSystem, OpenFailsWhenThereIsNoPortAtAll)
{
    PosixPortDirectory nothing({}, root + "/missing", Dev());
    EXPECT_FALSE(nothing.Open());
    char name[kNameCapacity];
    BYTE data[kDataCapacity];
    DWORD nameCapacity = kNameCapacity;
    DWORD dataCapacity = kDataCapacity;
    EXPECT_EQ(nothing.EnumValue(0, name, &nameCapacity, data, &dataCapacity), static_cast<LONG>(ERROR_INVALID_HANDLE));
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
    EXPECT_EQ(directory.MapDevice(DevicePath("later")), 5) << "a device not plugged in yet";
    EXPECT_EQ(directory.DevicePath(5), "");
    WriteFile(DevicePath("later"), "");
    EXPECT_EQ(directory.DevicePath(5), DevicePath("later"));
    const Values values = ReadAll(directory);
    ASSERT_GE(values.size(), 3u);
    EXPECT_THAT(values[1], Pair(DevicePath("custom"), "COM3"));
}

TEST_F(FakeSystem, MapDeviceFailsWhenEveryNumberIsTaken)
{
    std::map<int, std::string> all;
    for (int number = 1; number <= 100; ++number) {
        all[number] = DevicePath("port" + std::to_string(number));
        WriteFile(all[number], "");
    }
    WriteFile(DevicePath("extra"), "");
    auto directory = Directory(all);
    EXPECT_EQ(directory.MapDevice(DevicePath("extra")), -1);
    EXPECT_EQ(ReadAll(directory).size(), 100u);
}

// Win32 capacity rules, which the dialog relies on to stop at a value that
// does not fit. Run over both implementations of the key.
template <typename Key>
void ExpectWin32Capacities(Key& key, const std::string& firstName, const std::string& firstData)
{
    ASSERT_TRUE(key.Open());
    char name[kNameCapacity];
    BYTE data[kDataCapacity];
    DWORD nameCapacity = static_cast<DWORD>(firstName.size());
    DWORD dataCapacity = kDataCapacity;
    EXPECT_EQ(key.EnumValue(0, name, &nameCapacity, data, &dataCapacity), static_cast<LONG>(ERROR_MORE_DATA))
        << "the name's terminator must fit too";

    nameCapacity = static_cast<DWORD>(firstName.size() + 1);
    dataCapacity = static_cast<DWORD>(firstData.size());
    EXPECT_EQ(key.EnumValue(0, name, &nameCapacity, data, &dataCapacity), static_cast<LONG>(ERROR_MORE_DATA))
        << "the data's terminator must fit too";
    EXPECT_EQ(dataCapacity, firstData.size() + 1) << "the needed size is reported";

    nameCapacity = static_cast<DWORD>(firstName.size() + 1);
    dataCapacity = static_cast<DWORD>(firstData.size() + 1);
    ASSERT_EQ(key.EnumValue(0, name, &nameCapacity, data, &dataCapacity), static_cast<LONG>(ERROR_SUCCESS));
    EXPECT_EQ(std::string(name), firstName);
    EXPECT_EQ(nameCapacity, firstName.size());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data)), firstData);
    EXPECT_EQ(dataCapacity, firstData.size() + 1);
    key.Close();
}

TEST_F(FakeSystem, EnumerationFollowsWin32Capacities)
{
    auto directory = Directory();
    ExpectWin32Capacities(directory, DevicePath("ttyS0"), "COM1");

    ASSERT_TRUE(directory.Open());
    char name[kNameCapacity];
    BYTE data[kDataCapacity];
    DWORD nameCapacity = kNameCapacity;
    DWORD dataCapacity = kDataCapacity;
    EXPECT_EQ(directory.EnumValue(5, name, &nameCapacity, data, &dataCapacity),
              static_cast<LONG>(ERROR_NO_MORE_ITEMS));
}

TEST(MemorySerialCommKeyTest, FollowsWin32Capacities)
{
    MemorySerialCommKey key({"COM3"});
    ExpectWin32Capacities(key, "\\Device\\Serial0", "COM3");
}

TEST(MemorySerialCommKeyTest, OffersItsTextsAsGiven)
{
    MemorySerialCommKey key({"COM3", "com5", "COM05"});
    key.Add(std::string(kDataCapacity, 'X'), false);  // fills the buffer exactly, no terminator
    const Values values = ReadAll(key);
    ASSERT_EQ(values.size(), 4u);
    EXPECT_THAT(values[1], Pair("\\Device\\Serial1", "com5"));
    EXPECT_EQ(values[2].second, "COM05");
    EXPECT_EQ(values[3].second, std::string(kDataCapacity, 'X'));
    EXPECT_EQ(key.DevicePath(3), "/dev/fake3");
    EXPECT_EQ(key.DevicePath(5), "/dev/fake5");
    EXPECT_EQ(key.DevicePath(7), "");
    EXPECT_EQ(key.OpenCount(), 1);
    EXPECT_EQ(key.CloseCount(), 1);
    EXPECT_FALSE(key.IsOpen());
}

TEST(MemorySerialCommKeyTest, CanFailToOpenOrStopPartWay)
{
    MemorySerialCommKey key({"COM1", "COM2", "COM3"});
    key.ForceResult(1, static_cast<LONG>(ERROR_MORE_DATA));
    EXPECT_THAT(ReadAll(key), ElementsAre(Pair("\\Device\\Serial0", "COM1")));
    key.SetOpenFails(true);
    EXPECT_THAT(ReadAll(key), IsEmpty());
    EXPECT_FALSE(key.IsOpen());
}

}  // namespace
}  // namespace fwut
