// The Windows files backend on real files in a private temporary folder.
#include <gtest/gtest.h>

#include <ctime>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/Win32Types.h"

namespace fwut::files {
namespace {

class Win32Files : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = TemporaryFolder() + "fwut-files-" + std::to_string(::GetCurrentProcessId()) + "\\";
        ASSERT_TRUE(::CreateDirectoryA(m_dir.c_str(), nullptr));
    }
    void TearDown() override
    {
        for (const std::string& path : m_written) {
            ::DeleteFileA(path.c_str());
        }
        ::RemoveDirectoryA(m_dir.c_str());
    }

    std::string Write(const std::string& name, const std::string& bytes)
    {
        const std::string path = m_dir + name;
        std::ofstream(path, std::ios::binary) << bytes;
        m_written.push_back(path);
        return path;
    }

    static std::vector<std::string> Lines(const std::string& path, std::size_t limit)
    {
        TextFile file;
        EXPECT_TRUE(file.Open(path, Access::Shared));
        std::vector<std::string> lines;
        std::string line;
        while (file.ReadLine(line, limit)) {
            lines.push_back(line);
        }
        return lines;
    }

    std::string m_dir;
    std::vector<std::string> m_written;
};

TEST_F(Win32Files, TextReadsFollowTheRuntimesTextMode)
{
    const std::string path = Write("lines.txt", "one\r\ntwo\nthree\rfour\r\n\x1A" "after");
    EXPECT_EQ(Lines(path, 100), (std::vector<std::string>{"one\n", "two\n", "three\rfour\n"}));
    EXPECT_EQ(Lines(path, 3), (std::vector<std::string>{"one", "\n", "two", "\n", "thr", "ee\r", "fou", "r\n"}));
}

TEST_F(Win32Files, AnExclusiveOpenKeepsEveryOtherOpenerOut)
{
    const std::string path = Write("held.txt", "x\n");
    TextFile holder;
    ASSERT_TRUE(holder.Open(path, Access::Exclusive));
    TextFile other;
    EXPECT_FALSE(other.Open(path, Access::Shared));
    BinaryFile binary;
    EXPECT_FALSE(binary.OpenExclusive(path));
    holder.Close();
    EXPECT_TRUE(other.Open(path, Access::Shared));
}

TEST_F(Win32Files, AFolderIsNotATextFile)
{
    TextFile file;
    EXPECT_FALSE(file.Open(m_dir, Access::Shared));
}

TEST_F(Win32Files, CreateEmptiesAnOldImageAndTheImageReadsBack)
{
    const std::string path = Write("Hex.tmp", std::string(600, 'x'));
    BinaryFile image;
    ASSERT_TRUE(image.CreateExclusive(path));
    EXPECT_EQ(image.Length(), 0u);
    const std::string bytes = "0123456789";
    EXPECT_EQ(image.Write(bytes.data(), bytes.size()), bytes.size());
    ASSERT_TRUE(image.Seek(4));
    char back[4] = {};
    EXPECT_EQ(image.Read(back, sizeof back), 4u);
    EXPECT_EQ(std::string(back, 4), "4567");
    EXPECT_EQ(image.Length(), 10u);
    image.Close();
    Delete(path);
    EXPECT_FALSE(Exists(path));
}

TEST_F(Win32Files, TheModificationTimeIsInLocalTime)
{
    const std::string path = Write("dated.txt", "x");
    const std::time_t now = std::time(nullptr);
    const std::tm expected = *std::localtime(&now);
    const auto modified = ModificationTimeLocal(path);
    ASSERT_TRUE(modified.has_value());
    EXPECT_EQ(modified->tm_year, expected.tm_year);
    EXPECT_EQ(modified->tm_mon, expected.tm_mon);
    EXPECT_EQ(modified->tm_mday, expected.tm_mday);
    EXPECT_FALSE(ModificationTimeLocal(m_dir + "missing.txt").has_value());
}

TEST_F(Win32Files, TheFoldersEndInABackslash)
{
    const std::string temporary = TemporaryFolder();
    ASSERT_FALSE(temporary.empty());
    EXPECT_EQ(temporary.back(), '\\');
    EXPECT_TRUE(Exists(temporary));
    const std::string program = ProgramFolder();
    ASSERT_FALSE(program.empty());
    EXPECT_EQ(program.back(), '\\');
    EXPECT_TRUE(Exists(program + "fwut_win32_tests.exe"));
}

}  // namespace
}  // namespace fwut::files
