// fwut-cli update end to end: the real program against fwut-sim on a real
// pseudo-terminal, in real time. Every outcome must end with "<W" as the last
// thing sent, no temporary image left, the saved port written only on
// success, and the documented exit code.
#include <gtest/gtest.h>

#include <sys/file.h>

#include <filesystem>
#include <fstream>

#include "Process.h"

namespace fwut::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::string kBinaryDir = FWUT_BINARY_DIR;
const std::string kCli = kBinaryDir + "/app/cli/fwut-cli";
const std::string kSim = kBinaryDir + "/tools/sim/fwut-sim";
const std::string kHexGen = kBinaryDir + "/tools/hexgen/fwut-hexgen";

class CliUpdate : public ::testing::Test {
protected:
    CliUpdate()
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        static const fs::path temporaryFolder = fs::temp_directory_path();
        m_dir = temporaryFolder / ("fwut-e2e-" + std::to_string(::getpid()) + "-" + info->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir / "firmware");
        fs::create_directories(m_dir / "tmp");
        fs::create_directories(m_dir / "config" / "Fernhollow Systems");
        ::setenv("XDG_CONFIG_HOME", (m_dir / "config").c_str(), 1);
        ::setenv("TMPDIR", (m_dir / "tmp").c_str(), 1);
        WriteFirmware(3);
    }
    ~CliUpdate() override
    {
        std::error_code ignored;
        fs::remove_all(m_dir, ignored);
    }

    void WriteFirmware(int pages)
    {
        std::ofstream(m_dir / "firmware" / "FieldGatherer_MM_Psion.txt") << "2.40 (test)\nFW.hex\n";
        Process hexgen(kHexGen,
                       {"--pages", std::to_string(pages), "--seed", "11", "--output", (m_dir / "firmware" / "FW.hex").string()},
                       (m_dir / "hexgen.out").string());
        ASSERT_EQ(hexgen.Wait(10s), 0);
    }

    void SavePort(int port)
    {
        std::ofstream(m_dir / "config" / "Fernhollow Systems" / "fwut-update.conf")
            << "[Settings]\nComPort=" << port << "\n";
    }

    std::string SavedSettings() const
    {
        return ReadText((m_dir / "config" / "Fernhollow Systems" / "fwut-update.conf").string());
    }

    // Starts the simulator with the given options and waits for its link.
    void StartSimulator(std::vector<std::string> options)
    {
        options.insert(options.end(), {"--link", Link(), "--once", "--transcript", Transcript(), "--image-out",
                                       (m_dir / "flashed.bin").string()});
        m_sim = std::make_unique<Process>(kSim, options, (m_dir / "sim.out").string());
        for (int i = 0; i < 200 && !fs::exists(Link()); ++i) {
            std::this_thread::sleep_for(10ms);
        }
        ASSERT_TRUE(fs::exists(Link()));
    }

    std::unique_ptr<Process> StartCli(std::vector<std::string> extra = {})
    {
        std::vector<std::string> arguments = {"update", "--device", Link(), "--dir", (m_dir / "firmware").string()};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return std::make_unique<Process>(kCli, arguments, CliOutputPath());
    }

    int RunCli(std::vector<std::string> extra = {})
    {
        auto cli = StartCli(std::move(extra));
        return cli->Wait(60s);
    }

    // Waits for the simulator's end; its exit code says whether the program kept the protocol.
    int SimulatorExit() { return m_sim->Wait(20s); }

    // The COM number the tool gave the simulator's device for the run.
    int MappedPort() const
    {
        const std::string output = CliOutput();
        const std::size_t at = output.find(" is COM");
        return at == std::string::npos ? -1 : std::atoi(output.c_str() + at + 7);
    }

    std::string Link() const { return (m_dir / "ttyFWUT").string(); }
    std::string Transcript() const { return (m_dir / "transcript.txt").string(); }
    std::string CliOutputPath() const { return (m_dir / "cli.out").string(); }
    std::string CliOutput() const { return ReadText(CliOutputPath()); }

    // The last thing the simulator received from the program.
    std::string LastReceived() const
    {
        std::istringstream transcript(ReadText(Transcript()));
        std::string line;
        std::string last;
        while (std::getline(transcript, line)) {
            if (line.find(" rx ") != std::string::npos) {
                last = line.substr(line.find(" rx ") + 4);
            }
        }
        return last;
    }

    void ExpectCleanEnd()
    {
        EXPECT_EQ(LastReceived(), "closing command \"<W\"") << ReadText(Transcript());
        EXPECT_TRUE(fs::is_empty(m_dir / "tmp")) << "no temporary image left behind";
    }

    fs::path m_dir;
    std::unique_ptr<Process> m_sim;
};

