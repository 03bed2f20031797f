// fwut-sim's fault injection: the faulty module behaviours that the update
// program must survive, and the program's mistakes in reacting to them.
#include "tests/sim/SimHarness.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace fwut::simtest {
namespace {

TEST(SimFault, HangUpAtPageClosesTheLine)
{
    TempDir dir;
    SimProcess sim(dir, {"--answer-after", "1", "--hangup-at-page", "1"});
    ProgramSide program(sim.link());
    ASSERT_EQ(playUntilModuleAnswers(program), Bytes{0xD0});
    ASSERT_EQ(requestBootLoader(program), bytesOf("FG-DMM-2.32\r!"));
    ASSERT_EQ(sendPage(program, 0, testPage(5)), '!');
    program.sendPacket({0x00, 0x01});

    EXPECT_TRUE(program.hangsUp(milliseconds(2000)));
    EXPECT_EQ(sim.waitForExit(milliseconds(5000)), 0);
    struct stat info { };
    EXPECT_NE(lstat(sim.link().c_str(), &info), 0);
    EXPECT_NE(sim.transcript().find("hung up (--hangup-at-page)"), std::string::npos) << sim.transcript();
}

TEST(SimFault, PageThatIsNeverAnswered)
{
    TempDir dir;
    SimProcess sim(dir, {"--once", "--answer-after", "1", "--silent-at-page", "0"});
    ProgramSide program(sim.link());
    ASSERT_EQ(playUntilModuleAnswers(program), Bytes{0xD0});
    ASSERT_EQ(requestBootLoader(program), bytesOf("FG-DMM-2.32\r!"));
    const Bytes page = testPage(9);
    program.sendPacket({0x00, 0x00});
    pause(20);
    program.sendPacket(page);
    pause(20);
    program.sendPacket({checksumOf(page)});
    EXPECT_EQ(program.read(1, milliseconds(300)), Bytes{});
    program.write("<W");
    EXPECT_EQ(sim.waitForExit(milliseconds(5000)), 0) << sim.transcript();
}

// Noise before the D0, and a line feed after the version's carriage return
// (then a wrong ready byte), which a correct program reads as a wrong ready
// byte and gives up on. This program goes on with page 0 instead, and is caught.
TEST(SimFault, GarbageBeforeD0AndLineFeedInPlaceOfTheReadyByte)
{
    TempDir dir;
    SimProcess sim(
        dir, {"--once", "--answer-after", "1", "--garbage-before-d0", "55 AA", "--lf-after-cr", "--ready-byte", "3F"});
    ProgramSide program(sim.link());
    EXPECT_EQ(playUntilModuleAnswers(program), (Bytes{0x55, 0xAA, 0xD0}));
    EXPECT_EQ(requestBootLoader(program, 14), bytesOf("FG-DMM-2.32\r\n?"));
    sendPage(program, 0, testPage(7));
    program.write("<W");

    expectOnlyProtocolError(sim, "page 0 header although a line feed came where the ready byte belongs");
}

}  // namespace
}  // namespace fwut::simtest
