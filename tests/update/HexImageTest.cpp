// Conversion of hand-made HEX files: what makes a file invalid, how the image
// grows page by page, and that no image survives a failure.
#include "update/HexImage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "tests/update/UpdateTestSupport.h"

namespace fwut {
namespace {

using test::DataRecord;
using test::kEndRecord;
using test::Record;

constexpr std::size_t kPage = 256;

std::vector<std::uint8_t> Bytes(std::size_t count, std::uint8_t first = 0)
{
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<std::uint8_t>(first + i);
    return bytes;
}

std::string Lines(const std::vector<std::string>& lines, const char* end = "\n")
{
    std::string text;
    for (const auto& line : lines)
        text += line + end;
    return text;
}

class HexImageTest : public ::testing::Test {
protected:
    // The result, and the image's bytes (none when no image file is left).
    std::pair<HexImageResult, std::optional<std::string>> Convert(const std::string& hexText,
                                                                  const char* hexName = "firmware.hex")
    {
        const auto result = test::ConvertAndRelease(m_folder.Write(hexName, hexText), ImagePath());
        if (!std::filesystem::exists(ImagePath()))
            return {result, std::nullopt};
        return {result, test::ReadText(ImagePath())};
    }

    std::string ImagePath() const { return m_folder.Path("Hex.tmp"); }

