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

TEST_F(FilesTest, TextReadsFollowTheWindowsRuntimesTextMode)
{
    const std::string record(198, 'A');
    const struct {
        std::string bytes;
        std::size_t limit;
        std::vector<std::string> lines;
    } cases[] = {
        {"first\r\nsecond\r\n\r\nlast", 199, {"first\n", "second\n", "\n", "last"}},
        {"first\nsecond\n\nlast", 199, {"first\n", "second\n", "\n", "last"}},
        {record + "\r\nnext\r\n", 199, {record + "\n", "next\n"}},  // CR LF counts as one character
        {record + "B\r\nnext\n", 199, {record + "B", "\n", "next\n"}},  // the rest of a longer line
        {"a\rb\r\r\nc\r", 199, {"a\rb\r\n", "c\r"}},
        {"one\r\ntwo\x1Athree\r\n", 199, {"one\n", "two"}},  // Ctrl-Z ends the file
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Lines(Write("text.txt", c.bytes), c.limit), c.lines) << c.bytes.substr(0, 20);
    }
    TextFile file;
    EXPECT_FALSE(file.Open(PathOf("missing.txt"), Access::Shared));
    EXPECT_FALSE(file.Open(m_dir.string(), Access::Shared)) << "a folder is no text file";
}

TEST_F(FilesTest, AnExclusiveHolderKeepsEveryOtherOpenerOut)
{
    const auto path = Write("held.hex", ":00000001FF\n");
    TextFile holder;
    ASSERT_TRUE(holder.Open(path, Access::Exclusive));
    TextFile text;
    BinaryFile binary;
    EXPECT_FALSE(text.Open(path, Access::Shared));
    EXPECT_FALSE(binary.CreateExclusive(path));
    EXPECT_EQ(Contents(path), ":00000001FF\n");
    holder.Close();
    EXPECT_TRUE(text.Open(path, Access::Shared));
    TextFile second;
    EXPECT_TRUE(second.Open(path, Access::Shared)) << "shared opens may overlap";
}

TEST_F(FilesTest, CreateEmptiesOnlyAPlainPrivateFileOfTheUsersOwn)
{
    const auto path = Write("Hex.tmp", "old contents");
    BinaryFile file;
    ASSERT_TRUE(file.CreateExclusive(path));
    EXPECT_EQ(file.Length(), 0u);
    EXPECT_EQ(file.Write("0123456789", 10), 10u);
    ASSERT_TRUE(file.Seek(2));
    char buffer[16] = {};
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 8u);
    file.Close();
    ASSERT_TRUE(file.CreateExclusive(PathOf("fresh.tmp")));
    EXPECT_EQ(fs::status(PathOf("fresh.tmp")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);

    const auto victim = Write("victim.txt", "precious");
    fs::create_symlink(victim, PathOf("link.tmp"));
    fs::create_symlink(PathOf("not-yet.txt"), PathOf("dangling.tmp"));
    fs::create_hard_link(victim, PathOf("second-name.tmp"));
    fs::create_directory(PathOf("folder.tmp"));
    for (const char* refused : {"link.tmp", "dangling.tmp", "second-name.tmp", "folder.tmp"}) {
        EXPECT_FALSE(file.CreateExclusive(PathOf(refused))) << refused;
    }
    EXPECT_EQ(Contents(victim), "precious");
    EXPECT_FALSE(fs::exists(PathOf("not-yet.txt")));
    if (::geteuid() == 0) {
        const auto others = Write("others.tmp", "someone else's");
        ASSERT_EQ(::chown(others.c_str(), 65534, 65534), 0);
        EXPECT_FALSE(file.CreateExclusive(others));
        EXPECT_EQ(Contents(others), "someone else's");
    }
}

TEST_F(FilesTest, DeletingRemovesOnlyTheFileThisObjectHolds)
{
    BinaryFile image;
    ASSERT_TRUE(image.CreateExclusive(PathOf("Hex.tmp")));
    image.DeleteAndClose();
    EXPECT_FALSE(fs::exists(PathOf("Hex.tmp")));

    ASSERT_TRUE(image.CreateExclusive(PathOf("Hex.tmp")));
    fs::rename(PathOf("Hex.tmp"), PathOf("moved.tmp"));
    Write("Hex.tmp", "another program's");
    image.DeleteAndClose();
    EXPECT_EQ(Contents(PathOf("Hex.tmp")), "another program's");
}

TEST_F(FilesTest, ModificationTimeIsLocalTime)
{
    const auto path = Write("dated.hex", "x");
    const std::time_t when = 1700000000;
    fs::last_write_time(path, fs::file_time_type::clock::from_sys(std::chrono::system_clock::from_time_t(when)));
    auto local = ModificationTimeLocal(path);
    ASSERT_TRUE(local.has_value());
    EXPECT_EQ(std::mktime(&*local), when);
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

TEST(FilesFolderTest, TheTemporaryFolderIsTmpdirElseTheUsersOwn)
{
    ScopedEnv restoreTmpdir("TMPDIR");
    ScopedEnv restoreRuntime("XDG_RUNTIME_DIR");
    ::setenv("TMPDIR", "/var/tmp/user one", 1);
    EXPECT_EQ(TemporaryFolder(), "/var/tmp/user one/");
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
    const auto program = fs::read_symlink("/proc/self/exe").filename().string();
    EXPECT_TRUE(fs::equivalent(ProgramFolder() + program, "/proc/self/exe"));
}

}  // namespace
}  // namespace fwut::files
