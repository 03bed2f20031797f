// Hostile states, end to end: a second copy of the program, a shared
// temporary folder, a line that stops, closed or unread standard streams, a
// pause request, inputs that are outputs, odd arguments, devices that are no
// serial line, a hand-edited or linked settings file, a record in places
// others can change or on a full disk, text with control characters.
// Whatever happens, no image the module did not get is reported as flashed,
// nothing hangs, and no input is destroyed.
#include "CliFixture.h"

#include <fcntl.h>
#include <sys/file.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>

#include <algorithm>
#include <regex>

namespace fwut::test {
namespace {

using Robustness = CliFixture;

constexpr auto npos = std::string::npos;

TEST_F(Robustness, ASecondUpdateCannotTakeTheImageOfAnUpdateUnderWay)
{
    WriteFirmware(3, "firmware-b", 99);
    StartSimulator({"--never-answer"}, "a");
    StartSimulator({"--never-answer"}, "b");
    auto first = StartCli({}, "a", "a.out");
    ASSERT_TRUE(AwaitOutput("Waiting for the module", "a.out"));
    Process second(kCli, {"update", "--device", Sim("b").Link(), "--dir", (m_dir / "firmware-b").string()},
                   (m_dir / "b.out").string());
    EXPECT_EQ(second.Wait(30s), 9) << CliOutput("b.out");
    EXPECT_NE(CliOutput("b.out").find("Unable to create the temporary firmware file.               \n"), npos);
    EXPECT_EQ(CliOutput("b.out").find("Waiting for the module"), npos) << "the wait never began";
    EXPECT_EQ(Sim("b").LastReceived(), "closing command \"<W\"") << Sim("b").Transcript();
    // What the first update will send is still its own image.
    EXPECT_EQ(ReadText((m_dir / "tmp" / "Hex.tmp").string()),
              Converted((m_dir / "firmware" / "FW.hex").string(), m_dir / "expected.bin"));
    first->Signal(SIGINT);
    EXPECT_EQ(first->Wait(10s), 10);
    ExpectCleanEnd("a");
}

// Another user may plant "/tmp/Hex.tmp", or make the usual folder first. The
// squatted folder is mounted over it for one run only (a mount namespace of
// its own), so the machine's folder, which other runs use, stays as it is.
TEST_F(Robustness, WithoutTmpdirTheImageStaysOutOfFoldersOthersCanReach)
{
    ::unsetenv("TMPDIR");
    ::unsetenv("XDG_RUNTIME_DIR");
    const bool planted = fs::create_directory("/tmp/Hex.tmp");
    StartSimulator({"--answer-after", "1"}, "sim", false);
    EXPECT_EQ(RunCli(), 0) << CliOutput();
    const std::string name = "fwut-" + std::to_string(::geteuid());
    EXPECT_EQ(fs::status("/tmp/" + name).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_FALSE(fs::exists("/tmp/" + name + "/Hex.tmp"));
    if (planted) {
        fs::remove("/tmp/Hex.tmp");
    }
    if (Process("/usr/bin/unshare", {"--mount", "true"}, (m_dir / "unshare.out").string()).Wait(10s) != 0) {
        GTEST_SKIP() << "no mount namespace: " << CliOutput("unshare.out");
    }
    const fs::path squat = m_dir / "squat";
    fs::create_directory(squat);
    fs::permissions(squat, fs::perms::all);
    ASSERT_EQ(::chown(squat.c_str(), 65534, 65534), 0);
    Process cli("/usr/bin/unshare",
                {"--mount", "/bin/sh", "-c", "mount --bind \"$1\" \"$2\" && shift 2 && exec \"$@\"", "sh",
                 squat.string(), "/tmp/" + name, kCli, "update", "--device", Sim().Link(), "--dir",
                 (m_dir / "firmware").string()},
                (m_dir / "cli.out").string());
    EXPECT_EQ(cli.Wait(60s), 0) << CliOutput();
    EXPECT_TRUE(fs::is_empty(squat)) << "the image went to a private folder of the user's";
}

TEST_F(Robustness, ALineThatStopsTakingBytesEndsTheUpdateInsteadOfHanging)
{
    StartSimulator({"--answer-after", "1", "--stall-at-page", "1"});
    EXPECT_EQ(StartCli()->Wait(30s), 5) << CliOutput();
    EXPECT_NE(CliOutput().find("No response from the FieldGatherer Mobile Module."), npos);
    EXPECT_TRUE(fs::is_empty(m_dir / "tmp"));
}

TEST_F(Robustness, ATerminationRequestEndsAWriteTheLineDoesNotTake)
{
    StartSimulator({"--answer-after", "1", "--stall-at-page", "1"});
    auto cli = StartCli();
    for (int i = 0; i < 2000 && Sim().Transcript().find("stops taking bytes") == npos; ++i) {
        std::this_thread::sleep_for(5ms);
    }
    std::this_thread::sleep_for(300ms);
    cli->Signal(SIGTERM);
    // The write alone would wait 5 s for the line.
    EXPECT_EQ(cli->Wait(2500ms), 11) << CliOutput();
    EXPECT_TRUE(fs::is_empty(m_dir / "tmp"));
}

// A service manager may start the program with standard output closed: the
// serial port must not take its number, or the console text goes to the relay.
TEST_F(Robustness, AClosedStandardOutputNeverBecomesTheSerialLine)
{
    StartSimulator({"--answer-after", "1"});
    Process cli(kCli, {"update", "--device", Sim().Link(), "--dir", (m_dir / "firmware").string()},
                (m_dir / "cli.out").string(), {STDOUT_FILENO});
    EXPECT_EQ(cli.Wait(60s), 0) << CliOutput();
    EXPECT_EQ(SimulatorExit(), 0) << Sim().Transcript();
    ExpectCleanEnd();
}

// Ctrl-Z between a page's frames would tear the page: while the port is
// open a pause is refused, and said so once.
TEST_F(Robustness, APauseRequestNeitherStopsNorTearsTheTransfer)
{
    WriteFirmware(20);
    StartSimulator({"--answer-after", "1", "--throttle"});
    auto cli = StartCli();
    ASSERT_TRUE(AwaitTranscript("page 2 header")) << Sim().Transcript();
    cli->Signal(SIGTSTP);
    cli->Signal(SIGTTIN);
    EXPECT_EQ(cli->Wait(60s), 0) << CliOutput();
    EXPECT_EQ(SimulatorExit(), 0) << Sim().Transcript();
    const std::string output = CliOutput();
    EXPECT_NE(output.find("cannot be paused"), npos) << output;
    EXPECT_EQ(output.find("cannot be paused"), output.rfind("cannot be paused"));
}

TEST_F(Robustness, AClosedOutputDoesNotStopTheUpdate)
{
    StartSimulator({"--answer-after", "1"});
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ::close(ends[0]);
    Process cli(kCli, {"update", "--device", Sim().Link(), "--dir", (m_dir / "firmware").string()}, ends[1]);
    ::close(ends[1]);
    EXPECT_EQ(cli.Wait(60s), 0);
    EXPECT_EQ(SimulatorExit(), 0) << Sim().Transcript();
    ExpectCleanEnd();
    EXPECT_EQ(SavedSettings().find("ComPort"), npos) << "a COM number given for this run only is not saved";
}

TEST_F(Robustness, NoInputFileIsEverWritten)
{
    const std::string hex = (m_dir / "firmware" / "FW.hex").string();
    const std::string original = ReadText(hex);
    fs::create_symlink(hex, m_dir / "link.hex");
    for (const std::string& image : {hex, (m_dir / "link.hex").string()}) {
        EXPECT_EQ(RunCliWith({"convert", hex, image}), 2) << image;
        EXPECT_EQ(ReadText(hex), original);
    }
    // A firmware file that is the temporary image itself.
    fs::copy_file(hex, m_dir / "tmp" / "Hex.tmp");
    std::ofstream(m_dir / "firmware" / "FieldGatherer_MM_Psion.txt") << "2.40\n../tmp/Hex.tmp\n";
    StartSimulator({"--never-answer"});
    EXPECT_EQ(RunCli({"--wait-timeout", "1"}), 9) << CliOutput();
    EXPECT_EQ(ReadText((m_dir / "tmp" / "Hex.tmp").string()), original);
}

// True once the process holds path open: it is reading the file.
bool AwaitOpen(const Process& process, const fs::path& path)
{
    const fs::path descriptors = "/proc/" + std::to_string(process.Pid()) + "/fd";
    for (int i = 0; i < 2000; ++i) {
        std::error_code gone;
        for (fs::directory_iterator entry(descriptors, gone), end; !gone && entry != end; entry.increment(gone)) {
            std::error_code closed;
            if (fs::read_symlink(entry->path(), closed) == path) {
                return true;
            }
        }
        std::this_thread::sleep_for(1ms);
    }
    return false;
}

TEST_F(Robustness, AConvertThatFailsOrIsStoppedLeavesEveryFileAsItWas)
{
    const fs::path folder = m_dir / "firmware";
    const std::string hex = (folder / "FW.hex").string();
    const std::string image = (folder / "FW.img").string();
    const std::string notes = (folder / "notes.txt").string();
    std::ofstream(image) << "the image of yesterday";
    std::ofstream(notes) << "notes";
    const auto contents = [&] {
        std::map<fs::path, std::string> all;
        for (const auto& entry : fs::directory_iterator(folder)) {
            all[entry.path()] = ReadText(entry.path().string());
        }
        return all;
    };
    const auto before = contents();
    const int holder = ::open(hex.c_str(), O_RDONLY);  // another program reading it
    ASSERT_EQ(::flock(holder, LOCK_SH), 0);
    for (const auto& [input, output] :
         {std::pair{image, hex}, {(folder / "missing.hex").string(), notes}, {hex, image}}) {
        EXPECT_EQ(RunCliWith({"convert", input, output}), 3) << input << " " << output;
        EXPECT_EQ(contents(), before) << input << " " << output;
    }
    ::close(holder);
    ASSERT_EQ(::mkfifo((m_dir / "fifo").c_str(), 0600), 0);
    const std::pair<fs::path, std::string> outputs[] = {{m_dir / "none" / "FW.img", "none: No such file or directory"},
                                                        {m_dir / "fifo", "fifo: it is not a plain file"}};
    for (const auto& [output, reason] : outputs) {
        EXPECT_EQ(RunCliWith({"convert", hex, output.string()}), 9);
        EXPECT_NE(CliOutput().find(reason), npos) << CliOutput();
    }

    // A stop request while a long file is read, for convert and for check.
    std::ofstream(m_dir / "long.hex") << [] {
        std::string records;
        for (int i = 0; i < 500'000; ++i) {
            records += ":10000000000102030405060708090A0B0C0D0E0F78\n";
        }
        return records + ":00000001FF\n";
    }();
    Process convert(kCli, {"convert", (m_dir / "long.hex").string(), image}, (m_dir / "convert.out").string());
    ASSERT_TRUE(AwaitOpen(convert, m_dir / "long.hex"));
    convert.Signal(SIGTERM);
    EXPECT_EQ(convert.Wait(20s), 11) << CliOutput("convert.out");
    EXPECT_EQ(contents(), before);
    std::ofstream(m_dir / "FieldGatherer_MM_Psion.txt") << "2.40\nlong.hex\n";
    Process check(kCli, {"check", m_dir.string()}, (m_dir / "check.out").string());
    ASSERT_TRUE(AwaitOpen(check, m_dir / "long.hex"));
    check.Signal(SIGHUP);
    EXPECT_EQ(check.Wait(20s), 11) << CliOutput("check.out");
    EXPECT_TRUE(fs::is_empty(m_dir / "tmp"));

    EXPECT_EQ(RunCliWith({"convert", hex, image}), 0);
    EXPECT_EQ(ReadText(image), Converted(hex, m_dir / "expected.img"));
    EXPECT_EQ(contents().size(), before.size()) << "nothing left beside the image";
}

TEST_F(Robustness, EmptyValuesAreUsageErrorsAndHelpIsNot)
{
    const std::string folder = (m_dir / "firmware").string();
    EXPECT_EQ(RunCliWith({"update", "--device", "", "--dir", folder}), 2) << CliOutput();
    EXPECT_EQ(RunCliWith({"update", "--dir", ""}), 2) << CliOutput();
    EXPECT_EQ(RunCliWith({"update", "--help"}), 0) << CliOutput();
    EXPECT_NE(CliOutput().find("--wait-timeout"), npos);
}

TEST_F(Robustness, DevicesThatAreNoSerialLineAreNamedAsSuch)
{
    const std::string folder = (m_dir / "firmware").string();
    ASSERT_EQ(::mkfifo((m_dir / "fifo").c_str(), 0600), 0);
    const std::pair<std::string, std::string> devices[] = {
        {"/nonexistent", "no such device"},
        {"/dev/null", "not a serial port"},
        {folder + "/FW.hex", "not a serial port"},
        {(m_dir / "fifo").string(), "not a serial port"},
        {folder, "not a serial port"},
    };
    for (const auto& [device, problem] : devices) {
        EXPECT_EQ(RunCliWith({"update", "--device", device, "--dir", folder}), 4) << device;
        EXPECT_NE(CliOutput().find(problem), npos) << device << ": " << CliOutput();
    }
}

TEST_F(Robustness, TheTerminalTheToolRunsInIsRefused)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master) | ::unlockpt(master), 0);
    const std::string terminal = ::ptsname(master);
    const int slave = ::open(terminal.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(slave, 0);
    Process cli(kCli, {"update", "--device", terminal, "--dir", (m_dir / "firmware").string(), "--wait-timeout", "1"},
                slave);
    EXPECT_EQ(cli.Wait(20s), 4);
    termios settings{};
    ASSERT_EQ(::tcgetattr(slave, &settings), 0);
    EXPECT_NE(settings.c_lflag & ICANON, 0u) << "the terminal was left raw";
    char text[4096] = {};
    ::fcntl(master, F_SETFL, O_NONBLOCK);
    const ssize_t length = ::read(master, text, sizeof text - 1);
    EXPECT_NE(std::string(text, length > 0 ? length : 0).find("the terminal this program runs in"), npos) << text;
    ::close(slave);
    ::close(master);
}

// Root run with a user's HOME: the record is made only in a folder of the
// user's own, never through a link that others can change, and never
// appended to another user's file. An update that cannot begin is recorded
// too, which makes these quick.
TEST_F(Robustness, TheRecordStaysInThePlacesOfTheUsersOwn)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "making another user's folders needs root";
    }
    constexpr uid_t kOther = 65534;
    const fs::path home = m_dir / "home";
    const fs::path shared = m_dir / "shared";
    const fs::path others = m_dir / "others.jsonl";
    for (const fs::path& folder : {home, shared, m_dir / "private"}) {
        fs::create_directory(folder);
    }
    fs::permissions(shared, fs::perms::all);
    fs::create_directory_symlink(m_dir / "private", shared / "link");
    std::ofstream(others) << "theirs\n";
    ASSERT_EQ(::chown(home.c_str(), kOther, kOther) | ::chown(others.c_str(), kOther, kOther), 0);
    const std::pair<fs::path, std::string> refused[] = {
        {home / "updates.jsonl", "is not a folder of yours"},
        {shared / "link" / "updates.jsonl", "is a link that other users can change"},
        {others, "it belongs to another user"},
    };
    for (const auto& [record, reason] : refused) {
        EXPECT_EQ(RunCliWith({"update", "--device", "/dev/null", "--record", record.string()}), 4);
        EXPECT_NE(CliOutput().find(reason), npos) << CliOutput();
    }
    EXPECT_FALSE(fs::exists(home / "updates.jsonl"));
    EXPECT_TRUE(fs::is_empty(m_dir / "private"));
    EXPECT_EQ(ReadText(others.string()), "theirs\n");
}

