// fwut-cli update end to end: the real program against fwut-sim on a real
// pseudo-terminal, in real time. Every outcome must end with "<W" as the last
// thing sent, no temporary image left, the saved port written only on
// success, and the documented exit code.
#include "CliFixture.h"

namespace fwut::test {
namespace {

using CliUpdate = CliFixture;

// A device the port map names keeps its number, which is saved.
TEST_F(CliUpdate, AnImageArrivesAsTheConversionMadeItThroughRejectionsAndThePortIsSaved)
{
    WriteFirmware(40);
    StartSimulator({"--answer-after", "2", "--reject-page", "7:4"});
    std::ofstream(SettingsPath()) << "[Ports]\nCOM7=" << Sim().Link() << "\n";
    EXPECT_EQ(RunCli(), 0) << CliOutput();
    EXPECT_EQ(SimulatorExit(), 0) << Sim().Transcript();
    ExpectCleanEnd();
    EXPECT_EQ(ReadText(Sim().Image()), Converted((m_dir / "firmware" / "FW.hex").string(), m_dir / "expected.bin"));
    const std::string output = CliOutput();
    EXPECT_NE(output.find("Sending firmware page  40  of  40"), std::string::npos) << output;
    EXPECT_NE(output.find("[Firmware Update Complete]\nThe FieldGatherer Mobile Module firmware has been "
                          "successfully updated.     "),
              std::string::npos);
    EXPECT_NE(SavedSettings().find("ComPort=7"), std::string::npos) << SavedSettings();
}

// Failure kinds and their exit codes are the dialog tests' and the repeated
// updates' concern; an adapter that vanishes shows only on a real line.
TEST_F(CliUpdate, AnAdapterUnpluggedInTheTransferEndsItAsNoResponse)
{
    SavePort(9);
    StartSimulator({"--answer-after", "1", "--hangup-at-page", "1"});
    EXPECT_EQ(RunCli(), 5) << CliOutput();
    EXPECT_NE(CliOutput().find("[Firmware Update Error]\nNo response from the"), std::string::npos) << CliOutput();
    EXPECT_TRUE(fs::is_empty(m_dir / "tmp"));
    EXPECT_NE(SavedSettings().find("ComPort=9"), std::string::npos) << "a failure saves nothing";
}

TEST_F(CliUpdate, CtrlCWhileWaitingCancels)
{
    StartSimulator({"--never-answer"});
    auto cli = StartCli();
    ASSERT_TRUE(AwaitOutput("Waiting for the module"));
    std::this_thread::sleep_for(600ms);
    cli->Signal(SIGINT);
    EXPECT_EQ(cli->Wait(10s), 10) << CliOutput();
    EXPECT_EQ(SimulatorExit(), 0) << Sim().Transcript();
    ExpectCleanEnd();
}

// The holder is named, and marked in the port list.
TEST_F(CliUpdate, APortHeldByAnotherProgramIsExplained)
{
    StartSimulator({"--never-answer"});
    SavePort(7);
    std::ofstream(SettingsPath(), std::ios::app) << "[Ports]\nCOM7=" << Sim().Link() << "\n";
    Process holder("/usr/bin/flock", {"--no-fork", "--exclusive", Sim().Link(), "sleep", "30"},
                   (m_dir / "holder.out").string());
    for (int i = 0; i < 400 && ReadText("/proc/locks").find(std::to_string(holder.Pid())) == std::string::npos; ++i) {
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_EQ(RunCli(), 4) << CliOutput();
    const std::string output = CliOutput();
    EXPECT_NE(output.find("[Firmware Update Error]\nUnable to open serial port COM"), std::string::npos) << output;
    const std::string named = "is held by sleep (process " + std::to_string(holder.Pid()) + ", user root)";
    EXPECT_NE(output.find(named), std::string::npos) << output;
    EXPECT_EQ(RunCliWith({"ports"}), 0);
    EXPECT_NE(CliOutput().find("(in use by sleep (process " + std::to_string(holder.Pid())), std::string::npos)
        << CliOutput();
    holder.Signal(SIGKILL);
}

TEST_F(CliUpdate, AWaitThatLastsTooLongIsCancelledAndAMissingFolderIsAFirmwareFileProblem)
{
    StartSimulator({"--never-answer"});
    EXPECT_EQ(RunCliWith({"update", "--device", Sim().Link(), "--dir", (m_dir / "nowhere").string()}), 3)
        << CliOutput();
    EXPECT_NE(CliOutput().find("Unable to open the firmware description file:"), std::string::npos);
    EXPECT_EQ(RunCli({"--wait-timeout", "2"}), 10) << CliOutput();
    EXPECT_EQ(SimulatorExit(), 0);
    ExpectCleanEnd();
}

}  // namespace
}  // namespace fwut::test
