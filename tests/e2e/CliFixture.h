// The real fwut-cli against fwut-sim on real pseudo-terminals, in real time,
// each test in a folder of its own: firmware, temporary folder and settings.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <map>
#include <memory>

#include "tests/support/SimProcess.h"

namespace fwut::test {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::string kBinaryDir = FWUT_BINARY_DIR;
const std::string kCli = kBinaryDir + "/app/cli/fwut-cli";
const std::string kHexGen = kBinaryDir + "/tools/hexgen/fwut-hexgen";

class CliFixture : public ::testing::Test {
public:
    CliFixture()
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        static const fs::path temporaryFolder = fs::temp_directory_path();
        std::string name = std::string(info->test_suite_name()) + "-" + info->name();
        for (char& c : name) {
            c = (c == '/') ? '-' : c;
        }
        m_dir = temporaryFolder / ("fwut-e2e-" + std::to_string(::getpid()) + "-" + name);
        fs::remove_all(m_dir);
        fs::create_directories(m_dir / "firmware");
        fs::create_directories(m_dir / "tmp");
        fs::create_directories(m_dir / "config" / "Fernhollow Systems");
        ::setenv("XDG_CONFIG_HOME", (m_dir / "config").c_str(), 1);
        ::setenv("TMPDIR", (m_dir / "tmp").c_str(), 1);
        WriteFirmware(3);
    }
    ~CliFixture() override
    {
        std::error_code ignored;
        fs::remove_all(m_dir, ignored);
    }

    void WriteFirmware(int pages, const std::string& folder = "firmware", int seed = 11)
    {
        fs::create_directories(m_dir / folder);
        std::ofstream(m_dir / folder / "FieldGatherer_MM_Psion.txt") << "2.40 (test)\nFW.hex\n";
        Process hexgen(kHexGen,
                       {"--pages", std::to_string(pages), "--seed", std::to_string(seed), "--output",
                        (m_dir / folder / "FW.hex").string()},
                       (m_dir / "hexgen.out").string());
        ASSERT_EQ(hexgen.Wait(10s), 0);
    }

    std::string SettingsPath() const { return (m_dir / "config" / "Fernhollow Systems" / "fwut-update.conf").string(); }
    void SavePort(int port) { std::ofstream(SettingsPath()) << "[Settings]\nComPort=" << port << "\n"; }
    std::string SavedSettings() const { return ReadText(SettingsPath()); }

    // Starts a simulator with the given options, serving one session unless told otherwise.
    SimProcess& StartSimulator(std::vector<std::string> options, const std::string& name = "sim", bool once = true)
    {
        if (once) {
            options.push_back("--once");
        }
        m_sims.erase(name);  // its link must not stand for the new one's
        m_sims[name] = std::make_unique<SimProcess>(m_dir.string(), options, name);
        EXPECT_TRUE(fs::exists(Sim(name).Link()));
        return Sim(name);
    }
    SimProcess& Sim(const std::string& name = "sim") { return *m_sims.at(name); }

    std::unique_ptr<Process> StartCli(std::vector<std::string> extra = {}, const std::string& sim = "sim",
                                      const std::string& output = "cli.out")
    {
        std::vector<std::string> arguments = {"update", "--device", Sim(sim).Link(), "--dir",
                                              (m_dir / "firmware").string()};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return std::make_unique<Process>(kCli, arguments, (m_dir / output).string());
    }
    int RunCli(std::vector<std::string> extra = {}) { return StartCli(std::move(extra))->Wait(60s); }
    // Runs fwut-cli with any arguments; its output goes to CliOutput().
    int RunCliWith(const std::vector<std::string>& arguments)
    {
        return Process(kCli, arguments, (m_dir / "cli.out").string()).Wait(60s);
    }
    std::string CliOutput(const std::string& output = "cli.out") const { return ReadText((m_dir / output).string()); }

    // Waits up to 20 s until the output, or the simulator's transcript, holds text.
    static bool Await(const std::function<std::string()>& read, const std::string& text)
    {
        for (int i = 0; i < 4000 && read().find(text) == std::string::npos; ++i) {
            std::this_thread::sleep_for(5ms);
        }
        return read().find(text) != std::string::npos;
    }
    bool AwaitOutput(const std::string& text, const std::string& output = "cli.out") const
    {
        return Await([&] { return CliOutput(output); }, text);
    }
    bool AwaitTranscript(const std::string& text, const std::string& sim = "sim")
    {
        return Await([&] { return Sim(sim).Transcript(); }, text);
    }

    // Waits for the simulator's end; its exit code says whether the program kept the protocol.
    int SimulatorExit(const std::string& name = "sim") { return Sim(name).WaitForExit(20s); }

    // The image fwut-cli's own conversion makes of a HEX file.
    std::string Converted(const std::string& hex, const fs::path& image)
    {
        Process convert(kCli, {"convert", hex, image.string()}, image.string() + ".out");
        EXPECT_EQ(convert.Wait(10s), 0);
        return ReadText(image.string());
    }

    void ExpectCleanEnd(const std::string& sim = "sim")
    {
        EXPECT_EQ(Sim(sim).LastReceived(), "closing command \"<W\"") << Sim(sim).Transcript();
        EXPECT_TRUE(fs::is_empty(m_dir / "tmp")) << "no temporary image left behind";
    }

    fs::path m_dir;
    std::map<std::string, std::unique_ptr<SimProcess>> m_sims;
    // Other programs a test keeps running while it lasts.
    std::vector<std::unique_ptr<Process>> m_helpers;
};

}  // namespace fwut::test