// A full disk (here a file size limit) that takes part of a line: the line is
// cut away again, and the next one starts a line of its own even after a
// fragment that lost its line end long ago.
TEST_F(Robustness, ARecordLineIsWholeOrAbsent)
{
    const std::string record = (m_dir / "record.jsonl").string();
    const std::string fragment = R"({"event":"update-record","time")";
    std::ofstream(record) << fragment;
    const std::vector<std::string> update = {"update", "--device", "/dev/null", "--record", record};
    const std::vector<std::string> limited = {
        "--fsize=" + std::to_string(fragment.size() + 40), kCli, "update", "--device", "/dev/null", "--record", record};
    EXPECT_EQ(Process("/usr/bin/prlimit", limited, (m_dir / "limited.out").string()).Wait(10s), 4);
    EXPECT_EQ(ReadText(record), fragment);
    EXPECT_EQ(RunCliWith(update), 4);
    EXPECT_EQ(RunCliWith({"history", record}), 0);
    EXPECT_NE(CliOutput().find("1 update: 1 port-not-opened. 1 line not readable."), npos) << CliOutput();
}

// history writes all of its output, however late its reader, and says so
// when the reader goes away.
TEST_F(Robustness, HistoryWritesEverythingToALateReader)
{
    const std::string record = (m_dir / "record.jsonl").string();
    std::ofstream lines(record);
    for (int i = 0; i < 3000; ++i) {
        lines << R"({"event":"update-record","outcome":"succeeded","port":5,"firmware_version":"2.40"})" << '\n';
    }
    lines.close();
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    Process late(kCli, {"history", "--json", record}, ends[1]);
    ::close(ends[1]);
    std::this_thread::sleep_for(2500ms);
    const std::string output = ReadText("/dev/fd/" + std::to_string(ends[0]));
    ::close(ends[0]);
    EXPECT_EQ(late.Wait(10s), 0);
    EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 3001) << "the start line and every update";

    ASSERT_EQ(::pipe(ends), 0);
    ::close(ends[0]);
    Process gone(kCli, {"history", record}, ends[1]);
    ::close(ends[1]);
    EXPECT_EQ(gone.Wait(10s), 12) << "the output could not be written";
}

