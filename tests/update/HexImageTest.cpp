// Conversion of hand-made HEX files: what makes a file invalid, how the image
// grows page by page, and that no image survives a failure.
#include "update/HexImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "tools/hexgen/HexGenerator.h"
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

bool AllBlank(const std::string& image, std::size_t from, std::size_t to)
{
    return std::all_of(image.begin() + static_cast<std::ptrdiff_t>(from),
                       image.begin() + static_cast<std::ptrdiff_t>(to), [](char c) { return c == '\xFF'; });
}

class HexImageTest : public ::testing::Test {
protected:
    struct Outcome {
        HexImageResult result;
        std::optional<std::string> image;
    };

    Outcome Convert(const std::string& hexText)
    {
        const auto hex = m_folder.Write("firmware.hex", hexText);
        return ConvertTo(hex);
    }

    Outcome ConvertTo(const std::string& hexPath)
    {
        const auto result = ConvertHexFileToImage(hexPath, ImagePath());
        std::optional<std::string> image;
        if (files::Exists(ImagePath()))
            image = test::ReadBytes(ImagePath());
        return {result, image};
    }

    // The image of a file that must convert.
    std::string Image(const std::string& hexText)
    {
        const auto outcome = Convert(hexText);
        EXPECT_EQ(outcome.result, HexImageResult::Complete);
        return outcome.image.value_or("");
    }

    std::string ImagePath() const { return m_folder.Path("Hex.tmp"); }

    test::TempFolder m_folder;
};

struct InvalidCase {
    const char* name;
    std::string text;
};

void PrintTo(const InvalidCase& invalid, std::ostream* out) { *out << invalid.name; }

std::string HexOfLength(std::size_t dataBytes) { return DataRecord(0, Bytes(dataBytes)); }

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
        {"UnknownType", Lines({Record(0, 0x10, {}), kEndRecord})},
        {"ChecksumMismatch", Lines({WithChecksum(kGood, "00"), kEndRecord})},
        {"ShortDataRecord", Lines({":0400100001020304", kEndRecord})},
        {"ChecksumCutInHalf", Lines({kGood.substr(0, kGood.size() - 1), kEndRecord})},
        {"CountLongerThanLine", Lines({":10001000010203", kEndRecord})},
        {"HeaderCut", Lines({":04001", kEndRecord})},
        {"RecordOf94Bytes", Lines({HexOfLength(94), kEndRecord})},
        {"RecordOf94BytesLastInFile", HexOfLength(94) + "\n"},
        {"BlankLineBeforeEnd", Lines({kGood, "", kEndRecord})},
        {"BlankLineBeforeEndCrLf", Lines({kGood, "", kEndRecord}, "\r\n")},
        {"NonHexDataDigit", Lines({":0400100001G20304E2", kEndRecord})},
        {"BlankInsteadOfDigit", Lines({":04001000 1020304E2", kEndRecord})},
        {"SignInsteadOfDigit", Lines({":04001000+1020304E2", kEndRecord})},
        {"NonHexCount", Lines({":0G00100001020304E2", kEndRecord})},
        {"NonHexAddress", Lines({":04001X0001020304E2", kEndRecord})},
        {"NonHexType", Lines({":040010z001020304E2", kEndRecord})},
        {"NonHexChecksum", Lines({":0400100001020304EZ", kEndRecord})},
        {"NonHexEndRecordType", Lines({kGood, ":000000X1FF"})},
        {"CtrlZBeforeEndRecord", kGood + "\n\x1A" + kEndRecord + "\n"},
        {"CarriageReturnsOnly", Lines({kGood, kEndRecord}, "\r")},
    };
}

class InvalidHexTest : public HexImageTest, public ::testing::WithParamInterface<InvalidCase> {};

TEST_P(InvalidHexTest, IsRejectedAndLeavesNoImage)
{
    const auto outcome = Convert(GetParam().text);
    EXPECT_EQ(outcome.result, HexImageResult::InvalidHexFile);
    EXPECT_FALSE(outcome.image.has_value());
}