TEST_F(CliUpdate, AOnePageImageIsFlashedAndThePortSaved)
{
    WriteFirmware(1);
    StartSimulator({"--answer-after", "2"});
    // A device the port map names keeps its number, which is saved.
    std::ofstream(m_dir / "config" / "Fernhollow Systems" / "fwut-update.conf") << "[Ports]\nCOM7=" << Link() << "\n";
    EXPECT_EQ(RunCli(), 0) << CliOutput();
    EXPECT_EQ(SimulatorExit(), 0) << ReadText(Transcript());
    ExpectCleanEnd();
    const std::string output = CliOutput();
    EXPECT_NE(output.find("Sending firmware page  1  of  1"), std::string::npos) << output;
    EXPECT_NE(output.find("[Firmware Update Complete]\nThe FieldGatherer Mobile Module firmware has been "
                          "successfully updated.     "),
              std::string::npos);
    EXPECT_NE(SavedSettings().find("ComPort=" + std::to_string(MappedPort())), std::string::npos) << SavedSettings();
    const std::string transcript = ReadText(Transcript());
    EXPECT_NE(transcript.find("rx page 0 header"), std::string::npos);
    EXPECT_NE(transcript.find("rx end marker FF FF"), std::string::npos);
}

TEST_F(CliUpdate, AManyPageImageArrivesAsTheConversionMadeIt)
{
    WriteFirmware(40);
    StartSimulator({"--answer-after", "1", "--reject-page", "7:2"});
    EXPECT_EQ(RunCli(), 0) << CliOutput();
    EXPECT_EQ(SimulatorExit(), 0) << ReadText(Transcript());
    ExpectCleanEnd();
    Process convert(kCli, {"convert", (m_dir / "firmware" / "FW.hex").string(), (m_dir / "expected.bin").string()},
                    (m_dir / "convert.out").string());
    ASSERT_EQ(convert.Wait(10s), 0);
    EXPECT_EQ(ReadText((m_dir / "flashed.bin").string()), ReadText((m_dir / "expected.bin").string()));
}

struct FailureCase {
    const char* name;
    std::vector<std::string> simulatorOptions;
    int exitCode;
    const char* messageHead;
    bool relayGone = false;  // unplugged: nothing more reaches the simulator
};

void PrintTo(const FailureCase& failure, std::ostream* out)
{
    *out << failure.name;
}

class CliUpdateFailure : public CliUpdate, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(CliUpdateFailure, EndsWithTheClosingCommandAndTheDocumentedExitCode)
{
    const FailureCase& failure = GetParam();
    SavePort(9);
    std::vector<std::string> options = {"--answer-after", "1"};
    options.insert(options.end(), failure.simulatorOptions.begin(), failure.simulatorOptions.end());
    StartSimulator(options);
    EXPECT_EQ(RunCli(), failure.exitCode) << CliOutput();
    SimulatorExit();
    if (failure.relayGone) {
        EXPECT_TRUE(fs::is_empty(m_dir / "tmp"));
    } else {
        ExpectCleanEnd();
    }
    const std::string output = CliOutput();
    EXPECT_NE(output.find(std::string("[Firmware Update Error]\n") + failure.messageHead), std::string::npos)
        << output;
    EXPECT_NE(output.find("Firmware update failed"), std::string::npos);
    EXPECT_NE(SavedSettings().find("ComPort=9"), std::string::npos) << "a failure saves nothing";
}

