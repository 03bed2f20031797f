// fwut-sim's command line: every option documented, usage errors refused.
#include "tools/sim/SimOptions.h"

#include <gtest/gtest.h>

namespace fwut::sim {
namespace {

TEST(SimCommandLine, HelpNamesEveryOption)
{
    const std::string help = UsageText();
    for (const char* option : {"--link",           "--transcript",   "--image-out",       "--once",
                               "--throttle",       "--answer-after", "--never-answer",    "--garbage-before-d0",
                               "--version",        "--no-version",   "--trickle-version", "--lf-after-cr",
                               "--no-ready",       "--ready-byte",   "--reject-page",     "--silent-at-page",
                               "--hangup-at-page", "--min-pause",    "--min-poll-gap",    "--help"})
        EXPECT_NE(help.find(std::string("  ") + option + " "), std::string::npos) << option;
}

TEST(SimCommandLine, FaultOptionsAreParsed)
{
    const ParsedCommandLine parsed =
        ParseCommandLine({"--link=/tmp/x", "--reject-page", "3:2", "--reject-page", "0:4", "--garbage-before-d0",
                          "0x55,aa", "--ready-byte", "40", "--hangup-at-page", "7", "--min-pause", "12"});
    ASSERT_EQ(parsed.error, "");
    const SimOptions& options = parsed.options;
    EXPECT_EQ(options.linkPath, "/tmp/x");
    EXPECT_EQ(options.rejectPages, (std::map<int, int>{{0, 4}, {3, 2}}));
    EXPECT_EQ(options.garbageBeforeD0, (std::vector<std::uint8_t>{0x55, 0xAA}));
    EXPECT_EQ(options.readyByte, '@');
    EXPECT_EQ(options.hangupPage, 7);
    EXPECT_EQ(options.minPause, 12);
}

TEST(SimCommandLine, UsageErrorsAreRefused)
{
    const std::vector<std::vector<std::string>> wrong = {
        {},
        {"--link", "/tmp/x", "--bogus"},
        {"--link"},
        {"--link", "/tmp/x", "--reject-page", "3"},
        {"--link", "/tmp/x", "--answer-after", "0"},
        {"--link", "/tmp/x", "--ready-byte", "4"},
        {"--link", "/tmp/x", "--garbage-before-d0", "5G"},
        {"--link", "/tmp/x", "--once=yes"},
    };
    for (const auto& args : wrong)
        EXPECT_NE(ParseCommandLine(args).error, "") << (args.empty() ? "(nothing)" : args.back());
}

}  // namespace
}  // namespace fwut::sim
