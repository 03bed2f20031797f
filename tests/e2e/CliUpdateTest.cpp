// fwut-cli update end to end: the real program against fwut-sim on a real
// pseudo-terminal, in real time. Every outcome must end with "<W" as the last
// thing sent, no temporary image left, the saved port written only on
// success, and the documented exit code.
#include "CliFixture.h"

#include <algorithm>
#include <functional>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>

#include "update/Outcomes.h"

namespace fwut::test {
namespace {

using CliUpdate = CliFixture;
constexpr auto npos = std::string::npos;

std::vector<nlohmann::json> JsonLines(const std::string& text)
{
    std::vector<nlohmann::json> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(nlohmann::json::parse(line, nullptr, false));
        EXPECT_TRUE(lines.back().is_object() && lines.back().contains("event")) << line;
    }
    return lines;
}

std::vector<nlohmann::json> Events(const std::vector<nlohmann::json>& lines, const std::string& event)
{
    std::vector<nlohmann::json> found;
    std::copy_if(lines.begin(), lines.end(), std::back_inserter(found),
                 [&](const nlohmann::json& line) { return line.value("event", "") == event; });
    return found;
}

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
    EXPECT_NE(output.find("Sending firmware page  40  of  40"), npos) << output;
    EXPECT_NE(output.find("[Firmware Update Complete]\nThe FieldGatherer Mobile Module firmware has been "
                          "successfully updated.     "),
              npos);
    EXPECT_NE(SavedSettings().find("ComPort=7"), npos) << SavedSettings();
}

// Failure kinds and their exit codes are the dialog tests' and the outcome
// table's concern; an adapter that vanishes shows only on a real line.
TEST_F(CliUpdate, AnAdapterUnpluggedInTheTransferEndsItAsNoResponse)
{
    SavePort(9);
    StartSimulator({"--answer-after", "1", "--hangup-at-page", "1"});
    EXPECT_EQ(RunCli(), 5) << CliOutput();
    EXPECT_NE(CliOutput().find("[Firmware Update Error]\nNo response from the"), npos) << CliOutput();
    EXPECT_TRUE(fs::is_empty(m_dir / "tmp"));
    EXPECT_NE(SavedSettings().find("ComPort=9"), npos) << "a failure saves nothing";
}

// The holder is the process that has the port open now: here a daemon's
// child, whose parent took the lock and has ended.
TEST_F(CliUpdate, APortHeldByAnotherProgramIsExplained)
{
    StartSimulator({"--never-answer"});
    SavePort(7);
    std::ofstream(SettingsPath(), std::ios::app) << "[Ports]\nCOM7=" << Sim().Link() << "\n";
    Process daemon("/bin/sh", {"-c", "exec 9<>\"$0\" && flock 9 && { sleep 30 & echo \"$!\"; }", Sim().Link()},
                   (m_dir / "daemon.out").string());
    ASSERT_EQ(daemon.Wait(10s), 0);
    const std::string holder = "sleep (process " + std::to_string(std::stoi(ReadText((m_dir / "daemon.out").string())));
    EXPECT_EQ(RunCli(), 4) << CliOutput();
    const std::string output = CliOutput();
    EXPECT_NE(output.find("[Firmware Update Error]\nUnable to open serial port COM"), npos) << output;
    EXPECT_NE(output.find("is held by " + holder + ", user root)"), npos) << output;
    EXPECT_EQ(RunCliWith({"ports"}), 0);
    EXPECT_NE(CliOutput().find("(in use by " + holder), npos) << CliOutput();
    ::kill(std::stoi(ReadText((m_dir / "daemon.out").string())), SIGKILL);
}

// Every way an update ends, through the console, the JSON lines and the
// record: the same outcome, exit code and hint in each, the message boxes
// after the outcome, and a record line for every attempt, one that could not
// begin included.
struct Ending {
    UpdateOutcome outcome;
    std::string key;  // as the JSON contract and the README name it
    int exitCode;
    std::vector<std::string> simulator;
    std::vector<std::string> options;
    std::function<void(CliFixture&)> before;
    std::function<void(CliFixture&, Process&)> during;
};

const std::vector<std::string> kAnswer = {"--answer-after", "1"};
const std::vector<std::string> kNever = {"--never-answer"};

std::vector<std::string> With(std::vector<std::string> options, std::initializer_list<std::string> more)
{
    options.insert(options.end(), more);
    return options;
}

