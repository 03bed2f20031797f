// The POSIX files backend on real files in a private temporary folder.
#include "platform/Files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/TempDir.h"

namespace fwut::files {
namespace {

namespace fs = std::filesystem;
using test::ReadText;

class FilesTest : public ::testing::Test {
protected:
    std::string PathOf(const std::string& name) const { return m_dir.Path(name); }
    std::string Write(const std::string& name, const std::string& bytes) const { return m_dir.Write(name, bytes); }

    test::TempDir m_dir;
};

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
    EXPECT_EQ(ReadText(victim), "precious");
    EXPECT_FALSE(fs::exists(PathOf("not-yet.txt")));
    if (::geteuid() == 0) {
        const auto others = Write("others.tmp", "someone else's");
        ASSERT_EQ(::chown(others.c_str(), 65534, 65534), 0);
        EXPECT_FALSE(file.CreateExclusive(others));
        EXPECT_EQ(ReadText(others), "someone else's");
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
    EXPECT_EQ(ReadText(PathOf("Hex.tmp")), "another program's");
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
