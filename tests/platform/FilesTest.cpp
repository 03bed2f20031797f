// The POSIX files backend on real files in a private temporary folder.
#include "platform/Files.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace fwut::files {
namespace {

namespace fs = std::filesystem;

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "fwut-files-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(m_dir, ignored);
    }

    std::string PathOf(const std::string& name) const { return (m_dir / name).string(); }

    std::string Write(const std::string& name, const std::string& bytes) const
    {
        const auto path = PathOf(name);
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    static std::string Contents(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // Every line that ReadLine delivers with the given limit, until the end.
    static std::vector<std::string> Lines(const std::string& path, std::size_t limit)
    {
        TextFile file;
        EXPECT_TRUE(file.Open(path, Access::Shared));
        std::vector<std::string> lines;
        std::string line;
        while (file.ReadLine(line, limit))
            lines.push_back(line);
        return lines;
    }

    fs::path m_dir;
};

using TextFileTest = FilesTest;

TEST_F(TextFileTest, CrLfAndLfFilesReadAlike)
{
    const auto crlf = Write("crlf.txt", "first\r\nsecond\r\n\r\nlast");
    const auto lf = Write("lf.txt", "first\nsecond\n\nlast");
    const std::vector<std::string> expected{"first\n", "second\n", "\n", "last"};
    EXPECT_EQ(Lines(crlf, 199), expected);
    EXPECT_EQ(Lines(lf, 199), expected);
}

TEST_F(TextFileTest, LimitCountsCrLfAsOneCharacter)
{
    const std::string record(198, 'A');
    const auto path = Write("fits.txt", record + "\r\n" + "next\r\n");
    const std::vector<std::string> expected{record + "\n", "next\n"};
    EXPECT_EQ(Lines(path, 199), expected);
}

TEST_F(TextFileTest, LongerLineIsReadInPieces)
{
    const std::string record(199, 'B');
    const std::vector<std::string> expected{record, "\n", "next\n"};
    EXPECT_EQ(Lines(Write("crlf.txt", record + "\r\nnext\r\n"), 199), expected);
    EXPECT_EQ(Lines(Write("lf.txt", record + "\nnext\n"), 199), expected);

    const std::vector<std::string> thirds{"abc", "def", "\n"};
    EXPECT_EQ(Lines(Write("small.txt", "abcdef\r\n"), 3), thirds);
}

TEST_F(TextFileTest, LoneCrStaysACharacter)
{
    const auto path = Write("cr.txt", std::string("a\rb\r\r\nc\r"));
    const std::vector<std::string> expected{"a\rb\r\n", "c\r"};
    EXPECT_EQ(Lines(path, 199), expected);
}

TEST_F(TextFileTest, Byte1AEndsTheFile)
{
    const std::vector<std::string> expected{"one\n", "two"};
    EXPECT_EQ(Lines(Write("eof.txt", "one\r\ntwo\x1Athree\r\n"), 199), expected);
    EXPECT_EQ(Lines(Write("eof-after-cr.txt", "x\r\x1A\n"), 199), std::vector<std::string>{"x\r"});
    EXPECT_TRUE(Lines(Write("eof-first.txt", "\x1A:00000001FF\n"), 199).empty());
}

TEST_F(TextFileTest, MissingFileOrFolderCannotBeOpened)
{
    TextFile file;
    EXPECT_FALSE(file.Open(PathOf("missing.txt"), Access::Shared));
    EXPECT_FALSE(file.Open(m_dir.string(), Access::Shared));
    EXPECT_FALSE(file.Open(m_dir.string() + "/", Access::Exclusive));
    EXPECT_FALSE(file.IsOpen());
}

TEST_F(FilesTest, ExclusiveOpenFailsWhileAnotherHoldsTheFile)
{
    const auto path = Write("held.hex", ":00000001FF\n");
    TextFile holder;
    ASSERT_TRUE(holder.Open(path, Access::Exclusive));

    TextFile text;
    BinaryFile binary;
    EXPECT_FALSE(text.Open(path, Access::Exclusive));
    EXPECT_FALSE(text.Open(path, Access::Shared));
    EXPECT_FALSE(binary.OpenExclusive(path));
    EXPECT_FALSE(binary.CreateExclusive(path));
    EXPECT_EQ(Contents(path), ":00000001FF\n");

    holder.Close();
    EXPECT_TRUE(text.Open(path, Access::Exclusive));
    EXPECT_FALSE(binary.OpenExclusive(path));
    text.Close();
    EXPECT_TRUE(binary.OpenExclusive(path));
}

TEST_F(FilesTest, SharedOpensMayOverlap)
{
    const auto path = Write("shared.txt", "text\n");
    TextFile first;
    TextFile second;
    EXPECT_TRUE(first.Open(path, Access::Shared));
    EXPECT_TRUE(second.Open(path, Access::Shared));
    TextFile exclusive;
    EXPECT_FALSE(exclusive.Open(path, Access::Exclusive));
}

using BinaryFileTest = FilesTest;

TEST_F(BinaryFileTest, CreateEmptiesOwnFileAndKeepsItPrivate)
{
    const auto path = Write("Hex.tmp", "old contents");
    BinaryFile file;
    ASSERT_TRUE(file.CreateExclusive(path));
    EXPECT_EQ(file.Length(), 0u);

    EXPECT_EQ(file.Write("0123456789", 10), 10u);
    ASSERT_TRUE(file.Seek(4));
    EXPECT_EQ(file.Write("xy", 2), 2u);
    ASSERT_TRUE(file.Seek(2));
    char buffer[16] = {};
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 8u);
    EXPECT_EQ(std::string(buffer, 8), "23xy6789");
    EXPECT_EQ(file.Length(), 10u);
    file.Close();

    const auto fresh = PathOf("fresh.tmp");
    ASSERT_TRUE(file.CreateExclusive(fresh));
    struct stat st {};
    ASSERT_EQ(::stat(fresh.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(BinaryFileTest, CreateRefusesSymbolicLink)
{
    const auto target = Write("victim.txt", "precious");
    const auto link = PathOf("Hex.tmp");
    fs::create_symlink(target, link);

    BinaryFile file;
    EXPECT_FALSE(file.CreateExclusive(link));
    EXPECT_FALSE(file.OpenExclusive(link));
    EXPECT_EQ(Contents(target), "precious");
    EXPECT_TRUE(fs::is_symlink(link));

    const auto dangling = PathOf("dangling.tmp");
    fs::create_symlink(PathOf("not-yet.txt"), dangling);
    EXPECT_FALSE(file.CreateExclusive(dangling));
    EXPECT_FALSE(fs::exists(PathOf("not-yet.txt")));
}

TEST_F(BinaryFileTest, CreateRefusesAnotherUsersFile)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can give a file to another user";
    const auto path = Write("Hex.tmp", "someone else's");
    ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
    BinaryFile file;
    EXPECT_FALSE(file.CreateExclusive(path));
    EXPECT_EQ(Contents(path), "someone else's");
}

TEST_F(BinaryFileTest, CreateRefusesFileWithASecondName)
{
    const auto path = Write("Hex.tmp", "linked");
    fs::create_hard_link(path, PathOf("watcher"));
    BinaryFile file;
    EXPECT_FALSE(file.CreateExclusive(path));
    EXPECT_EQ(Contents(PathOf("watcher")), "linked");
}

TEST_F(BinaryFileTest, CreateRefusesFolder)
{
    fs::create_directory(PathOf("Hex.tmp"));
    BinaryFile file;
    EXPECT_FALSE(file.CreateExclusive(PathOf("Hex.tmp")));
    EXPECT_FALSE(file.OpenExclusive(PathOf("Hex.tmp")));
}

TEST_F(FilesTest, ExistsAndDelete)
{
    const auto path = Write("Hex.tmp", "x");
    EXPECT_TRUE(Exists(path));
    Delete(path);
    EXPECT_FALSE(Exists(path));
    Delete(path);
    Delete(PathOf("never/there"));

    const auto dangling = PathOf("dangling");
    fs::create_symlink(PathOf("nowhere"), dangling);
    EXPECT_TRUE(Exists(dangling));
    Delete(dangling);
    EXPECT_FALSE(Exists(dangling));
}

TEST_F(FilesTest, ModificationTimeIsLocalTime)
{
    const auto path = Write("dated.hex", "x");
    const std::time_t when = 1700000000;
    fs::last_write_time(path, fs::file_time_type::clock::from_sys(std::chrono::system_clock::from_time_t(when)));
    std::tm expected{};
    ASSERT_NE(::localtime_r(&when, &expected), nullptr);

    auto local = ModificationTimeLocal(path);
    ASSERT_TRUE(local.has_value());
    EXPECT_EQ(std::mktime(&*local), when);
    EXPECT_EQ(local->tm_hour, expected.tm_hour);
    EXPECT_FALSE(ModificationTimeLocal(PathOf("missing")).has_value());
}

// Restores one environment variable when the test ends.
class ScopedEnv {
public:
    explicit ScopedEnv(const char* name) : m_name(name)
    {
        if (const char* value = std::getenv(name))
            m_saved = value;
    }
    ~ScopedEnv()
    {
        if (m_saved)
            ::setenv(m_name, m_saved->c_str(), 1);
        else
            ::unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_saved;
};

TEST(FilesFolderTest, TemporaryFolderEndsInSlash)
{
    ScopedEnv restore("TMPDIR");
    ::setenv("TMPDIR", "/var/tmp/user one", 1);
    EXPECT_EQ(TemporaryFolder(), "/var/tmp/user one/");
    ::setenv("TMPDIR", "/scratch/", 1);
    EXPECT_EQ(TemporaryFolder(), "/scratch/");
}

TEST(FilesFolderTest, WithoutTmpdirTheTemporaryFolderIsTheUsersOwn)
{
    ScopedEnv restoreTmpdir("TMPDIR");
    ScopedEnv restoreRuntime("XDG_RUNTIME_DIR");
    ::unsetenv("TMPDIR");
    ::setenv("XDG_RUNTIME_DIR", "/tmp", 1);  // shared with everyone: not taken
    const std::string own = "/tmp/fwut-" + std::to_string(::geteuid()) + "/";
    EXPECT_EQ(TemporaryFolder(), own);
    struct stat st {};
    ASSERT_EQ(::lstat(own.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 077, 0u) << "others may not enter it";
    EXPECT_EQ(st.st_uid, ::geteuid());
}

TEST(FilesFolderTest, ProgramFolderHoldsTheRunningProgram)
{
    const auto folder = ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.front(), '/');
    EXPECT_EQ(folder.back(), '/');
    const auto program = fs::read_symlink("/proc/self/exe").filename().string();
    EXPECT_TRUE(fs::equivalent(folder + program, "/proc/self/exe"));
}

}  // namespace
}  // namespace fwut::files
