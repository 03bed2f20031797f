// The settings file on real folders: where it may make its folder, which file
// it leaves as the user made it, and what of a line survives a new value.
#include "platform/posix/IniSettingsStore.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/TempDir.h"

namespace fwut {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Pair;

constexpr uid_t kOtherUser = 65534;

class IniSettingsStoreTest : public ::testing::Test {
protected:
    IniSettingsStoreTest() { ::unsetenv("XDG_CONFIG_HOME"); }

    test::TempDir m_folder;
};

TEST_F(IniSettingsStoreTest, NoFolderIsMadeInsideAFolderOfAnotherUser)
{
    // Root with a user's HOME, as sudo keeps it.
    const fs::path home = m_folder.Path("home");
    fs::create_directory(home);
    ASSERT_EQ(::chown(home.c_str(), kOtherUser, kOtherUser), 0);
    ::setenv("HOME", home.c_str(), 1);
    IniSettingsStore store("fwut-update");
    EXPECT_FALSE(store.WriteProfileInt("Settings", "ComPort", 5));
    EXPECT_THAT(store.LastWriteProblem(), HasSubstr(home.string() + " is not a folder of yours"));
    EXPECT_FALSE(fs::exists(home / ".config"));
    fs::create_directory(home / ".config");
    ASSERT_EQ(::chown((home / ".config").c_str(), kOtherUser, kOtherUser), 0);
    EXPECT_FALSE(store.WriteProfileInt("Settings", "ComPort", 5));
    EXPECT_TRUE(fs::is_empty(home / ".config"));

    // Without HOME the user's home is the one the user database names, not "/".
    const passwd* other = ::getpwuid(kOtherUser);
    if (other == nullptr || ::geteuid() != 0) {
        GTEST_SKIP() << "no user " << kOtherUser << " to run as";
    }
    const std::string otherHome = other->pw_dir;
    EXPECT_EXIT(
        {
            ::unsetenv("HOME");
            if (::setgid(kOtherUser) != 0 || ::setuid(kOtherUser) != 0)
                std::exit(2);
            IniSettingsStore asOther("fwut-update");
            asOther.WriteProfileInt("Settings", "ComPort", 5);
            std::fprintf(stderr, "%s", asOther.LastWriteProblem().c_str());
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), HasSubstr(otherHome));
}

TEST_F(IniSettingsStoreTest, AReadOnlyFileStaysAndCommentsSurviveANewValue)
{
    ::setenv("XDG_CONFIG_HOME", m_folder.Path("").c_str(), 1);
    fs::create_directory(m_folder.Path("Fernhollow Systems"));
    const std::string text = "[Settings]\r\nComPort=5 ; the bench adapter\r\nRate=9600\t# fixed\r\n";
    const std::string path = m_folder.Write("Fernhollow Systems/fwut-update.conf", text);
    fs::permissions(path, fs::perms::owner_read);
    IniSettingsStore store("fwut-update");
    EXPECT_EQ(store.GetProfileInt("Settings", "ComPort", -1), 5);
    EXPECT_FALSE(store.WriteProfileInt("Settings", "ComPort", 7));
    EXPECT_THAT(store.LastWriteProblem(), HasSubstr("read-only"));
    EXPECT_EQ(test::ReadText(path), text);

    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_TRUE(store.WriteProfileInt("Settings", "ComPort", 7));
    EXPECT_TRUE(store.WriteProfileInt("Settings", "Rate", 19200));
    EXPECT_EQ(test::ReadText(path), "[Settings]\r\nComPort=7 ; the bench adapter\r\nRate=19200\t# fixed\r\n");
    EXPECT_EQ(store.GetProfileInt("Settings", "ComPort", -1), 7);
}

// A path in double quotes is taken whole, comment marks and all; one without
// quotes that a comment mark may have cut is refused, never taken shorter.
TEST_F(IniSettingsStoreTest, APathIsTakenWholeOrNotAtAll)
{
    ::setenv("XDG_CONFIG_HOME", m_folder.Path("").c_str(), 1);
    fs::create_directory(m_folder.Path("Fernhollow Systems"));
    const std::string path = m_folder.Write(
        "Fernhollow Systems/fwut-update.conf",
        "[Ports]\nCOM5=\"/dev/serial/by-id/relay #2\" ; the bench\nCOM6=/dev/serial/by-id/relay #2\n"
        "COM7=/dev/ttyUSB0 \n[Settings]\nRecordFile=/srv/records ;a/updates.jsonl\nOldRecord= ; none yet\n");
    IniSettingsStore store("fwut-update");
    EXPECT_THAT(store.ReadPortMap(), ElementsAre(Pair(5, "/dev/serial/by-id/relay #2"), Pair(7, "/dev/ttyUSB0")));
    EXPECT_EQ(store.GetProfileString("Settings", "RecordFile", "none"), "none");
    EXPECT_EQ(store.GetProfileString("Settings", "OldRecord", "none"), "");
    EXPECT_THAT(store.ReadProblems(), ElementsAre(HasSubstr("[Ports] entry COM6 is not used"),
                                                  HasSubstr("[Settings] entry RecordFile is not used")));
    EXPECT_TRUE(store.WriteProfileInt("Settings", "OldRecord", 5));
    EXPECT_EQ(store.GetProfileInt("Settings", "OldRecord", -1), 5) << "a value written before a comment";

    // Root with a user's HOME follows none of that user's paths: a file of
    // the user's, or root's own in a folder of the user's (a link there to
    // /proc/self/environ, which holds text of the user's).
    m_folder.Write("Fernhollow Systems/fwut-update.conf",
                   "[Ports]\nCOM7=/dev/watchdog\n[Settings]\nOldRecord=/etc/x\n");
    if (::geteuid() != 0) {
        GTEST_SKIP() << "files of another user's need root";
    }
    for (const std::string& owned : {path, m_folder.Path("Fernhollow Systems")}) {
        ASSERT_EQ(::chown(owned.c_str(), kOtherUser, kOtherUser), 0);
        IniSettingsStore asRoot("fwut-update");
        EXPECT_THAT(asRoot.ReadPortMap(), ElementsAre());
        EXPECT_EQ(asRoot.GetProfileString("Settings", "OldRecord", "none"), "none");
        EXPECT_THAT(asRoot.ReadProblems(), ElementsAre(HasSubstr("COM7 is not used: the settings file belongs to"),
                                                       HasSubstr("OldRecord is not used: the settings file belongs")));
        ASSERT_EQ(::chown(owned.c_str(), 0, 0), 0);
    }
}

}  // namespace
}  // namespace fwut