TEST_F(Robustness, TheSettingsFileChangesInOneLineAndNeverThroughALink)
{
    StartSimulator({"--answer-after", "1"}, "sim", false);
    const std::string handMade = "; the workshop's adapters\n[Ports]\nCOM7=" + Sim().Link() +
                                 "\nCOM8=\"/dev/ttyUSB9\n\n[Settings]\nComPort=3 ; the bench adapter\n";
    const fs::path victim = m_dir / "victim.conf";
    std::ofstream(victim) << handMade;
    fs::create_symlink(victim, SettingsPath());
    EXPECT_EQ(RunCli(), 0) << CliOutput();
    EXPECT_EQ(ReadText(victim.string()), handMade) << "written through the link";
    EXPECT_NE(CliOutput().find("is not saved"), npos) << CliOutput();

    fs::remove(SettingsPath());
    std::ofstream(SettingsPath()) << handMade;
    EXPECT_EQ(RunCli(), 0) << CliOutput();
    EXPECT_EQ(SavedSettings(), std::regex_replace(handMade, std::regex("ComPort=3"), "ComPort=7"));
}

TEST_F(Robustness, TextFromFilesIsPrintedWithoutControlCharactersOrEndlessLines)
{
    std::ofstream(m_dir / "firmware" / "FieldGatherer_MM_Psion.txt")
        << "2.40\x1b]52;c;ZXZpbA==\x07\x1b[2J\u202e" << std::string(1 << 20, 'v') << "\nFW.hex\n";
    StartSimulator({"--never-answer"});
    RunCli({"--wait-timeout", "1"});
    const std::string output = CliOutput();
    EXPECT_EQ(output.find('\x1b'), npos);
    EXPECT_NE(output.find("2.40\\x1B]52;c;ZXZpbA==\\x07\\x1B[2J\\xE2\\x80\\xAEvvv"), npos)
        << "a mark that reverses a line";
    EXPECT_LT(output.size(), 20'000u) << "the version line was not cut";
}

TEST_F(Robustness, RepeatedUpdatesEndAsTheirFaultPlansSay)
{
    StartSimulator({"--answer-after", "1", "--random-faults", "3"}, "sim", false);
    RunCli({"--repeat", "4"});
    // Update number to exit code, as the simulator planned it and as fwut-cli ended it.
    const auto codes = [](const std::string& text, const std::regex& pattern) {
        std::map<std::string, std::string> found;
        for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it) {
            found[(*it)[1]] = (*it)[2];
        }
        return found;
    };
    const std::string output = CliOutput();
    const auto happened = codes(output, std::regex("Update (\\d+) ended: .* \\(exit code (\\d+)\\)"));
    auto planned = codes(Sim().Transcript(), std::regex("session (\\d+) plan: .* \\(expect exit (\\d+)\\)"));
    planned.erase(planned.upper_bound("4"), planned.end());  // the session a fifth update would have had
    ASSERT_EQ(happened.size(), 4u) << output;
    EXPECT_EQ(happened, planned) << output << Sim().Transcript();
    EXPECT_NE(output.find("4 updates:"), npos);
}

}  // namespace
}  // namespace fwut::test
