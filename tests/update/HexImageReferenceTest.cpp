// The conversion checked against independent references: SRecord's srec_cat
// on generated files, and HEX files from real toolchains with known images.
#include "update/HexImage.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/update/UpdateTestSupport.h"
#include "tools/hexgen/HexGenerator.h"

namespace fwut {
namespace {

constexpr std::size_t kPage = 256;

std::string Sha256(const std::string& path)
{
    test::TempDir folder;
    const auto out = folder.Path("sum");
    if (test::Process("/usr/bin/sha256sum", {path}, out).Wait(std::chrono::seconds(30)) != 0)
        return "sha256sum did not run";
    return test::ReadText(out).substr(0, 64);
}

class SrecCatTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (std::string(FWUT_SREC_CAT).empty())
            GTEST_SKIP() << "srec_cat (package srecord) is not installed";
    }

    // srec_cat fills from address 0 up to the highest address written; ours
    // goes on to the end of that page, so its image is padded the same way.
    // Where records overlap, the later data wins in both.
    std::string SrecImage(const std::string& hex)
    {
        const auto bin = m_folder.Path("srec.bin");
        const int status =
            test::Process(FWUT_SREC_CAT,
                          {"-redundant-bytes=ignore", "-contradictory-bytes=ignore", "-disable-sequence-warnings", hex,
                           "-intel", "-fill", "0xFF", "0", "-maximum-address", hex, "-intel", "-o", bin, "-binary"},
                          m_folder.Path("srec.out"))
                .Wait(std::chrono::seconds(60));
        EXPECT_EQ(status, 0);
        auto image = test::ReadText(bin);
        image.resize((image.size() + kPage - 1) / kPage * kPage, '\xFF');
        return image;
    }

    void ExpectSameImage(const hexgen::HexGenOptions& options)
    {
        SCOPED_TRACE("seed " + std::to_string(options.seed) + ", " + std::to_string(options.pages) + " pages");
        const auto hex = m_folder.Write("random.hex", hexgen::GenerateHex(options));
        const auto image = m_folder.Path("Hex.tmp");
        ASSERT_EQ(test::ConvertAndRelease(hex, image), HexImageResult::Complete);
        const auto ours = test::ReadText(image);
        EXPECT_EQ(ours.size(), options.pages * kPage);
        EXPECT_TRUE(ours == SrecImage(hex));
    }

    test::TempDir m_folder;
};

TEST_F(SrecCatTest, RandomOverlappingRecordsOfEveryLengthInAnyOrder)
{
    for (unsigned seed = 1; seed <= 40; ++seed) {
        hexgen::HexGenOptions options;
        options.seed = seed;
        options.pages = 1 + (seed * 53) % 256;
        options.recordBytes = 1 + (seed * 7) % 93;
        options.fill = seed % 3 == 0;
        options.order = seed % 4 == 0 ? hexgen::RecordOrder::Descending : hexgen::RecordOrder::Shuffled;
        options.crlf = seed % 2 == 0;
        ExpectSameImage(options);
    }
}

struct RealHex {
    const char* name;
    const char* file;
    HexImageResult result;
    std::size_t pages;
    const char* sha256;  // of the image; none for a refused file
};

void PrintTo(const RealHex& hex, std::ostream* out)
{
    *out << hex.file;
}

class RealHexTest : public ::testing::TestWithParam<RealHex> { };

TEST_P(RealHexTest, GivesTheKnownImageOrNone)
{
    test::TempDir folder;
    const auto hex = std::string(FWUT_SOURCE_DIR) + "/tests/data/real-hex/" + GetParam().file;
    const auto image = folder.Path("Hex.tmp");
    ASSERT_EQ(test::ConvertAndRelease(hex, image), GetParam().result);
    EXPECT_EQ(test::ReadText(image).size(), GetParam().pages * kPage);
    if (GetParam().pages > 0) {
        EXPECT_EQ(Sha256(image), GetParam().sha256);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Toolchains, RealHexTest,
    ::testing::Values(RealHex{"Optiboot", "avr-optiboot-atmega328.hex", HexImageResult::Complete, 128,
                              "a0686f272d7ebe1cc836c7e2d9f46c1df4e4643a6909d352cb32dd4e87d7b58f"},
                      RealHex{"AtmegaBoot", "avr-atmegaboot-atmega328.hex", HexImageResult::Complete, 127,
                              "ba90eb0028407f350c85dd60b9774b92f952679061e8ae3fe541d0f45df4ff69"},
                      // An extended linear address record: the boot loader's address space has no upper half.
                      RealHex{"ExtendedLinearAddress", "with-extended-linear-address.hex",
                              HexImageResult::InvalidHexFile, 0, ""}),
    [](const auto& tested) { return std::string(tested.param.name); });

}  // namespace
}  // namespace fwut