INSTANTIATE_TEST_SUITE_P(
    Faults, CliUpdateFailure,
    ::testing::Values(
        FailureCase{"NoVersion", {"--no-version"}, 5, "No response from the FieldGatherer Mobile Module."},
        FailureCase{"TrickledVersion", {"--trickle-version", "300"}, 5,
                    "No response from the FieldGatherer Mobile Module."},
        FailureCase{"Version233", {"--version", "FG-DMM-2.33"}, 6, "Invalid version response from the"},
        FailureCase{"Version23", {"--version", "FG-DMM-2.3"}, 6, "Invalid version response from the"},
        FailureCase{"LineFeedAfterCarriageReturn", {"--lf-after-cr"}, 8, "Invalid ready response from the"},
        FailureCase{"NoReadyByte", {"--no-ready"}, 7, "No ready response from the"},
        FailureCase{"WrongReadyByte", {"--ready-byte", "3F"}, 8, "Invalid ready response from the"},
        FailureCase{"FiveRejections", {"--reject-page", "1:5"}, 8, "Invalid ready response from the"},
        FailureCase{"SilenceAtPage", {"--silent-at-page", "2"}, 5, "No response from the"},
        FailureCase{"UnpluggedAtPage", {"--hangup-at-page", "1"}, 5, "No response from the", true}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

TEST_F(CliUpdate, FourRejectionsThenAcceptanceSucceed)
{
    StartSimulator({"--answer-after", "1", "--reject-page", "1:4"});
    EXPECT_EQ(RunCli(), 0) << CliOutput();
    EXPECT_EQ(SimulatorExit(), 0) << ReadText(Transcript());
    ExpectCleanEnd();
}

TEST_F(CliUpdate, CtrlCWhileWaitingCancels)
{
    StartSimulator({"--never-answer"});
    auto cli = StartCli();
    for (int i = 0; i < 500 && CliOutput().find("Waiting for the module") == std::string::npos; ++i) {
        std::this_thread::sleep_for(10ms);
    }
    std::this_thread::sleep_for(600ms);
    cli->Signal(SIGINT);
    EXPECT_EQ(cli->Wait(10s), 10) << CliOutput();
    EXPECT_EQ(SimulatorExit(), 0) << ReadText(Transcript());
    ExpectCleanEnd();
}

TEST_F(CliUpdate, CtrlCDuringTheTransferEndsItAsAFailure)
{
    WriteFirmware(30);
    StartSimulator({"--answer-after", "1"});
    auto cli = StartCli();
    for (int i = 0; i < 1000 && CliOutput().find("Sending firmware page  3 ") == std::string::npos; ++i) {
        std::this_thread::sleep_for(5ms);
    }
    cli->Signal(SIGINT);
    EXPECT_EQ(cli->Wait(10s), 11) << CliOutput();
    SimulatorExit();
    ExpectCleanEnd();
    EXPECT_NE(CliOutput().find("The firmware update was interrupted by the operator."), std::string::npos);
}

TEST_F(CliUpdate, AWaitTimeoutCancelsAWaitThatLastsTooLong)
{
    StartSimulator({"--never-answer"});
    EXPECT_EQ(RunCli({"--wait-timeout", "2"}), 10) << CliOutput();
    EXPECT_EQ(SimulatorExit(), 0);
    ExpectCleanEnd();
}

TEST_F(CliUpdate, APortHeldByAnotherProgramIsExplained)
{
    StartSimulator({"--never-answer"});
    const int holder = ::open(Link().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(RunCli(), 4) << CliOutput();
    const std::string output = CliOutput();
    EXPECT_NE(output.find("[Firmware Update Error]\nUnable to open serial port COM" + std::to_string(MappedPort()) +
                          "     "),
              std::string::npos)
        << output;
    EXPECT_NE(output.find("Another program holds"), std::string::npos) << output;
    ::close(holder);
}

TEST_F(CliUpdate, AMissingFirmwareFolderIsAFirmwareFileProblem)
{
    StartSimulator({"--never-answer"});
    Process cli(kCli, {"update", "--device", Link(), "--dir", (m_dir / "nowhere").string()}, CliOutputPath());
    EXPECT_EQ(cli.Wait(20s), 3) << CliOutput();
    EXPECT_NE(CliOutput().find("Unable to open the firmware description file:"), std::string::npos);
}

}  // namespace
}  // namespace fwut::test