    test::TempDir m_folder;
};

struct InvalidCase {
    const char* name;
    std::string text;
};

void PrintTo(const InvalidCase& invalid, std::ostream* out)
{
    *out << invalid.name;
}

std::string HexOfLength(std::size_t dataBytes)
{
    return DataRecord(0, Bytes(dataBytes));
}

std::string WithChecksum(std::string record, const char* checksum)
{
    record.replace(record.size() - 2, 2, checksum);
    return record;
}

const std::string kGood = DataRecord(0x0010, {0x01, 0x02, 0x03, 0x04});

std::vector<InvalidCase> InvalidCases()
{
    return {
        {"Empty", ""},
        {"MissingEndRecord", Lines({kGood})},
        {"LineWithoutColon", Lines({kGood, kGood.substr(1), kEndRecord})},
        {"LeadingBlank", Lines({" " + kGood, kEndRecord})},
        {"ExtendedLinearAddress", Lines({Record(0, 0x04, {0x00, 0x00}), kGood, kEndRecord})},
        {"StartLinearAddress", Lines({kGood, Record(0, 0x05, {0, 0, 0, 0}), kEndRecord})},
        {"ChecksumMismatch", Lines({WithChecksum(kGood, "00"), kEndRecord})},
        {"ShortDataRecord", Lines({":0400100001020304", kEndRecord})},
        {"RecordOf94Bytes", Lines({HexOfLength(94), kEndRecord})},
        {"RecordOf94BytesLastInFile", HexOfLength(94) + "\n"},
        {"BlankLineBeforeEnd", Lines({kGood, "", kEndRecord})},
        {"NonHexDataDigit", Lines({":0400100001G20304E2", kEndRecord})},
        {"NonHexEndRecordType", Lines({kGood, ":000000X1FF"})},
        {"CtrlZBeforeEndRecord", kGood + "\n\x1A" + kEndRecord + "\n"},
        {"CarriageReturnsOnly", Lines({kGood, kEndRecord}, "\r")},
        {"RecordCrossingTheTopByOneByte", Lines({DataRecord(0xFFF1, Bytes(16)), kEndRecord})},
    };
}

class InvalidHexTest : public HexImageTest, public ::testing::WithParamInterface<InvalidCase> { };

TEST_P(InvalidHexTest, IsRejectedAndLeavesNoImage)
{
    const auto [result, image] = Convert(GetParam().text);
    EXPECT_EQ(result, HexImageResult::InvalidHexFile);
    EXPECT_FALSE(image.has_value());
}

INSTANTIATE_TEST_SUITE_P(FailureTable, InvalidHexTest, ::testing::ValuesIn(InvalidCases()),
                         [](const auto& tested) { return std::string(tested.param.name); });

// Valid files: the image grows page by page from page 0, unwritten bytes
// blank, later records winning, segment records passed over unchecked.
struct ValidCase {
    const char* name;
    std::string text;
    std::size_t pages;
    std::vector<std::pair<std::size_t, int>> bytes;  // offset, value (-1: 0xFF)
};

void PrintTo(const ValidCase& valid, std::ostream* out)
{
    *out << valid.name;
}

std::vector<ValidCase> ValidCases()
{
    return {
        {"OnlyTheEndRecord", Lines({kEndRecord}), 1, {{0, -1}, {255, -1}}},
        {"LongestRecordCrLf", Lines({HexOfLength(93), kEndRecord}, "\r\n"), 1, {{0, 0}, {92, 92}, {93, -1}}},
        {"LowerCase", Lines({":04001000abcdeffa8b", kEndRecord}), 1, {{0x10, 0xAB}, {0x13, 0xFA}, {0x14, -1}}},
        {"DataOnlyInTheSecondPage",
         Lines({DataRecord(0x0100, Bytes(16, 0x40)), kEndRecord}),
         2,
         {{0, -1}, {0xFF, -1}, {0x100, 0x40}, {0x10F, 0x4F}, {0x110, -1}}},
        {"GapPagesStayBlank",
         Lines({DataRecord(0x0000, {0x11}), DataRecord(0x0400, {0x22}), kEndRecord}),
         5,
         {{0, 0x11}, {1, -1}, {0x3FF, -1}, {0x400, 0x22}, {0x401, -1}}},
        {"DescendingOrder",
         Lines({DataRecord(0x0400, {0x22}), DataRecord(0x0000, {0x11}), kEndRecord}),
         5,
         {{0, 0x11}, {0x400, 0x22}}},
        {"LaterRecordWins",
         Lines({DataRecord(0x10, {1, 2, 3, 4}), DataRecord(0x12, {9}), kEndRecord}),
         1,
         {{0x11, 2}, {0x12, 9}, {0x13, 4}}},
        {"SegmentRecordsSkippedUnchecked",
         Lines({Record(0, 0x02, {0x10, 0x00}), DataRecord(0x0020, {0x5A}),
                WithChecksum(Record(0, 0x02, {0x20, 0}), "00"), ":0400000312345678ZZ", kEndRecord}),
         1,
         {{0x20, 0x5A}}},
        {"NothingAfterTheEndRecordIsRead",
         Lines({DataRecord(0, {1}), ":00000001FF", DataRecord(0x0800, {2}), "junk"}),
         1,
         {{0, 1}}},
        {"RecordEndingAtTheTop", Lines({DataRecord(0xFFF0, Bytes(16)), kEndRecord}), 256, {{0xFFEF, -1}, {0xFFFF, 15}}},
    };
}

class ValidHexTest : public HexImageTest, public ::testing::WithParamInterface<ValidCase> { };

TEST_P(ValidHexTest, GivesWholePagesWithEveryByteInItsPlace)
{
    const auto [result, converted] = Convert(GetParam().text);
    ASSERT_EQ(result, HexImageResult::Complete);
    const std::string image = converted.value_or("");
    ASSERT_EQ(image.size(), GetParam().pages * kPage);
    for (const auto& [offset, value] : GetParam().bytes) {
        EXPECT_EQ(static_cast<unsigned char>(image[offset]), value < 0 ? 0xFF : value) << "offset " << offset;
    }
}

INSTANTIATE_TEST_SUITE_P(LayoutTable, ValidHexTest, ::testing::ValuesIn(ValidCases()),
                         [](const auto& tested) { return std::string(tested.param.name); });

TEST_F(HexImageTest, AFileThatCannotBeOpenedOrAHeldImageLeavesNoImage)
{
    EXPECT_EQ(test::ConvertAndRelease(m_folder.Path("missing.hex"), ImagePath()), HexImageResult::CannotOpenHexFile);
    EXPECT_FALSE(std::filesystem::exists(ImagePath()));
    files::TextFile reader;
    ASSERT_TRUE(reader.Open(m_folder.Write("held.hex", Lines({kGood, kEndRecord})), files::Access::Shared));
    const auto [result, image] = Convert(Lines({kGood, kEndRecord}), "held.hex");
    EXPECT_EQ(result, HexImageResult::CannotOpenHexFile) << "the conversion reads it exclusively";
    EXPECT_FALSE(image.has_value());
    reader.Close();

    files::BinaryFile holder;
    ASSERT_TRUE(holder.CreateExclusive(ImagePath()));
    EXPECT_EQ(Convert(Lines({kGood, kEndRecord})).first, HexImageResult::CannotCreateImage);
}

}  // namespace
}  // namespace fwut
