// What the line, the console and the command line must never do to an
// update: a repeated answer byte taken for the next page's answer, a HEX file
// replaced under way sent as the old image, a stop that cuts the protocol's
// pauses short, a console that holds up the transfer, numbers read in
// another base, ports the window has no button for out of reach, another
// session's terminal written to or left raw.
#include "CliFixture.h"

#include <pty.h>
#include <sys/prctl.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>

namespace fwut::test {
namespace {

using LineIntegrity = CliFixture;

constexpr auto npos = std::string::npos;

TEST_F(LineIntegrity, ARepeatedAnswerByteStandsForNoOtherPage)
{
    StartSimulator({"--answer-after", "1", "--double-answer-at-page", "0", "--reject-page", "1:1"});
    EXPECT_EQ(RunCli(), 0) << CliOutput();
    EXPECT_EQ(SimulatorExit(), 0) << Sim().Transcript();
    EXPECT_EQ(ReadText(Sim().Image()), Converted((m_dir / "firmware" / "FW.hex").string(), m_dir / "expected.bin"));
}

// Written again with the same bytes (an editor that saves unchanged), the
// file is sent; with other bytes, nothing is.
TEST_F(LineIntegrity, AHexFileReplacedDuringTheWaitIsNotSentAsTheOldImage)
{
    for (const int seed : {11, 77}) {
        StartSimulator({"--answer-after", "4"});
        auto cli = StartCli();
        ASSERT_TRUE(AwaitOutput("Waiting for the module"));
        WriteFirmware(3, "new", seed);
        fs::rename(m_dir / "new" / "FW.hex", m_dir / "firmware" / "FW.hex");
        EXPECT_EQ(cli->Wait(30s), seed == 11 ? 0 : 3) << CliOutput();
        EXPECT_EQ(SimulatorExit(), 0) << Sim().Transcript();
        ExpectCleanEnd();
    }
    EXPECT_NE(CliOutput().find("The firmware hex file changed during the update"), npos) << CliOutput();
    EXPECT_EQ(Sim().Transcript().find("rx boot-loader request"), npos) << Sim().Transcript();
}

// The simulator judges the pause before "<W" as it judges every other; a stop
// at any moment of a page or of the relay's configuration must keep it.
TEST_F(LineIntegrity, AStopKeepsThePauseTheClosingCommandIsOwed)
{
    WriteFirmware(30);
    for (const int offsetMs : {0, 7, 14, 21, 28, 45}) {
        // At the wire's pace, so that the stop lands in a write's drain as often as in a pause.
        StartSimulator({"--answer-after", "1", "--throttle"});
        auto cli = StartCli();
        ASSERT_TRUE(AwaitTranscript("page 3 header")) << Sim().Transcript();
        std::this_thread::sleep_for(std::chrono::milliseconds(offsetMs));
        cli->Signal(offsetMs % 3 == 0 ? SIGINT : (offsetMs % 3 == 1 ? SIGTERM : SIGQUIT));
        EXPECT_EQ(cli->Wait(3s), 11) << CliOutput();
        EXPECT_EQ(SimulatorExit(), 0) << "stopped " << offsetMs << " ms after a page began\n" << Sim().Transcript();
        ExpectCleanEnd();
    }
    StartSimulator({"--never-answer"});
    auto cli = StartCli();
    ASSERT_TRUE(AwaitTranscript("first configuration command")) << Sim().Transcript();
    cli->Signal(SIGHUP);
    EXPECT_EQ(cli->Wait(3s), 10) << CliOutput();
    EXPECT_EQ(SimulatorExit(), 0) << Sim().Transcript();
}

TEST_F(LineIntegrity, AnOutputNobodyReadsHoldsUpNeitherTheTransferNorTheStop)
{
    WriteFirmware(12);
    for (const bool stop : {false, true}) {
        int ends[2];
        ASSERT_EQ(::pipe(ends), 0);
        ::fcntl(ends[1], F_SETFL, O_NONBLOCK);
        const std::string block(4096, 'x');
        while (::write(ends[1], block.data(), block.size()) > 0) { }
        ::fcntl(ends[1], F_SETFL, 0);
        StartSimulator({"--answer-after", "1"});
        Process cli(kCli, {"update", "--device", Sim().Link(), "--dir", (m_dir / "firmware").string()}, ends[1]);
        ::close(ends[1]);
        if (stop) {
            ASSERT_TRUE(AwaitTranscript("page 4 header")) << Sim().Transcript();
            cli.Signal(SIGTERM);
        }
        EXPECT_EQ(cli.Wait(30s), stop ? 11 : 0);
        EXPECT_EQ(SimulatorExit(), 0) << Sim().Transcript();
        ExpectCleanEnd();
        ::close(ends[0]);
    }
}

TEST_F(LineIntegrity, NumbersAreDecimalAndEveryInstalledPortIsReachable)
{
    std::ofstream settings(SettingsPath());
    settings << "[Ports]\n";
    std::vector<int> terminals;
    for (int n = 1; n <= 30; ++n) {
        int master = -1;
        int slave = -1;
        ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
        settings << "COM" << n << "=" << ::ttyname(slave) << "\n";
        terminals.insert(terminals.end(), {master, slave});
    }
    StartSimulator({"--answer-after", "1"}, "sim", false);
    settings << "COM90=" << Sim().Link() << "\n";
    settings.close();
    const std::string folder = (m_dir / "firmware").string();
    EXPECT_EQ(RunCliWith({"update", "--port", "0x5a", "--dir", folder}), 2) << CliOutput();
    EXPECT_NE(CliOutput().find("decimal"), npos) << CliOutput();
    EXPECT_EQ(RunCliWith({"update", "--port", "090", "--wait-timeout", "010", "--dir", folder}), 0) << CliOutput();
    EXPECT_EQ(RunCliWith({"ports"}), 0);
    EXPECT_NE(CliOutput().find("COM90  " + Sim().Link() + "   (last successful update)   (not in the window"), npos)
        << CliOutput();
    for (const int fd : terminals) {
        ::close(fd);
    }
}

TEST_F(LineIntegrity, AnotherSessionsTerminalIsRefusedAndALineIsLeftAsItWas)
{
    int master = -1;
    int slave = -1;
    ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    const std::string terminal = ::ttyname(slave);
    // A program that names itself with escape sequences.
    const pid_t shell = ::fork();
    if (shell == 0) {
        ::setsid();
        ::ioctl(slave, TIOCSCTTY, 0);
        ::prctl(PR_SET_NAME, "\x1b]0;x\x07sh");
        ::pause();
        ::_exit(127);
    }
    for (int i = 0; i < 400 && ::tcgetsid(master) != shell; ++i) {
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_EQ(RunCliWith({"update", "--device", terminal, "--dir", (m_dir / "firmware").string()}), 4);
    EXPECT_NE(CliOutput().find("another program's session (\\x1B]0;x\\x07sh, process " + std::to_string(shell)), npos)
        << CliOutput();
    EXPECT_EQ(CliOutput().find('\x1b'), npos);
    ::kill(shell, SIGKILL);
    ::waitpid(shell, nullptr, 0);
    ::close(slave);
    ::close(master);

    StartSimulator({"--answer-after", "1"}, "sim", false);
    const int line = ::open(Sim().Link().c_str(), O_RDWR | O_NOCTTY);
    termios cooked{};
    ASSERT_EQ(::tcgetattr(line, &cooked), 0);
    cooked.c_lflag |= ICANON | ECHO | ISIG;
    cooked.c_oflag |= OPOST;
    ASSERT_EQ(::tcsetattr(line, TCSANOW, &cooked), 0);
    EXPECT_EQ(RunCli(), 0) << CliOutput();
    termios after{};
    ASSERT_EQ(::tcgetattr(line, &after), 0);
    EXPECT_EQ(after.c_lflag, cooked.c_lflag);
    EXPECT_EQ(after.c_oflag, cooked.c_oflag);
    EXPECT_EQ(after.c_iflag, cooked.c_iflag);
    ::close(line);
}

}  // namespace
}  // namespace fwut::test
