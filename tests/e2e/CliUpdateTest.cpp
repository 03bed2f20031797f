// fwut-cli update end to end: the real program against fwut-sim on a real
// pseudo-terminal, in real time. Every outcome must end with "<W" as the last
// thing sent, no temporary image left, the saved port written only on
// success, and the documented exit code.
#include "CliFixture.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>

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

// One account, three readers: the JSON lines (read back whole), the record and
// the console agree with each other and with what the simulator saw.
TEST_F(CliUpdate, TheJsonLinesTheRecordAndTheConsoleTellWhatTheModuleSaw)
{
    const std::string record = (m_dir / "record.jsonl").string();
    const auto jsonLines = [&] {
        std::vector<nlohmann::json> lines;
        std::istringstream text(CliOutput());
        for (std::string line; std::getline(text, line);) {
            lines.push_back(nlohmann::json::parse(line));
            EXPECT_TRUE(lines.back().contains("event")) << line;
        }
        return lines;
    };
    const auto count = [](const std::vector<nlohmann::json>& lines, const std::string& event) {
        return std::count_if(lines.begin(), lines.end(), [&](const auto& line) { return line["event"] == event; });
    };

    ASSERT_EQ(RunCliWith({"check", "--json", (m_dir / "firmware").string()}), 0);
    const std::string sha256 = jsonLines().back()["sha256"];
    StartSimulator({"--answer-after", "2", "--reject-page", "1:1"});
    EXPECT_EQ(RunCli({"--json", "--record", record}), 0);
    const std::vector<nlohmann::json> lines = jsonLines();
    EXPECT_EQ(lines.front()["schema"], 1);
    EXPECT_EQ(count(lines, "image-converted"), 1);
    EXPECT_EQ(
        std::find_if(lines.begin(), lines.end(), [](auto& l) { return l["event"] == "image-converted"; })->at("sha256"),
        sha256);
    const std::string transcript = Sim().Transcript();
    const std::regex header("rx page [0-9]+ header");
    EXPECT_EQ(
        count(lines, "page-sent"),
        std::distance(std::sregex_iterator(transcript.begin(), transcript.end(), header), std::sregex_iterator()));
    EXPECT_EQ(count(lines, "page-answered"), 4);
    const auto outcome = *std::find_if(lines.begin(), lines.end(), [](auto& l) { return l["event"] == "outcome"; });
    EXPECT_EQ(outcome["outcome"], "succeeded");
    EXPECT_EQ(outcome["rejections"], 1);

    StartSimulator({"--answer-after", "1", "--reject-page", "0:5"});
    EXPECT_EQ(RunCli({"--record", record}), 8);
    EXPECT_NE(CliOutput().find("Invalid ready response from the FieldGatherer Mobile Module."), std::string::npos);
    StartSimulator({"--never-answer"});
    EXPECT_EQ(RunCli({"--json", "--record", record, "--wait-timeout", "1"}), 10);
    EXPECT_EQ(count(jsonLines(), "cancel"), 1);
    EXPECT_EQ(jsonLines().back()["event"], "outcome");

    std::vector<nlohmann::json> updates;
    std::istringstream recorded(ReadText(record));
    for (std::string line; std::getline(recorded, line);) {
        updates.push_back(nlohmann::json::parse(line));
    }
    ASSERT_EQ(updates.size(), 3u);
    EXPECT_EQ(updates[0]["image_sha256"], sha256);
    EXPECT_EQ(updates[0]["boot_loader"], "FG-DMM-2.32");
    EXPECT_EQ(updates[1]["outcome"], "invalid-ready-response");
    EXPECT_EQ(updates[1]["exit_code"], 8);
    EXPECT_EQ(updates[2]["outcome"], "cancelled");
    EXPECT_EQ(fs::status(record).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(RunCliWith({"history", record}), 0);
    EXPECT_NE(CliOutput().find("3 updates: 1 cancelled, 1 invalid-ready-response, 1 succeeded."), std::string::npos)
        << CliOutput();
    const std::string edited = (m_dir / "edited.jsonl").string();
    std::ofstream(edited) << ReadText(record)
                          << R"({"outcome":5,"port":"COM1","pages":1.5,"time":{}})"
                             "\n[]\n";
    EXPECT_EQ(RunCliWith({"history", edited}), 0);
    EXPECT_NE(CliOutput().find("4 updates: 1 cancelled, 1 invalid-ready-response, 1 succeeded, 1 unknown. 1 line not"),
              std::string::npos)
        << CliOutput();

    // A record that cannot be written changes no outcome, and no file it points to.
    fs::create_symlink(record, m_dir / "link.jsonl");
    StartSimulator({"--never-answer"});
    EXPECT_EQ(RunCli({"--record", (m_dir / "link.jsonl").string(), "--wait-timeout", "1"}), 10);
    EXPECT_NE(CliOutput().find("was not written: it is a symbolic link."), std::string::npos) << CliOutput();
    const std::string after = ReadText(record);
    EXPECT_EQ(std::count(after.begin(), after.end(), '\n'), 3);
}

}  // namespace
}  // namespace fwut::test
