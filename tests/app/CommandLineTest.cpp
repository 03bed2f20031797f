#include <gtest/gtest.h>

#include "app/CommandLine.h"

namespace fwut {
namespace {

std::int8_t OverrideFrom(const std::string& commandLine)
{
    std::int8_t port = -1;
    CCommandLine(port).ParseArguments(SplitCommandLine(commandLine));
    return port;
}

TEST(CommandLine, TheLastValidCSwitchSelectsAPortFrom1To100)
{
    EXPECT_EQ(OverrideFrom("fwut.exe /C5"), 5);
    EXPECT_EQ(OverrideFrom("fwut.exe -C5"), 5);
    EXPECT_EQ(OverrideFrom("fwut.exe /C100"), 100);
    EXPECT_EQ(OverrideFrom("fwut.exe /C1"), 1);
    EXPECT_EQ(OverrideFrom("fwut.exe /C7x"), 7);
    EXPECT_EQ(OverrideFrom("fwut.exe /C 12"), -1);
    EXPECT_EQ(OverrideFrom("fwut.exe \"/C  +9\""), 9);
    EXPECT_EQ(OverrideFrom("fwut.exe /C3 -C8"), 8) << "the last valid switch wins";
    EXPECT_EQ(OverrideFrom("fwut.exe /C3 /C0 /C101"), 3);
    for (const char* ignored : {"fwut.exe /c5", "fwut.exe /C0", "fwut.exe /C101", "fwut.exe /C", "fwut.exe C5",
                                "fwut.exe /C-3", "fwut.exe /C99999999999999999999", "fwut.exe /X5"}) {
        EXPECT_EQ(OverrideFrom(ignored), -1) << ignored;
    }
}

TEST(CommandLine, ArgumentsSplitAsTheCRuntimeSplitsThem)
{
    EXPECT_EQ(SplitCommandLine("\"C:\\Program Files\\FWUT\\FWUT.exe\" /C5  -x"),
              (std::vector<std::string>{"C:\\Program Files\\FWUT\\FWUT.exe", "/C5", "-x"}));
    EXPECT_EQ(SplitCommandLine("a.exe \"one two\" three\\\\\"four five\" 6\\\"7 \\\\x"),
              (std::vector<std::string>{"a.exe", "one two", "three\\four five", "6\"7", "\\\\x"}));
    EXPECT_EQ(SplitCommandLine("a.exe"), (std::vector<std::string>{"a.exe"}));
}

TEST(CommandLine, ProgramPathAndFolderFollowTheWindowsRules)
{
    EXPECT_EQ(ProgramPathFromCommandLine("\"C:\\Program Files\\FWUT\\FWUT.exe\" /C5"),
              "C:\\Program Files\\FWUT\\FWUT.exe");
    EXPECT_EQ(ProgramPathFromCommandLine("\"  C:\\Tools\\FWUT.exe\""), "C:\\Tools\\FWUT.exe");
    EXPECT_EQ(ProgramPathFromCommandLine("C:\\Tools\\FWUT.exe /C5 x"), "C:\\Tools\\FWUT.exe");
    EXPECT_EQ(ProgramPathFromCommandLine("FWUT.exe"), "FWUT.exe");
    EXPECT_EQ(ProgramPathFromCommandLine("\"C:\\Tools\\FWUT.exe"), "");

    EXPECT_EQ(FolderOfPath("C:\\Program Files\\FWUT\\FWUT.exe", '\\'), "C:\\Program Files\\FWUT\\");
    EXPECT_EQ(FolderOfPath("FWUT.exe", '\\'), "");
    EXPECT_EQ(FolderOfPath("/opt/fwut/fwut-update", '/'), "/opt/fwut/");
}

}  // namespace
}  // namespace fwut