const Ending kEndings[] = {
    {UpdateOutcome::Succeeded, "succeeded", 0, kAnswer, {}, {}, {}},
    {UpdateOutcome::PortNotOpened,
     "port-not-opened",
     4,
     kNever,
     {},
     [](CliFixture& t) {
         const std::vector<std::string> hold = {"--no-fork", t.Sim().Link(), "sleep", "30"};
         auto& holder = *t.m_helpers.emplace_back(
             std::make_unique<Process>("/usr/bin/flock", hold, (t.m_dir / "holder.out").string()));
         for (int i = 0; i < 400 && ReadText("/proc/locks").find(std::to_string(holder.Pid())) == npos; ++i) {
             std::this_thread::sleep_for(5ms);
         }
     },
     {}},
    {UpdateOutcome::LineLost,
     "line-lost",
     4,
     kNever,
     {},
     {},
     [](CliFixture& t, Process&) {
         ASSERT_TRUE(t.AwaitTranscript("wake-up poll 1"));
         t.Sim().Signal(SIGKILL);
     }},
    {UpdateOutcome::FirmwareFileProblem, "firmware-file-problem", 3, kNever, {"--dir", "nowhere"}, {}, {}},
    {UpdateOutcome::ConversionFailed,
     "conversion-failed",
     3,
     kNever,
     {},
     [](CliFixture& t) { std::ofstream(t.m_dir / "firmware" / "FW.hex") << "no HEX record\n"; },
     {}},
    {UpdateOutcome::FirmwareFileChanged,
     "firmware-file-changed",
     3,
     {"--answer-after", "4"},
     {},
     {},
     [](CliFixture& t, Process&) {
         ASSERT_TRUE(t.AwaitTranscript("wake-up poll 1"));
         t.WriteFirmware(3, "new", 77);
         fs::rename(t.m_dir / "new" / "FW.hex", t.m_dir / "firmware" / "FW.hex");
     }},
    {UpdateOutcome::TemporaryFile,
     "temporary-file",
     9,
     kNever,
     {},
     [](CliFixture& t) { fs::create_directory(t.m_dir / "tmp" / "Hex.tmp"); },
     {}},
    {UpdateOutcome::Cancelled, "cancelled", 10, kNever, {"--wait-timeout", "1"}, {}, {}},
    {UpdateOutcome::NoResponse, "no-response", 5, With(kAnswer, {"--no-version"}), {}, {}, {}},
    {UpdateOutcome::InvalidVersionResponse,
     "invalid-version-response",
     6,
     With(kAnswer, {"--version", "FG-DMM-2.33"}),
     {},
     {},
     {}},
    {UpdateOutcome::NoReadyResponse, "no-ready-response", 7, With(kAnswer, {"--no-ready"}), {}, {}, {}},
    {UpdateOutcome::InvalidReadyResponse,
     "invalid-ready-response",
     8,
     With(kAnswer, {"--ready-byte", "3F"}),
     {},
     {},
     {}},
    {UpdateOutcome::PageNotAccepted, "page-not-accepted", 8, With(kAnswer, {"--reject-page", "0:5"}), {}, {}, {}},
    {UpdateOutcome::Interrupted,
     "interrupted",
     11,
     kAnswer,
     {},
     {},
     [](CliFixture& t, Process& cli) {
         ASSERT_TRUE(t.AwaitTranscript("page 1 header"));
         cli.Signal(SIGINT);
     }},
};

class UpdateEnding : public CliFixture, public ::testing::WithParamInterface<Ending> {
protected:
    // One update with the ending's faults, as text or as JSON lines; its exit code.
    int Run(bool json)
    {
        const Ending& ending = GetParam();
        StartSimulator(ending.simulator);
        if (ending.before) {
            ending.before(*this);
        }
        std::vector<std::string> arguments = {"update", "--device", Sim().Link(), "--record",
                                              (m_dir / "record.jsonl").string()};
        if (std::find(ending.options.begin(), ending.options.end(), "--dir") == ending.options.end()) {
            arguments.insert(arguments.end(), {"--dir", (m_dir / "firmware").string()});
        }
        for (const std::string& option : ending.options) {
            arguments.push_back(option == "nowhere" ? (m_dir / option).string() : option);
        }
        if (json) {
            arguments.push_back("--json");
        }
        Process cli(kCli, arguments, (m_dir / (json ? "json.out" : "text.out")).string(), {},
                    json ? (m_dir / "json.err").string() : std::string());
        if (ending.during) {
            ending.during(*this, cli);
        }
        return cli.Wait(60s);
    }
};