INSTANTIATE_TEST_SUITE_P(FailureTable, InvalidHexTest, ::testing::ValuesIn(InvalidCases()),
                         [](const auto& tested) { return std::string(tested.param.name); });

TEST_F(HexImageTest, LongestRecordIsAccepted)
{
    const auto record = HexOfLength(93);
    ASSERT_EQ(record.size(), 197u);
    const auto image = Image(Lines({record, kEndRecord}, "\r\n"));
    ASSERT_EQ(image.size(), kPage);
    const auto data = Bytes(93);
    EXPECT_EQ(image.substr(0, 93), std::string(data.begin(), data.end()));
    EXPECT_TRUE(AllBlank(image, 93, kPage));
}

TEST_F(HexImageTest, EitherLetterCaseAndEitherLineEnd)
{
    const std::vector<std::string> upper{DataRecord(0x00AB, {0xAB, 0xCD, 0xEF, 0xFA}), kEndRecord};
    std::vector<std::string> lower = upper;
    for (auto& c : lower[0])
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const auto expected = Image(Lines(upper));
    EXPECT_EQ(expected.substr(0xAB, 4), "\xAB\xCD\xEF\xFA");
    EXPECT_EQ(Image(Lines(lower)), expected);
    EXPECT_EQ(Image(Lines(lower, "\r\n")), expected);
}

TEST_F(HexImageTest, DataOnlyInSecondPage)
{
    const auto image = Image(Lines({DataRecord(0x0100, Bytes(16, 0x40)), kEndRecord}));
    ASSERT_EQ(image.size(), 2 * kPage);
    EXPECT_TRUE(AllBlank(image, 0, kPage));
    EXPECT_EQ(image[0x100], '\x40');
    EXPECT_EQ(image[0x10F], '\x4F');
    EXPECT_TRUE(AllBlank(image, 0x110, 2 * kPage));
}

TEST_F(HexImageTest, GapPagesStayBlank)
{
    const auto image = Image(Lines({DataRecord(0x0000, {0x11}), DataRecord(0x0400, {0x22}), kEndRecord}));
    ASSERT_EQ(image.size(), 1280u);
    EXPECT_EQ(image[0], '\x11');
    EXPECT_TRUE(AllBlank(image, 1, 0x400));
    EXPECT_EQ(image[0x400], '\x22');
    EXPECT_TRUE(AllBlank(image, 0x401, 1280));
}

TEST_F(HexImageTest, OnlyTheEndRecordGivesOneBlankPage)
{
    const auto image = Image(Lines({kEndRecord}));
    ASSERT_EQ(image.size(), kPage);
    EXPECT_TRUE(AllBlank(image, 0, kPage));
}

TEST_F(HexImageTest, RecordOrderDoesNotMatterWithoutOverlap)
{
    hexgen::HexGenOptions options;
    options.pages = 5;
    options.seed = 77;
    options.recordBytes = 24;
    options.fill = true;
    const auto ascending = Image(hexgen::GenerateHex(options));
    options.order = hexgen::RecordOrder::Descending;
    const auto descending = hexgen::GenerateHex(options);
    ASSERT_EQ(descending.substr(0, 3), ":08");  // the short record at the top comes first
    EXPECT_EQ(ascending.size(), 5 * kPage);
    EXPECT_EQ(Image(descending), ascending);
}

TEST_F(HexImageTest, LaterRecordWins)
{
    const auto image = Image(Lines({DataRecord(0x10, {1, 2, 3, 4}), DataRecord(0x12, {9}), kEndRecord}));
    EXPECT_EQ(image.substr(0x10, 4), std::string("\x01\x02\x09\x04", 4));
}

TEST_F(HexImageTest, SegmentRecordsAreSkippedUnchecked)
{
    const auto image = Image(Lines({
        Record(0, 0x02, {0x10, 0x00}),
        DataRecord(0x0020, {0x5A}),
        WithChecksum(Record(0, 0x02, {0x20, 0x00}), "00"),
        ":0400000312345678ZZ",
        ":02000002",
        kEndRecord,
    }));
    ASSERT_EQ(image.size(), kPage);
    EXPECT_EQ(image[0x20], '\x5A');
}

