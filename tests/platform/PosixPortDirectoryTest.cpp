// The installed-port list over a fake /sys/class/tty and /dev in a temporary
// folder, read the way the dialog reads the SERIALCOMM key.
#include "platform/posix/PosixPortDirectory.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/TempDir.h"

namespace fwut {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::Pair;
using Values = std::vector<std::pair<std::string, std::string>>;

// Every value up to the first result other than success, as (name, data text).
Values ReadAll(SerialCommKey& key)
{
    Values values;
    if (!key.Open()) {
        return values;
    }
    for (DWORD index = 0;; ++index) {
        char name[501] = {};
        BYTE data[52] = {};
        DWORD nameCapacity = 501;
        DWORD dataCapacity = 51;
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
    FakeSystem()
    {
        fs::create_directories(root.Path("dev"));
        for (const char* name : {"ttyS0", "ttyS1", "ttyS10", "ttyUSB0", "ttyUSB1", "ttyACM0", "ttyACM36", "tty0",
                                 "ttyS01", "custom", "other"}) {
            fs::create_directories(root.Path(std::string("sys/") + name));
            root.Write(std::string("dev/") + name, "");
        }
        // An 8250 slot has an entry whether or not a UART answers behind it.
        for (const auto& [name, type] : {std::pair{"ttyS0", "4\n"}, {"ttyS1", "0\n"}, {"ttyS10", "4\n"}}) {
            root.Write(std::string("sys/") + name + "/type", type);
        }
    }

    std::string Dev(const std::string& name) const { return root.Path("dev/" + name); }
    PosixPortDirectory Directory(std::map<int, std::string> explicitMap = {}) const
    {
        return PosixPortDirectory(std::move(explicitMap), root.Path("sys"), root.Path("dev"));
    }

    test::TempDir root;
};

TEST_F(FakeSystem, SystemDevicesGetTheirNumbersAndTheExplicitMapWinsItsOwn)
{
    auto system = Directory();
    EXPECT_THAT(ReadAll(system),
                ElementsAre(Pair(Dev("ttyS0"), "COM1"), Pair(Dev("ttyS10"), "COM11"), Pair(Dev("ttyUSB0"), "COM33"),
                            Pair(Dev("ttyUSB1"), "COM34"), Pair(Dev("ttyACM0"), "COM65")))
        << "ttyACM36 would be COM101";

    fs::create_symlink(Dev("ttyUSB1"), Dev("by-id"));
    auto mapped = Directory({{7, Dev("by-id")}, {8, Dev("ttyUSB9")}, {33, Dev("ttyACM0")}, {101, Dev("ttyS10")}});
    // ttyUSB0 loses COM33; ttyUSB1 and ttyACM0 are not offered a second time.
    EXPECT_THAT(ReadAll(mapped), ElementsAre(Pair(Dev("ttyS0"), "COM1"), Pair(Dev("by-id"), "COM7"),
                                             Pair(Dev("ttyS10"), "COM11"), Pair(Dev("ttyACM0"), "COM33")));
    EXPECT_EQ(mapped.DevicePath(8), "") << "an absent device is no port";

    fs::remove(Dev("ttyS0"));
    EXPECT_EQ(ReadAll(system).front().second, "COM11") << "each look is a fresh one";
}

TEST_F(FakeSystem, AMappedDeviceGetsItsOwnNumberElseTheLowestFreeOne)
{
    auto directory = Directory({{2, Dev("absent")}});  // COM2 stays reserved while absent
    EXPECT_EQ(directory.MapDevice(Dev("ttyUSB0")), 33) << "a listed device keeps its number";
    EXPECT_FALSE(directory.IsMappedForThisRun(33));
    EXPECT_EQ(directory.MapDevice(Dev("custom")), 3);
    EXPECT_EQ(directory.MapDevice(root.Path("dev/./custom")), 3) << "the same device, named differently";
    EXPECT_EQ(directory.MapDevice(Dev("other")), 4);
    EXPECT_TRUE(directory.IsMappedForThisRun(3));
    EXPECT_THAT(ReadAll(directory)[1], Pair(Dev("custom"), "COM3"));
}

}  // namespace
}  // namespace fwut
