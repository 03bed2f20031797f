// Test side of the simulator: starts fwut-sim as a child process and plays
// the update program on its pseudo-terminal with plain POSIX calls, byte for
// byte and with the program's pauses.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace fwut::simtest {

using Bytes = std::vector<std::uint8_t>;
using std::chrono::milliseconds;

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string path(std::string_view name) const { return m_path + "/" + std::string(name); }

private:
    std::string m_path;
};

// fwut-sim with --link and --transcript in `dir`, plus `options`.
class SimProcess {
public:
    SimProcess(const TempDir& dir, const std::vector<std::string>& options);
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    const std::string& link() const { return m_link; }
    void signal(int number) const;
    // The exit status, or -1 when it had to be killed after `limit`.
    int waitForExit(milliseconds limit);
    std::string transcript() const;

private:
    void awaitAnnouncement(int stdoutPipe);

    std::string m_link;
    std::string m_transcriptPath;
    pid_t m_pid = -1;
};

// The update program's end of the line.
class ProgramSide {
public:
    explicit ProgramSide(const std::string& device);
    ~ProgramSide();
    ProgramSide(const ProgramSide&) = delete;
    ProgramSide& operator=(const ProgramSide&) = delete;

    void setRate(int baud);
    void write(const Bytes& bytes);
    void write(std::string_view text);
    // Payload in relay packet frames of at most 86 bytes, each in one write.
    void sendPacket(const Bytes& payload);
    // Up to `count` bytes, waiting at most `limit` for them.
    Bytes read(std::size_t count, milliseconds limit);
    // True when the line hangs up within `limit` (POLLHUP, a read error or end of file).
    bool hangsUp(milliseconds limit);

private:
    int m_fd = -1;
};

void pause(int ms);
Bytes relayFrame(const Bytes& payload);
// The frames that carry a payload: pieces of 86 bytes, the rest in the last.
std::vector<Bytes> relayFrames(const Bytes& payload);
Bytes bytesOf(std::string_view text);
Bytes testPage(std::uint8_t seed);
std::uint8_t checksumOf(const Bytes& page);
std::string readFile(const std::string& path);

// The program's side of an update start, with the program's pauses (plus a
// little, for two processes sharing the processor): rate commands at 57600
// and 19200, back to 57600, the two configuration commands.
void playStart(ProgramSide& program);
// playStart, then wake-up polls 500 ms apart until the module's D0 (run the
// simulator with --answer-after 1), the poll that follows it, and the
// transfer's 100 ms wait. Returns what the module sent in answer.
Bytes playUntilModuleAnswers(ProgramSide& program);
// The boot-loader request; returns the reply (version, CR, ready byte).
Bytes requestBootLoader(ProgramSide& program, std::size_t replyLength = 13);
// Header, data and checksum with their 20 ms pauses (`dataPauseMs` after the
// data); returns the answer byte, or 0 when none came.
std::uint8_t sendPage(ProgramSide& program, int index, const Bytes& data, int headerPauseMs = 20, int dataPauseMs = 20);
// End marker, its pause and the closing command.
void finishUpdate(ProgramSide& program);

int countProtocolErrors(const std::string& transcript);
// Waits for the simulator to exit with status 1 after exactly one protocol
// error, naming `what`. Skips the test when the simulator was kept from
// running so long that it could not judge.
void expectOnlyProtocolError(SimProcess& sim, const std::string& what);
std::string lastLine(const std::string& text);

}  // namespace fwut::simtest