TEST_F(HexImageTest, NothingAfterTheEndRecordIsRead)
{
    const auto expected = Image(Lines({DataRecord(0, {1}), kEndRecord}));
    const auto image = Image(Lines({DataRecord(0, {1}), ":00000001FF", DataRecord(0x0800, {2}), "not a record",
                                    Record(0, 0x04, {0, 0})}));
    EXPECT_EQ(image, expected);
}

TEST_F(HexImageTest, EndRecordEndsTheFileWhateverItsOtherFields)
{
    EXPECT_EQ(Image(Lines({":0512340100"})).size(), kPage);
}

// Addresses are 16-bit but the offset of a byte is address plus index, so a
// record that starts near the top runs on past 64 KiB instead of wrapping.
TEST_F(HexImageTest, RecordCrossingTheTopOfTheAddressSpaceRunsOn)
{
    const auto image = Image(Lines({DataRecord(0xFFF8, Bytes(16)), kEndRecord}));
    ASSERT_EQ(image.size(), 257 * kPage);
    EXPECT_EQ(image[0xFFFF], '\x07');
    EXPECT_EQ(image[0x10000], '\x08');
}

TEST_F(HexImageTest, StaleImageIsReplaced)
{
    m_folder.Write("Hex.tmp", std::string(3 * kPage, '\0'));
    EXPECT_EQ(Image(Lines({DataRecord(0, {7}), kEndRecord})).size(), kPage);

    m_folder.Write("Hex.tmp", std::string(3 * kPage, '\0'));
    EXPECT_FALSE(Convert(Lines({DataRecord(0, {7})})).image.has_value());
}

TEST_F(HexImageTest, UnsafeImagePathCannotBeCreated)
{
    const auto victim = m_folder.Write("victim", "keep me");
    std::filesystem::create_symlink(victim, ImagePath());
    const auto outcome = Convert(Lines({kGood, kEndRecord}));
    EXPECT_EQ(outcome.result, HexImageResult::CannotCreateImage);
    EXPECT_EQ(test::ReadBytes(victim), "keep me");
    EXPECT_TRUE(std::filesystem::is_symlink(ImagePath()));

    const auto hex = m_folder.Write("firmware.hex", Lines({kGood, kEndRecord}));
    EXPECT_EQ(ConvertHexFileToImage(hex, m_folder.Path("no-such-folder/Hex.tmp")), HexImageResult::CannotCreateImage);
}

TEST_F(HexImageTest, UnreadableHexFileLeavesNoImage)
{
    EXPECT_EQ(ConvertTo(m_folder.Path("missing.hex")).result, HexImageResult::CannotOpenHexFile);
    EXPECT_FALSE(files::Exists(ImagePath()));

    // An empty firmware name leaves only the program folder as the path.
    EXPECT_EQ(ConvertTo(m_folder.Path("")).result, HexImageResult::CannotOpenHexFile);
    EXPECT_FALSE(files::Exists(ImagePath()));

    const auto hex = m_folder.Write("firmware.hex", Lines({kGood, kEndRecord}));
    files::TextFile holder;
    ASSERT_TRUE(holder.Open(hex, files::Access::Shared));
    const auto outcome = ConvertTo(hex);
    EXPECT_EQ(outcome.result, HexImageResult::CannotOpenHexFile);
    EXPECT_FALSE(outcome.image.has_value());
    holder.Close();
    EXPECT_EQ(ConvertTo(hex).result, HexImageResult::Complete);
}

TEST_F(HexImageTest, BusyImageCannotBeCreated)
{
    files::BinaryFile holder;
    ASSERT_TRUE(holder.CreateExclusive(ImagePath()));
    EXPECT_EQ(Convert(Lines({kGood, kEndRecord})).result, HexImageResult::CannotCreateImage);
}

}  // namespace
}  // namespace fwut
