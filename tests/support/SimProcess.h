// fwut-sim as a child process on a pseudo-terminal of its own, its link,
// transcript and flashed image in a folder that goes with the test.
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/Process.h"
#include "tests/support/TempDir.h"

namespace fwut::test {

class SimProcess {
public:
    // Starts fwut-sim with the given options and waits until it serves.
    SimProcess(const std::string& folder, std::vector<std::string> options, const std::string& name = "sim")
        : m_link(folder + "/tty-" + name), m_transcript(folder + "/" + name + ".transcript"),
          m_image(folder + "/" + name + ".flashed.bin")
    {
        const char* program = std::getenv("FWUT_SIM");
        options.insert(options.end(), {"--link", m_link, "--transcript", m_transcript, "--image-out", m_image});
        // A killed simulator leaves its link; once another test's terminal takes
        // its number, the link would seem to be this one's before it serves.
        std::filesystem::remove(m_link);
        m_process = std::make_unique<Process>(program != nullptr ? program : FWUT_SIM_PATH, options,
                                              folder + "/" + name + ".out");
        for (int i = 0; i < 500 && !std::filesystem::exists(m_link); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    SimProcess(const TempDir& folder, std::vector<std::string> options) : SimProcess(folder.Path("."), options) { }

    const std::string& Link() const { return m_link; }
    const std::string& Image() const { return m_image; }
    // The exit status (0: the program kept the protocol), or -1 when it did not end within limit.
    int WaitForExit(std::chrono::milliseconds limit) { return m_process->Wait(limit); }
    std::string Transcript() const { return ReadText(m_transcript); }
    void Signal(int signal) { m_process->Signal(signal); }

    // The last thing the simulator received from the program.
    std::string LastReceived() const
    {
        std::istringstream lines(Transcript());
        std::string last;
        for (std::string line; std::getline(lines, line);) {
            if (line.find(" rx ") != std::string::npos) {
                last = line.substr(line.find(" rx ") + 4);
            }
        }
        return last;
    }

private:
    std::string m_link;
    std::string m_transcript;
    std::string m_image;
    std::unique_ptr<Process> m_process;
};

}  // namespace fwut::test
