// The description file's two lines and the firmware file's date text.
#include "update/FirmwareDescription.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "tests/update/UpdateTestSupport.h"

namespace fwut {
namespace {

std::tm At(int year, int month, int day, int hour, int minute, int second)
{
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

TEST(FirmwareDateTest, TwelveHourDialWithBlankPaddedHour)
{
    EXPECT_EQ(FormatFirmwareDate(At(2024, 3, 7, 0, 30, 15)), "     (3-7-2024,  0:30:15 AM)");
    EXPECT_EQ(FormatFirmwareDate(At(1999, 12, 25, 12, 0, 0)), "     (12-25-1999, 12:00:00 PM)");
    EXPECT_EQ(FormatFirmwareDate(At(2005, 10, 1, 13, 45, 9)), "     (10-1-2005,  1:45:09 PM)");
}

TEST(FirmwareDateTest, HoursAroundNoonAndMidnight)
{
    EXPECT_EQ(FormatFirmwareDate(At(2024, 1, 1, 11, 59, 59)), "     (1-1-2024, 11:59:59 AM)");
    EXPECT_EQ(FormatFirmwareDate(At(2024, 1, 1, 23, 5, 1)), "     (1-1-2024, 11:05:01 PM)");
    EXPECT_EQ(FormatFirmwareDate(At(2024, 1, 1, 9, 0, 0)), "     (1-1-2024,  9:00:00 AM)");
}

class DescriptionFileTest : public ::testing::Test {
protected:
    std::optional<FirmwareDescription> Read(const std::string& text)
    {
        return ReadDescriptionFile(m_folder.Write("FieldGatherer_MM_Psion.txt", text));
    }

    test::TempFolder m_folder;
};

TEST_F(DescriptionFileTest, VersionAndFileName)
{
    const auto lf = Read("2.40 (sample)\nFG_MM_sample.hex\nignored\n");
    ASSERT_TRUE(lf.has_value());
    EXPECT_EQ(lf->version, "2.40 (sample)");
    EXPECT_EQ(lf->fileName, "FG_MM_sample.hex");

    const auto crlf = Read("2.40 (sample)\r\nFG_MM_sample.hex\r\nignored\r\n");
    ASSERT_TRUE(crlf.has_value());
    EXPECT_EQ(crlf->version, lf->version);
    EXPECT_EQ(crlf->fileName, lf->fileName);
}

TEST_F(DescriptionFileTest, BlanksAreKept)
{
    const auto description = Read("  2.41  \r\n  FG MM.hex \r\n");
    ASSERT_TRUE(description.has_value());
    EXPECT_EQ(description->version, "  2.41  ");
    EXPECT_EQ(description->fileName, "  FG MM.hex ");
}

TEST_F(DescriptionFileTest, MissingLinesAreEmpty)
{
    const auto versionOnly = Read("2.40\r\n");
    ASSERT_TRUE(versionOnly.has_value());
    EXPECT_EQ(versionOnly->version, "2.40");
    EXPECT_EQ(versionOnly->fileName, "");

    const auto noLineEnd = Read("2.40");
    ASSERT_TRUE(noLineEnd.has_value());
    EXPECT_EQ(noLineEnd->fileName, "");

    const auto empty = Read("");
    ASSERT_TRUE(empty.has_value());
    EXPECT_EQ(empty->version, "");
    EXPECT_EQ(empty->fileName, "");
}

TEST_F(DescriptionFileTest, LongLinesAreReadWhole)
{
    const std::string name(1000, 'n');
    const auto description = Read("v\n" + name + "\n");
    ASSERT_TRUE(description.has_value());
    EXPECT_EQ(description->fileName, name);
}

TEST_F(DescriptionFileTest, MissingFileOrFolderCannotBeRead)
{
    EXPECT_FALSE(ReadDescriptionFile(m_folder.Path("FieldGatherer_MM_Psion.txt")).has_value());
    EXPECT_FALSE(ReadDescriptionFile(m_folder.Path("")).has_value());
}

TEST(FirmwareFileDateTest, DateOfAnOpenableFileOnly)
{
    test::TempFolder folder;
    const auto hex = folder.Write("FG_MM.hex", ":00000001FF\n");
    const std::time_t when = 1262304000;
    std::filesystem::last_write_time(
        hex, std::filesystem::file_time_type::clock::from_sys(std::chrono::system_clock::from_time_t(when)));

    auto date = OpenFirmwareFileDate(hex);
    ASSERT_TRUE(date.has_value());
    EXPECT_EQ(std::mktime(&*date), when);
    EXPECT_FALSE(OpenFirmwareFileDate(folder.Path("missing.hex")).has_value());
    // An empty file name names the program folder, which is no firmware file.
    EXPECT_FALSE(OpenFirmwareFileDate(folder.Path("")).has_value());
}

}  // namespace
}  // namespace fwut
