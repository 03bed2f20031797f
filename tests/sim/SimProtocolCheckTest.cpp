// fwut-sim catches a program that breaks the protocol: each case makes one
// mistake and expects exactly one protocol error, naming it, and exit status 1.
#include "tests/sim/SimHarness.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>

namespace fwut::simtest {
namespace {

// The rate commands, correct, so that what follows is judged on its own.
// (After a frame it cannot read, the simulator skips bytes up to the next
// pause; the frame cases end with SIGTERM rather than rely on a "<W" after it.)
void playRateCommands(ProgramSide& program)
{
    program.write("\x1B$:U9");
    pause(35);
    program.setRate(19200);
    program.write("\x1B$:U9");
    pause(35);
    program.setRate(57600);
    pause(35);
}

TEST(SimProtocolCheck, FrameWithWrongFixedHeaderByte)
{
    TempDir dir;
    SimProcess sim(dir, {});
    ProgramSide program(sim.link());
    playRateCommands(program);
    Bytes frame = relayFrame({0xC0});
    frame[9] = 0x12;
    program.write(frame);
    pause(50);
    sim.signal(SIGTERM);
    expectOnlyProtocolError(sim, "frame byte 9 is 12, the fixed header needs 11");
}

TEST(SimProtocolCheck, FrameWhoseLengthDigitsDoNotFitItsPayload)
{
    TempDir dir;
    SimProcess sim(dir, {});
    ProgramSide program(sim.link());
    playRateCommands(program);
    Bytes frame = relayFrame({0xC0});
    frame[6] = '7';
    program.write(frame);
    pause(50);
    sim.signal(SIGTERM);
    expectOnlyProtocolError(sim, "frame length digits 17 do not fit the payload length 1");
}

TEST(SimProtocolCheck, SecondRateCommandAtTheWorkingRate)
{
    TempDir dir;
    SimProcess sim(dir, {"--once"});
    ProgramSide program(sim.link());
    program.write("\x1B$:U9");
    pause(35);
    program.write("\x1B$:U9");
    pause(65);
    program.write("<W");
    expectOnlyProtocolError(sim, "rate command arrived at 57600, expected 19200 baud 8N1");
}

TEST(SimProtocolCheck, PageDataWithoutPauseAfterItsHeader)
{
    TempDir dir;
    SimProcess sim(dir, {"--once", "--answer-after", "1"});
    ProgramSide program(sim.link());
    ASSERT_EQ(playUntilModuleAnswers(program), Bytes{0xD0});
    ASSERT_EQ(requestBootLoader(program), bytesOf("FG-DMM-2.32\r!"));
    EXPECT_EQ(sendPage(program, 0, testPage(1), 0), '!');
    finishUpdate(program);
    expectOnlyProtocolError(sim, "page 0 data frame 1 (86 bytes) came");
}

// A throttled wire delivers the data frames (322 bytes) and the checksum
// frame (23 bytes) of a page no faster than 57600 baud allows: written 20 ms
// after the header, they are through only some 60 ms later, so the answer
// cannot come before then (unthrottled it would come right after sendPage's
// own 65 ms of pauses). On the wire the checksum thus follows the data
// without its pause, yet the pauses between the program's writes are the
// ones judged.
TEST(SimProtocolCheck, ThrottledWirePacesTheAnswerButJudgesThePausesOfTheWrites)
{
    TempDir dir;
    SimProcess sim(dir, {"--once", "--answer-after", "1", "--throttle"});
    ProgramSide program(sim.link());
    ASSERT_EQ(playUntilModuleAnswers(program), Bytes{0xD0});
    ASSERT_EQ(requestBootLoader(program), bytesOf("FG-DMM-2.32\r!"));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(sendPage(program, 0, testPage(1)), '!');
    // The first of the 345 bytes is through as it arrives, each other one byte time later.
    const double earliestAnswerMs = 20 + (322 + 23 - 1) * 10 * 1000.0 / 57600;
    const std::chrono::duration<double, std::milli> answeredAfter = std::chrono::steady_clock::now() - start;
    EXPECT_GE(answeredAfter.count(), earliestAnswerMs);
    finishUpdate(program);
    EXPECT_EQ(sim.waitForExit(std::chrono::seconds(10)), 0) << sim.transcript();
}

}  // namespace
}  // namespace fwut::simtest
