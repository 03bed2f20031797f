// The POSIX serial calls against a real pseudo-terminal: the test holds the
// master side and plays the relay; the port under test is the slave, reached
// as COM7 through the port directory's explicit map.
#include "platform/posix/PosixSerialApi.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include "tests/support/PseudoTerminal.h"
#include "platform/posix/PosixPortDirectory.h"

namespace fwut {
namespace {

using Bytes = std::vector<BYTE>;
using test::PseudoTerminal;

// Long enough for any loaded machine to pass bytes through a pty; only a
// broken port ever waits this long.
constexpr auto kPatience = std::chrono::seconds(10);

int FdOf(HANDLE handle)
{
    return static_cast<int>(reinterpret_cast<std::intptr_t>(handle));
}

DCB LineSettings(DWORD baudRate)
{
    DCB dcb{};
    dcb.DCBlength = sizeof(DCB);
    dcb.BaudRate = baudRate;
    dcb.fBinary = TRUE;
    dcb.fParity = TRUE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    return dcb;
}

class PosixSerialApiTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(pty.SlavePath().empty()) << "no pseudo-terminal"; }

    HANDLE Open(const char* name = "\\\\.\\COM7")
    {
        return api.CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, 0);
    }

    // Polls the waiting-byte count until it reaches count; returns the last count.
    DWORD WaitForInput(HANDLE port, DWORD count)
    {
        const auto giveUp = std::chrono::steady_clock::now() + kPatience;
        COMSTAT status{};
        while (api.ClearCommError(port, nullptr, &status) && status.cbInQue < count &&
               std::chrono::steady_clock::now() < giveUp) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return status.cbInQue;
    }

    PseudoTerminal pty;
    // No system devices: only the explicit map counts.
    PosixPortDirectory ports{{{7, pty.SlavePath()}}, "/nonexistent", "/dev"};
    PosixSerialApi api{ports};
};

const Bytes kLineControlBytes = {0x0D, 0x0A, 0x11, 0x13, 0x03, 0x00, 0x04, 0x1A, 0x7F, 0xFF, 'A'};

TEST_F(PosixSerialApiTest, BytesPassUnchangedReadsNeverWaitAndPurgesDiscardInput)
{
    const HANDLE port = Open();
    ASSERT_NE(port, INVALID_HANDLE_VALUE) << api.LastErrorText();
    BYTE buffer[100];
    DWORD read = 99;
    EXPECT_TRUE(api.ReadFile(port, buffer, sizeof buffer, &read));
    EXPECT_EQ(read, 0u) << "nothing waits, nothing is read, at once";

    DWORD written = 0;
    ASSERT_TRUE(api.WriteFile(port, kLineControlBytes.data(), kLineControlBytes.size(), &written));
    EXPECT_EQ(written, kLineControlBytes.size());
    EXPECT_EQ(pty.Read(kLineControlBytes.size()), kLineControlBytes);
    ASSERT_TRUE(pty.Write(kLineControlBytes));
    ASSERT_EQ(WaitForInput(port, kLineControlBytes.size()), kLineControlBytes.size());
    ASSERT_TRUE(api.ReadFile(port, buffer, sizeof buffer, &read));
    EXPECT_EQ(Bytes(buffer, buffer + read), kLineControlBytes);

    ASSERT_TRUE(pty.Write({1, 2, 3, 4, 5}));
    ASSERT_EQ(WaitForInput(port, 5), 5u);
    EXPECT_TRUE(api.PurgeComm(port, PURGE_TXCLEAR));
    EXPECT_EQ(WaitForInput(port, 5), 5u) << "clearing the output queue kept the input";
    EXPECT_TRUE(api.PurgeComm(port, PURGE_RXCLEAR));
    EXPECT_EQ(WaitForInput(port, 0), 0u);
    api.CloseHandle(port);
}

// The open errno of another, unprivileged user opening the device and taking its lock, or 0.
int OpenAsOtherUser(const std::string& path)
{
    const pid_t child = ::fork();
    if (child == 0) {
        constexpr uid_t kNobody = 65534;
        if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
            ::_exit(255);
        }
        const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ::_exit(fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 0 : errno);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 255;
}

TEST_F(PosixSerialApiTest, APortInUseIsRefusedAndAKilledHolderLeavesItFree)
{
    const HANDLE first = Open();
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Open(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(api.GetLastError(), ERROR_SHARING_VIOLATION);
    EXPECT_TRUE(api.CloseHandle(first));
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to act as another user";
    }
    ASSERT_EQ(::chmod(pty.SlavePath().c_str(), 0666), 0);
    int held[2];
    ASSERT_EQ(::pipe(held), 0);
    const pid_t holder = ::fork();
    if (holder == 0) {
        const char opened = Open() != INVALID_HANDLE_VALUE ? 'y' : 'n';
        (void)::write(held[1], &opened, 1);
        ::pause();
        ::_exit(0);
    }
    char opened = 'n';
    ASSERT_EQ(::read(held[0], &opened, 1), 1);
    ASSERT_EQ(opened, 'y');
    EXPECT_EQ(OpenAsOtherUser(pty.SlavePath()), EWOULDBLOCK) << "held while the holder lives";
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    EXPECT_EQ(OpenAsOtherUser(pty.SlavePath()), 0) << "a killed holder left the port refused";
}

TEST_F(PosixSerialApiTest, LineSettingsReachTheDeviceAndRatesWithoutConstantsAreTaken)
{
    const HANDLE port = Open();
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    for (const auto& [rate, constant] : {std::pair{CBR_57600, B57600}, std::pair{CBR_19200, B19200}}) {
        const DCB dcb = LineSettings(rate);
        ASSERT_TRUE(api.SetCommState(port, &dcb));
        termios tio{};
        ASSERT_EQ(::tcgetattr(FdOf(port), &tio), 0);
        EXPECT_EQ(cfgetospeed(&tio), constant);
        EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
    }
    const DCB odd = LineSettings(CBR_14400);
    EXPECT_TRUE(api.SetCommState(port, &odd)) << "a rate without a termios constant";
    DCB bad = LineSettings(CBR_9600);
    bad.ByteSize = 9;
    EXPECT_FALSE(api.SetCommState(port, &bad));
    api.CloseHandle(port);
}

}  // namespace
}  // namespace fwut
