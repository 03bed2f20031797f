// fwut-sim as a child process on a pseudo-terminal of its own, in a folder
// that goes with the test.
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/Process.h"
#include "tests/support/TempDir.h"

namespace fwut::test {

class SimProcess {
public:
    // Starts fwut-sim with its link and transcript in dir, plus options, and
    // waits until it serves.
    SimProcess(const TempDir& dir, std::vector<std::string> options)
        : m_link(dir.Path("ttyFWUT")), m_transcript(dir.Path("transcript.txt"))
    {
        const char* program = std::getenv("FWUT_SIM");
        options.insert(options.end(), {"--link", m_link, "--transcript", m_transcript});
        m_process = std::make_unique<Process>(program != nullptr ? program : FWUT_SIM_PATH, options,
                                              dir.Path("sim.out"));
        for (int i = 0; i < 500 && !std::filesystem::exists(m_link); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    const std::string& Link() const { return m_link; }
    // The exit status, or -1 when it did not end within limit.
    int WaitForExit(std::chrono::milliseconds limit) { return m_process->Wait(limit); }
    std::string Transcript() const { return ReadText(m_transcript); }

private:
    std::string m_link;
    std::string m_transcript;
    std::unique_ptr<Process> m_process;
};

}  // namespace fwut::test
