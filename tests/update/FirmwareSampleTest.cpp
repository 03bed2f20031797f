// The committed sample firmware folder: it reads and converts, and its README
// still tells the command that made its HEX file.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/update/UpdateTestSupport.h"
#include "update/FirmwareDescription.h"
#include "update/FirmwareTexts.h"
#include "update/HexImage.h"

namespace fwut {
namespace {

const std::string kSampleFolder = std::string(FWUT_SOURCE_DIR) + "/firmware-sample/";

TEST(FirmwareSampleTest, DescriptionNamesAHexFileThatConverts)
{
    const auto description = ReadDescriptionFile(kSampleFolder + std::string(kDescriptionFileName));
    ASSERT_TRUE(description.has_value());
    EXPECT_EQ(description->version, "2.40 (sample)");
    EXPECT_EQ(description->fileName, "FG_MM_sample.hex");
    EXPECT_TRUE(OpenFirmwareFileDate(kSampleFolder + description->fileName).has_value());

    test::TempFolder folder;
    const auto image = folder.Path("Hex.tmp");
    ASSERT_EQ(ConvertHexFileToImage(kSampleFolder + description->fileName, image), HexImageResult::Complete);
    EXPECT_EQ(test::ReadBytes(image).size(), 6 * kImagePageSize);
}

// The words of the README's "fwut-hexgen ..." line, the program name first.
std::vector<std::string> ReadmeCommand()
{
    std::ifstream readme(kSampleFolder + "README.md");
    for (std::string line; std::getline(readme, line);) {
        if (line.rfind("fwut-hexgen ", 0) != 0)
            continue;
        std::istringstream words(line);
        std::vector<std::string> command;
        for (std::string word; words >> word;)
            command.push_back(word);
        return command;
    }
    return {};
}

TEST(FirmwareSampleTest, ReadmeCommandRemakesTheHexFile)
{
    auto command = ReadmeCommand();
    ASSERT_FALSE(command.empty()) << "README.md has no fwut-hexgen line";
    command[0] = FWUT_HEXGEN;
    test::TempFolder folder;
    std::string committed;
    for (std::size_t i = 1; i + 1 < command.size(); ++i) {
        if (command[i] == "--output") {
            committed = kSampleFolder + command[i + 1];
            command[i + 1] = folder.Path("remade.hex");
        }
    }
    ASSERT_FALSE(committed.empty()) << "the README command names no --output file";
    ASSERT_EQ(test::RunProgram(command, "/dev/null"), 0);
    EXPECT_TRUE(test::ReadBytes(folder.Path("remade.hex")) == test::ReadBytes(committed));
}

}  // namespace
}  // namespace fwut
