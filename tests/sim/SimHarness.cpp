#include "tests/sim/SimHarness.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <poll.h>
#include <signal.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace fwut::simtest {

namespace {

// Added to every pause the program makes: the simulator and the test are two
// processes on a shared machine, and the simulator judges the gaps it sees.
constexpr int kMargin = 5;

std::string simulatorPath()
{
    if (const char* path = std::getenv("FWUT_SIM"); path && *path)
        return path;
    return FWUT_SIM_PATH;
}

void fail(const std::string& what)
{
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

speed_t speedCode(int baud)
{
    switch (baud) {
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 57600:
        return B57600;
    default:
        throw std::invalid_argument("no speed code for " + std::to_string(baud));
    }
}

int remainingMs(std::chrono::steady_clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<milliseconds>(deadline - std::chrono::steady_clock::now());
    return std::max<int>(0, static_cast<int>(left.count()));
}

}  // namespace

TempDir::TempDir()
{
    char pattern[] = "/tmp/fwut-sim-test-XXXXXX";
    if (!mkdtemp(pattern))
        fail("mkdtemp");
    m_path = pattern;
}

TempDir::~TempDir()
{
    std::error_code error;
    std::filesystem::remove_all(m_path, error);
    if (error)
        std::fprintf(stderr, "cannot remove %s: %s\n", m_path.c_str(), error.message().c_str());
}

SimProcess::SimProcess(const TempDir& dir, const std::vector<std::string>& options)
    : m_link(dir.path("ttyFWUT")), m_transcriptPath(dir.path("transcript.txt"))
{
    std::vector<std::string> args = {simulatorPath(), "--link", m_link, "--transcript", m_transcriptPath};
    args.insert(args.end(), options.begin(), options.end());
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        fail("pipe");
    m_pid = fork();
    if (m_pid < 0) {
        close(pipeFds[0]);
        close(pipeFds[1]);
        fail("fork");
    }
    if (m_pid == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        close(pipeFds[0]);
        close(pipeFds[1]);
        std::vector<char*> argv;
        for (auto& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(pipeFds[1]);
    try {
        awaitAnnouncement(pipeFds[0]);
    } catch (...) {
        // A throwing constructor runs no destructor: end the child here.
        close(pipeFds[0]);
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
        throw;
    }
    close(pipeFds[0]);
}

// The simulator announces its link once it serves.
void SimProcess::awaitAnnouncement(int stdoutPipe)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    std::string line;
    char c = 0;
    while (line.find('\n') == std::string::npos) {
        pollfd readable{stdoutPipe, POLLIN, 0};
        if (poll(&readable, 1, remainingMs(deadline)) <= 0 || ::read(stdoutPipe, &c, 1) != 1)
            throw std::runtime_error("fwut-sim did not announce its link; output so far: \"" + line + "\"");
        line += c;
    }
    if (line.rfind("fwut-sim: link " + m_link + " -> ", 0) != 0)
        throw std::runtime_error("unexpected announcement: " + line);
}

SimProcess::~SimProcess()
{
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
}

void SimProcess::signal(int number) const
{
    kill(m_pid, number);
}

int SimProcess::waitForExit(milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (waitpid(m_pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline)
            return -1;  // the destructor kills it
        pause(5);
    }
    m_pid = -1;
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return 128 + WTERMSIG(status);
}

std::string SimProcess::transcript() const
{
    return readFile(m_transcriptPath);
}

ProgramSide::ProgramSide(const std::string& device)
{
    m_fd = open(device.c_str(), O_RDWR | O_NOCTTY);
    if (m_fd < 0)
        fail("open " + device);
    termios settings{};
    tcgetattr(m_fd, &settings);
    cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    tcsetattr(m_fd, TCSANOW, &settings);
    setRate(57600);
}

ProgramSide::~ProgramSide()
{
    if (m_fd >= 0)
        close(m_fd);
}

void ProgramSide::setRate(int baud)
{
    termios settings{};
    tcgetattr(m_fd, &settings);
    cfsetspeed(&settings, speedCode(baud));
    if (tcsetattr(m_fd, TCSANOW, &settings) != 0)
        fail("tcsetattr");
}

void ProgramSide::write(const Bytes& bytes)
{
    if (::write(m_fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
        fail("write");
}

void ProgramSide::write(std::string_view text)
{
    write(bytesOf(text));
}

void ProgramSide::sendPacket(const Bytes& payload)
{
    for (const Bytes& frame : relayFrames(payload))
        write(frame);
}

Bytes ProgramSide::read(std::size_t count, milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    Bytes bytes;
    while (bytes.size() < count) {
        pollfd readable{m_fd, POLLIN, 0};
        if (poll(&readable, 1, remainingMs(deadline)) <= 0)
            break;
        std::uint8_t buffer[256];
        const ssize_t got = ::read(m_fd, buffer, std::min(sizeof buffer, count - bytes.size()));
        if (got <= 0)
            break;
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    return bytes;
}

bool ProgramSide::hangsUp(milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (true) {
        pollfd readable{m_fd, POLLIN, 0};
        const int ready = poll(&readable, 1, remainingMs(deadline));
        if (ready <= 0)
            return false;
        if (readable.revents & (POLLHUP | POLLERR))
            return true;
        std::uint8_t buffer[64];
        if (::read(m_fd, buffer, sizeof buffer) <= 0)
            return true;
    }
}

void pause(int ms)
{
    std::this_thread::sleep_for(milliseconds(ms));
}

Bytes relayFrame(const Bytes& payload)
{
    char digits[4];
    std::snprintf(digits, sizeof digits, "%03zu", payload.size() + 15);
    Bytes frame = bytesOf("<$:P");
    frame.insert(frame.end(), digits, digits + 3);
    const Bytes header = {0x41, 0x8C, 0x11, 0xEE, 0xEE, 0xFF, 0xFF, 0x00, 0x00, 0x22, 0x00, 0x46};
    frame.insert(frame.end(), header.begin(), header.end());
    frame.push_back(static_cast<std::uint8_t>(payload.size()));
    frame.insert(frame.end(), payload.begin(), payload.end());
    frame.push_back(0x00);
    frame.push_back(0x00);
    return frame;
}

std::vector<Bytes> relayFrames(const Bytes& payload)
{
    std::vector<Bytes> frames;
    for (std::size_t offset = 0; offset < payload.size(); offset += 86) {
        const auto begin = payload.begin() + static_cast<std::ptrdiff_t>(offset);
        const auto end = payload.begin() + static_cast<std::ptrdiff_t>(std::min(offset + 86, payload.size()));
        frames.push_back(relayFrame(Bytes(begin, end)));
    }
    return frames;
}

Bytes bytesOf(std::string_view text)
{
    return Bytes(text.begin(), text.end());
}

Bytes testPage(std::uint8_t seed)
{
    Bytes page(256);
    for (std::size_t i = 0; i < page.size(); ++i)
        page[i] = static_cast<std::uint8_t>(i * 7 + seed);
    return page;
}

std::uint8_t checksumOf(const Bytes& page)
{
    return static_cast<std::uint8_t>(std::accumulate(page.begin(), page.end(), 0u));
}

std::string readFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void playStart(ProgramSide& program)
{
    const std::string_view rateCommand = "\x1B$:U9";
    program.setRate(57600);
    program.write(rateCommand);
    pause(30 + kMargin);
    program.setRate(19200);
    program.write(rateCommand);
    pause(30 + kMargin);
    program.setRate(57600);
    pause(30 + kMargin);
    program.write("<#:M<#:P");
    pause(1010 + kMargin);
    program.write("<RS<#:C14");
    pause(310 + kMargin);
}

Bytes playUntilModuleAnswers(ProgramSide& program)
{
    playStart(program);
    program.sendPacket({0xC0});
    const Bytes answer = program.read(64, milliseconds(500));  // one timer tick
    program.sendPacket({0xC0});
    pause(100 + kMargin);
    return answer;
}

Bytes requestBootLoader(ProgramSide& program, std::size_t replyLength)
{
    program.sendPacket(bytesOf("^#+-QX-RTB-427-6.05"));
    return program.read(replyLength, milliseconds(1000));
}

std::uint8_t sendPage(ProgramSide& program, int index, const Bytes& data, int headerPauseMs, int dataPauseMs)
{
    program.sendPacket({static_cast<std::uint8_t>(index >> 8), static_cast<std::uint8_t>(index)});
    pause(headerPauseMs);
    program.sendPacket(data);
    pause(dataPauseMs);
    program.sendPacket({checksumOf(data)});
    pause(20 + kMargin);
    const Bytes answer = program.read(1, milliseconds(1000));
    return answer.empty() ? 0 : answer.front();
}

void finishUpdate(ProgramSide& program)
{
    program.sendPacket({0xFF, 0xFF});
    pause(20 + kMargin);
    program.write("<W");
}

int countProtocolErrors(const std::string& transcript)
{
    int count = 0;
    for (std::size_t at = transcript.find("PROTOCOL ERROR"); at != std::string::npos;
         at = transcript.find("PROTOCOL ERROR", at + 1))
        ++count;
    return count;
}

void expectOnlyProtocolError(SimProcess& sim, const std::string& what)
{
    const int status = sim.waitForExit(milliseconds(5000));
    const std::string transcript = sim.transcript();
    if (countProtocolErrors(transcript) == 0 && transcript.find("not judged") != std::string::npos)
        GTEST_SKIP() << "the machine kept the simulator from looking at the line:\n" << transcript;
    EXPECT_EQ(status, 1);
    EXPECT_EQ(countProtocolErrors(transcript), 1) << transcript;
    EXPECT_NE(transcript.find(what), std::string::npos) << transcript;
}

std::string lastLine(const std::string& text)
{
    const std::size_t end = text.find_last_not_of('\n');
    if (end == std::string::npos)
        return {};
    const std::size_t newline = text.rfind('\n', end);
    const std::size_t start = newline == std::string::npos ? 0 : newline + 1;
    return text.substr(start, end + 1 - start);
}

}  // namespace fwut::simtest