TEST_P(UpdateEnding, IsToldAlikeInTextJsonAndTheRecord)
{
    const OutcomeFacts& facts = FactsOf(GetParam().outcome);
    ASSERT_EQ(facts.key, GetParam().key);
    ASSERT_EQ(facts.exitCode, GetParam().exitCode);
    EXPECT_EQ(Run(false), facts.exitCode) << CliOutput("text.out");
    const std::string hint = facts.hint;
    EXPECT_EQ(CliOutput("text.out").find("Hint: " + hint.substr(0, hint.find('\n'))) != npos, !hint.empty())
        << CliOutput("text.out");
    EXPECT_EQ(hint.empty(), GetParam().outcome == UpdateOutcome::Succeeded) << "a hint for every failure";

    fs::remove_all(m_dir / "tmp");
    fs::create_directories(m_dir / "tmp");
    WriteFirmware(3);
    EXPECT_EQ(Run(true), facts.exitCode) << CliOutput("json.out");
    const std::vector<nlohmann::json> lines = JsonLines(CliOutput("json.out"));
    const auto outcome = std::find_if(lines.begin(), lines.end(), [](auto& l) { return l["event"] == "outcome"; });
    ASSERT_NE(outcome, lines.end()) << CliOutput("json.out");
    EXPECT_EQ((*outcome)["outcome"], facts.key) << CliOutput("json.out") << CliOutput("json.err") << Sim().Transcript();
    EXPECT_EQ((*outcome)["exit_code"], facts.exitCode);
    EXPECT_EQ((*outcome)["hint"], facts.hint);
    EXPECT_EQ(Events(std::vector<nlohmann::json>(lines.begin(), outcome), "message").size(), 0u)
        << "a message follows its outcome";
    EXPECT_EQ(Events(lines, "update-began").size(), 1u);
    EXPECT_EQ(Events(lines, "page-answered").size(), Events(lines, "page-sent").size());

    const std::vector<nlohmann::json> record = JsonLines(ReadText((m_dir / "record.jsonl").string()));
    ASSERT_EQ(record.size(), 2u) << "one line for each of the two updates";
    for (const nlohmann::json& line : record) {
        EXPECT_EQ(line["outcome"], facts.key);
        EXPECT_EQ(line["exit_code"], facts.exitCode);
    }
}

INSTANTIATE_TEST_SUITE_P(Every, UpdateEnding, ::testing::ValuesIn(kEndings), [](const auto& info) {
    return std::regex_replace(FactsOf(info.param.outcome).key, std::regex("-"), "_");
});

// What the account tells beyond the outcome, read back whole: the image's
// fingerprint as check gives it, every page as the simulator saw it, the
// boot loader, a record of the user's alone, and history over it.
TEST_F(CliUpdate, TheJsonLinesTheRecordAndHistoryTellWhatTheModuleSaw)
{
    const std::string record = (m_dir / "record.jsonl").string();
    ASSERT_EQ(RunCliWith({"check", "--json", (m_dir / "firmware").string()}), 0);
    const nlohmann::json firmware = Events(JsonLines(CliOutput()), "firmware").at(0);
    EXPECT_TRUE(std::regex_match(firmware["date"].get<std::string>(), std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d)")));
    StartSimulator({"--answer-after", "2", "--reject-page", "1:1"});
    EXPECT_EQ(RunCli({"--json", "--record", record}), 0);
    const std::vector<nlohmann::json> lines = JsonLines(CliOutput());
    EXPECT_EQ(lines.front()["schema"], 2);
    EXPECT_EQ(Events(lines, "image-converted").at(0)["sha256"], firmware["sha256"]);
    const std::string transcript = Sim().Transcript();
    const std::regex header("rx page [0-9]+ header");
    EXPECT_EQ(Events(lines, "page-sent").size(),
              static_cast<std::size_t>(std::distance(std::sregex_iterator(transcript.begin(), transcript.end(), header),
                                                     std::sregex_iterator())));
    EXPECT_EQ(Events(lines, "outcome").at(0)["rejections"], 1);

    const nlohmann::json update = JsonLines(ReadText(record)).at(0);
    EXPECT_EQ(update["image_sha256"], firmware["sha256"]);
    EXPECT_EQ(update["boot_loader"], "FG-DMM-2.32");
    EXPECT_EQ(update["device"], Sim().Link());
    EXPECT_EQ(fs::status(record).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    // A line edited by hand counts with what it holds; one that is no object, or holds more, is unreadable.
    std::ofstream(record, std::ios::app) << R"({"outcome":5,"port":"COM1","pages":1.5,"time":{}})"
                                            "\n[]\n"
                                         << R"({"outcome":"forged"})" << '\0' << "\x1b[2J\xff\n"
                                         << R"({"a":)" << std::string(100000, '[') << std::string(100000, ']') << "}\n";
    EXPECT_EQ(RunCliWith({"history", record}), 0);
    EXPECT_NE(CliOutput().find("2 updates: 1 succeeded, 1 unknown. 3 lines not readable."), npos) << CliOutput();
    EXPECT_EQ(RunCliWith({"history", "--json", record}), 0);
    const std::vector<nlohmann::json> history = JsonLines(CliOutput());
    EXPECT_EQ(Events(history, "update-record").size(), 2u);
    EXPECT_EQ(Events(history, "unreadable-line").size(), 3u);
    EXPECT_EQ(CliOutput().find_first_of("\x1b\x80\xff"), npos);
}

}  // namespace
}  // namespace fwut::test
