// The Windows files backend on real files in a private temporary folder.
#include <gtest/gtest.h>

#include <fstream>
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

TEST_F(Win32Files, TheImageIsHeldUntilItsHolderDeletesIt)
{
    const std::string path = Write("Hex.tmp", std::string(600, 'x'));
    BinaryFile image;
    ASSERT_TRUE(image.CreateExclusive(path));
    EXPECT_EQ(image.Length(), 0u);
    EXPECT_EQ(image.Write("0123456789", 10), 10u);
    ASSERT_TRUE(image.Seek(4));
    char back[4] = {};
    EXPECT_EQ(image.Read(back, sizeof back), 4u);
    EXPECT_EQ(std::string(back, 4), "4567");
    BinaryFile second;
    EXPECT_FALSE(second.CreateExclusive(path)) << "a second update cannot take it";
    EXPECT_TRUE(SameFile(path, m_dir + ".\\Hex.tmp")) << "another name of the same file, though it is held";
    image.DeleteAndClose();
    EXPECT_FALSE(Exists(path));
}

}  // namespace
}  // namespace fwut::files
