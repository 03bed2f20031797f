// The description file's two lines and the firmware file's date text.
#include "update/FirmwareDescription.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/update/UpdateTestSupport.h"

namespace fwut {
namespace {

TEST(FirmwareDate, TwelveHourDialWithBlankPaddedHourAndZeroFilledMinutes)
{
    const auto at = [](int month, int day, int year, int hour, int minute, int second) {
        std::tm t{};
        t.tm_year = year - 1900;
        t.tm_mon = month - 1;
        t.tm_mday = day;
        t.tm_hour = hour;
        t.tm_min = minute;
        t.tm_sec = second;
        return FormatFirmwareDate(t);
    };
    EXPECT_EQ(at(3, 7, 2024, 0, 30, 15), "     (3-7-2024,  0:30:15 AM)");
    EXPECT_EQ(at(12, 25, 1999, 12, 0, 0), "     (12-25-1999, 12:00:00 PM)");
    EXPECT_EQ(at(10, 1, 2005, 13, 45, 9), "     (10-1-2005,  1:45:09 PM)");
    EXPECT_EQ(at(1, 1, 2024, 23, 5, 1), "     (1-1-2024, 11:05:01 PM)");
}

TEST(DescriptionFile, TwoLinesKeptAsWrittenMissingOnesEmptyLongOnesCut)
{
    test::TempDir folder;
    const auto read = [&](const std::string& text) {
        return ReadDescriptionFile(folder.Write("FieldGatherer_MM_Psion.txt", text)).value_or(FirmwareDescription{});
    };
    const struct {
        std::string text;
        std::string version;
        std::string fileName;
    } cases[] = {
        {"2.40 (sample)\nFG_MM_sample.hex\nignored\n", "2.40 (sample)", "FG_MM_sample.hex"},
        {"  2.41  \r\n  FG MM.hex \r\n", "  2.41  ", "  FG MM.hex "},
        {"2.40\r\n", "2.40", ""},
        {"", "", ""},
        {std::string(5000, 'v') + "\n" + std::string(300, 'n'), std::string(4096, 'v'), std::string(300, 'n')},
    };
    for (const auto& c : cases) {
        const FirmwareDescription description = read(c.text);
        EXPECT_EQ(description.version, c.version) << c.text.substr(0, 30);
        EXPECT_EQ(description.fileName, c.fileName) << c.text.substr(0, 30);
    }
    EXPECT_FALSE(ReadDescriptionFile(folder.Path("missing.txt")).has_value());
    EXPECT_FALSE(OpenFirmwareFileDate(folder.Path("")).has_value()) << "the program folder is no firmware file";
}

}  // namespace
}  // namespace fwut
