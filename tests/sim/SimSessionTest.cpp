// Whole update sessions against fwut-sim, played byte for byte as the update
// program plays them.
#include "tests/sim/SimHarness.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>

namespace fwut::simtest {
namespace {

bool exists(const std::string& path)
{
    struct stat info { };
    return lstat(path.c_str(), &info) == 0;
}

TEST(SimSession, OnePageUpdateIsAnsweredAndFlashed)
{
    TempDir dir;
    SimProcess sim(dir, {"--once", "--answer-after", "1", "--image-out", dir.path("image.bin")});
    ProgramSide program(sim.link());

    EXPECT_EQ(playUntilModuleAnswers(program), Bytes{0xD0});
    EXPECT_EQ(requestBootLoader(program), bytesOf("FG-DMM-2.32\r!"));
    const Bytes page = testPage(3);
    EXPECT_EQ(sendPage(program, 0, page), '!');
    finishUpdate(program);

    EXPECT_EQ(sim.waitForExit(milliseconds(5000)), 0);
    EXPECT_EQ(bytesOf(readFile(dir.path("image.bin"))), page);
    const std::string transcript = sim.transcript();
    EXPECT_EQ(countProtocolErrors(transcript), 0) << transcript;
    EXPECT_EQ(lastLine(transcript), "summary: 1 session, 1 completed, 0 protocol errors");
    EXPECT_FALSE(exists(sim.link()));
}

TEST(SimSession, RejectedPageIsAcceptedOnItsFifthTransmission)
{
    TempDir dir;
    SimProcess sim(dir,
                   {"--once", "--answer-after", "1", "--reject-page", "0:4", "--version", "FG-DMM-2.31", "--image-out",
                    dir.path("image.bin")});
    ProgramSide program(sim.link());

    ASSERT_EQ(playUntilModuleAnswers(program), Bytes{0xD0});
    EXPECT_EQ(requestBootLoader(program), bytesOf("FG-DMM-2.31\r!"));
    const Bytes page = testPage(0x80);
    std::string answers;
    for (int transmission = 0; transmission < 5; ++transmission)
        answers += static_cast<char>(sendPage(program, 0, page));
    EXPECT_EQ(answers, "@@@@!");
    finishUpdate(program);

    EXPECT_EQ(sim.waitForExit(milliseconds(5000)), 0) << sim.transcript();
    EXPECT_EQ(bytesOf(readFile(dir.path("image.bin"))), page);
}

// Without --once the simulator serves one start after another: a cancelled
// wait, a start that stopped after its rate commands (a failed firmware check
// sends no "<W"), and a start cut short by SIGTERM.
TEST(SimSession, ServesSessionAfterSessionUntilTerminated)
{
    TempDir dir;
    SimProcess sim(dir, {"--never-answer"});
    {
        ProgramSide program(sim.link());
        playStart(program);
        program.sendPacket({0xC0});
        pause(50);
        program.write("<W");
        pause(200);
    }
    ProgramSide program(sim.link());
    program.write("\x1B$:U9");
    pause(35);
    program.setRate(19200);
    program.write("\x1B$:U9");
    pause(35);
    program.setRate(57600);
    pause(35);
    program.write("\x1B$:U9");
    pause(50);

    sim.signal(SIGTERM);
    EXPECT_EQ(sim.waitForExit(milliseconds(5000)), 0);
    const std::string transcript = sim.transcript();
    EXPECT_NE(transcript.find("session 1: closed by \"<W\" while waiting for the module"), std::string::npos)
        << transcript;
    EXPECT_NE(transcript.find("session 2: abandoned"), std::string::npos) << transcript;
    EXPECT_NE(transcript.find("session 3: unfinished"), std::string::npos) << transcript;
    EXPECT_EQ(lastLine(transcript), "summary: 3 sessions, 0 completed, 0 protocol errors") << transcript;
    EXPECT_FALSE(exists(sim.link()));
}

}  // namespace
}  // namespace fwut::simtest
