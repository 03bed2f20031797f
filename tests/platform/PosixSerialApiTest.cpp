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

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <thread>
#include <vector>

#include "tests/doubles/RecordingSerialApi.h"
#include "platform/posix/DcbTermios.h"
#include "platform/posix/PosixPortDirectory.h"
#include "platform/posix/TermiosBaudRate.h"

namespace fwut {
namespace {

using Bytes = std::vector<BYTE>;
using ::testing::ElementsAre;

// Long enough for any loaded machine to pass bytes through a pty; only a
// broken port ever waits this long.
constexpr auto kPatience = std::chrono::seconds(10);

class PseudoTerminal {
public:
    PseudoTerminal()
    {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_master >= 0 && ::grantpt(m_master) == 0 && ::unlockpt(m_master) == 0) {
            m_slavePath = ::ptsname(m_master);
        }
    }
    ~PseudoTerminal() { CloseMaster(); }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const std::string& SlavePath() const { return m_slavePath; }

    void CloseMaster()
    {
        if (m_master >= 0) {
            ::close(m_master);
            m_master = -1;
        }
    }

    void Write(const Bytes& bytes) { ASSERT_EQ(::write(m_master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size())); }

    // Reads until count bytes have come or the port stays silent too long.
    Bytes Read(std::size_t count)
    {
        Bytes got;
        BYTE chunk[4096];
        pollfd p{m_master, POLLIN, 0};
        while (got.size() < count &&
               ::poll(&p, 1, static_cast<int>(std::chrono::milliseconds(kPatience).count())) > 0) {
            const ssize_t n = ::read(m_master, chunk, std::min(sizeof(chunk), count - got.size()));
            if (n <= 0) {
                break;
            }
            got.insert(got.end(), chunk, chunk + n);
        }
        return got;
    }

private:
    int m_master = -1;
    std::string m_slavePath;
};

class TempDir {
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "fwut-serial-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
    }
    ~TempDir() { std::filesystem::remove_all(m_path); }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

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
    void SetUp() override
    {
        ASSERT_FALSE(pty.SlavePath().empty()) << "no pseudo-terminal";
        ASSERT_FALSE(emptySysfs.Path().empty());
    }

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
    TempDir emptySysfs;  // no system devices: only the explicit map counts
    PosixPortDirectory ports{{{7, pty.SlavePath()}}, emptySysfs.Path(), "/dev"};
    PosixSerialApi api{ports};
};

const Bytes kLineControlBytes = {0x0D, 0x0A, 0x11, 0x13, 0x03, 0x00, 0x04, 0x1A, 0x7F, 0xFF, 'A'};

TEST_F(PosixSerialApiTest, BytesPassUnchangedInBothDirections)
{
    const HANDLE port = Open();
    ASSERT_NE(port, INVALID_HANDLE_VALUE) << api.LastErrorText();

    DWORD written = 0;
    ASSERT_TRUE(api.WriteFile(port, kLineControlBytes.data(), kLineControlBytes.size(), &written));
    EXPECT_EQ(written, kLineControlBytes.size());
    EXPECT_EQ(pty.Read(kLineControlBytes.size()), kLineControlBytes);

    pty.Write(kLineControlBytes);
    ASSERT_EQ(WaitForInput(port, kLineControlBytes.size()), kLineControlBytes.size());
    Bytes received(100);
    DWORD read = 0;
    ASSERT_TRUE(api.ReadFile(port, received.data(), received.size(), &read));
    received.resize(read);
    EXPECT_EQ(received, kLineControlBytes);
    api.CloseHandle(port);
}

TEST_F(PosixSerialApiTest, ReadReturnsAtOnceWhenNothingWaits)
{
    const HANDLE port = Open();
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    BYTE buffer[16];
    DWORD read = 99;
    EXPECT_TRUE(api.ReadFile(port, buffer, sizeof(buffer), &read));
    EXPECT_EQ(read, 0u);
    COMSTAT status{};
    DWORD errors = 99;
    EXPECT_TRUE(api.ClearCommError(port, &errors, &status));
    EXPECT_EQ(status.cbInQue, 0u);
    EXPECT_EQ(errors, 0u);
    api.CloseHandle(port);
}

TEST_F(PosixSerialApiTest, PurgeDiscardsWaitingInput)
{
    const HANDLE port = Open();
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    pty.Write({1, 2, 3, 4, 5});
    ASSERT_EQ(WaitForInput(port, 5), 5u);
    EXPECT_TRUE(api.PurgeComm(port, PURGE_TXCLEAR));
    EXPECT_EQ(WaitForInput(port, 5), 5u) << "clearing the output queue kept the input";
    EXPECT_TRUE(api.PurgeComm(port, PURGE_RXCLEAR));
    COMSTAT status{};
    ASSERT_TRUE(api.ClearCommError(port, nullptr, &status));
    EXPECT_EQ(status.cbInQue, 0u);
    api.CloseHandle(port);
}

TEST_F(PosixSerialApiTest, WriteLargerThanTheDriverQueueCompletes)
{
    const HANDLE port = Open();
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    Bytes image(256 * 1024);
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<BYTE>(i * 7 + i / 256);
    }
    Bytes received;
    std::thread relay([&] { received = pty.Read(image.size()); });
    DWORD written = 0;
    const BOOL ok = api.WriteFile(port, image.data(), image.size(), &written);
    relay.join();
    EXPECT_TRUE(ok);
    EXPECT_EQ(written, image.size());
    EXPECT_EQ(received, image);
    api.CloseHandle(port);
}

TEST_F(PosixSerialApiTest, PortInUseCannotBeOpenedAgainUntilClosed)
{
    const HANDLE first = Open();
    ASSERT_NE(first, INVALID_HANDLE_VALUE);

    EXPECT_EQ(Open(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(api.GetLastError(), ERROR_SHARING_VIOLATION);
    EXPECT_STRNE(api.LastErrorText(), "");

    EXPECT_TRUE(api.CloseHandle(first));
    const HANDLE again = Open();
    EXPECT_NE(again, INVALID_HANDLE_VALUE) << api.LastErrorText();
    api.CloseHandle(again);
}

// The open errno of another, unprivileged user opening the device, or 0.
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

TEST_F(PosixSerialApiTest, AKilledHolderLeavesThePortFreeForOtherUsers)
{
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

TEST_F(PosixSerialApiTest, NamesThatReachNoDeviceFailAsMissing)
{
    for (const char* name : {"\\\\.\\COM8", "\\\\.\\COM07", "\\\\.\\COM", "\\\\.\\COM7 ", "COM7", "\\\\.\\com7",
                             "\\\\.\\COM-7", pty.SlavePath().c_str()}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Open(name), INVALID_HANDLE_VALUE);
        EXPECT_EQ(api.GetLastError(), ERROR_FILE_NOT_FOUND);
        EXPECT_STRNE(api.LastErrorText(), "");
    }
}

TEST_F(PosixSerialApiTest, VanishedDeviceShowsAsFailedStatus)
{
    const HANDLE port = Open();
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    pty.Write({1, 2, 3});
    ASSERT_EQ(WaitForInput(port, 3), 3u);

    pty.CloseMaster();

    COMSTAT status{};
    status.cbInQue = 99;
    EXPECT_FALSE(api.ClearCommError(port, nullptr, &status));
    EXPECT_EQ(status.cbInQue, 0u);
    const BYTE byte = 0x55;
    DWORD written = 0;
    EXPECT_FALSE(api.WriteFile(port, &byte, 1, &written));
    EXPECT_EQ(written, 0u);
    EXPECT_TRUE(api.CloseHandle(port));
}

TEST_F(PosixSerialApiTest, CallsOnAnInvalidHandleFail)
{
    COMSTAT status{};
    EXPECT_FALSE(api.ClearCommError(INVALID_HANDLE_VALUE, nullptr, &status));
    EXPECT_EQ(api.GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(api.PurgeComm(INVALID_HANDLE_VALUE, PURGE_RXCLEAR));
    EXPECT_FALSE(api.SetupComm(INVALID_HANDLE_VALUE, 32768, 32768));
    EXPECT_EQ(api.GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(PosixSerialApiTest, LineSettingsReachTheDevice)
{
    const HANDLE port = Open();
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    for (const auto& [rate, constant] : {std::pair{CBR_57600, B57600}, std::pair{CBR_19200, B19200}}) {
        const DCB dcb = LineSettings(rate);
        ASSERT_TRUE(api.SetCommState(port, &dcb));
        termios tio{};
        ASSERT_EQ(::tcgetattr(FdOf(port), &tio), 0);
        EXPECT_EQ(cfgetospeed(&tio), constant);
        EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
        EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
        EXPECT_EQ(LineBaudRate(FdOf(port)), rate);
    }
    DCB bad = LineSettings(CBR_9600);
    bad.ByteSize = 9;
    EXPECT_FALSE(api.SetCommState(port, &bad));
    EXPECT_EQ(api.GetLastError(), 87u);  // ERROR_INVALID_PARAMETER
    api.CloseHandle(port);
}

TEST_F(PosixSerialApiTest, RateWithoutTermiosConstantReachesTheDevice)
{
    const HANDLE port = Open();
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    const DCB dcb = LineSettings(CBR_14400);
    if (!api.SetCommState(port, &dcb)) {
        api.CloseHandle(port);
        GTEST_SKIP() << "this kernel's pseudo-terminals refuse arbitrary rates: " << api.LastErrorText();
    }
    EXPECT_EQ(LineBaudRate(FdOf(port)), CBR_14400);
    const DCB back = LineSettings(CBR_19200);
    ASSERT_TRUE(api.SetCommState(port, &back));
    EXPECT_EQ(LineBaudRate(FdOf(port)), CBR_19200) << "input and output rate alike again";
    api.CloseHandle(port);
}

TEST_F(PosixSerialApiTest, RecorderLogsEachCallAndForwardsIt)
{
    RecordingSerialApi recorder(&api);
    const HANDLE port = recorder.CreateFileA("\\\\.\\COM7", GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, 0);
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    const COMMTIMEOUTS timeouts{MAXDWORD, 0, 0, 0, 0};
    const DCB dcb = LineSettings(CBR_57600);
    recorder.SetupComm(port, 32768, 32768);
    recorder.SetCommTimeouts(port, &timeouts);
    recorder.SetCommState(port, &dcb);
    recorder.WriteFile(port, "<W", 2, nullptr);
    pty.Write({0xD0});
    ASSERT_EQ(WaitForInput(port, 1), 1u);
    BYTE answer = 0;
    DWORD read = 0;
    EXPECT_TRUE(recorder.ReadFile(port, &answer, 1, &read));
    EXPECT_TRUE(recorder.CloseHandle(port));

    EXPECT_THAT(recorder.CallNames(), ElementsAre("CreateFileA", "SetupComm", "SetCommTimeouts", "SetCommState",
                                                  "WriteFile", "ReadFile", "CloseHandle"));
    const auto& calls = recorder.Calls();
    EXPECT_EQ(calls[0].fileName, "\\\\.\\COM7");
    EXPECT_THAT(calls[0].args, ElementsAre(GENERIC_READ | GENERIC_WRITE, 0u, OPEN_EXISTING, 0u));
    EXPECT_EQ(calls[0].handle, port);
    EXPECT_THAT(calls[1].args, ElementsAre(32768u, 32768u));
    ASSERT_TRUE(calls[2].timeouts.has_value());
    EXPECT_EQ(calls[2].timeouts->ReadIntervalTimeout, MAXDWORD);
    ASSERT_TRUE(calls[3].dcb.has_value());
    EXPECT_EQ(calls[3].dcb->BaudRate, CBR_57600);
    EXPECT_THAT(recorder.WrittenBytes(), ElementsAre('<', 'W'));
    EXPECT_THAT(calls[5].bytes, ElementsAre(0xD0));
    EXPECT_EQ(pty.Read(2), (Bytes{'<', 'W'}));
}

TEST_F(PosixSerialApiTest, RecorderCanRefuseOpensBeforeForwarding)
{
    RecordingSerialApi recorder(&api);
    recorder.FailCreateFile(1, ERROR_SHARING_VIOLATION, "in use");
    EXPECT_EQ(recorder.CreateFileA("\\\\.\\COM7", GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, 0),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(recorder.GetLastError(), ERROR_SHARING_VIOLATION);
    EXPECT_STREQ(recorder.LastErrorText(), "in use");

    const HANDLE port = recorder.CreateFileA("\\\\.\\COM7", GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, 0);
    EXPECT_NE(port, INVALID_HANDLE_VALUE);
    recorder.CloseHandle(port);
    EXPECT_EQ(recorder.Count("CreateFileA"), 2);
}

TEST(RecordingSerialApiTest, WithoutInnerApiActsAsAQuietPresentDevice)
{
    RecordingSerialApi recorder;
    const HANDLE first = recorder.CreateFileA("\\\\.\\COM3", GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, 0);
    const HANDLE second = recorder.CreateFileA("\\\\.\\COM4", GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, 0);
    EXPECT_NE(first, INVALID_HANDLE_VALUE);
    EXPECT_NE(first, second);
    DWORD written = 0;
    EXPECT_TRUE(recorder.WriteFile(first, "abc", 3, &written));
    EXPECT_EQ(written, 3u);
    COMSTAT status{};
    status.cbInQue = 7;
    EXPECT_TRUE(recorder.ClearCommError(first, nullptr, &status));
    EXPECT_EQ(status.cbInQue, 0u);
    BYTE byte = 0;
    DWORD read = 5;
    EXPECT_TRUE(recorder.ReadFile(first, &byte, 1, &read));
    EXPECT_EQ(read, 0u);
    EXPECT_TRUE(recorder.EscapeCommFunction(first, CLRDTR));
    EXPECT_EQ(recorder.Calls()[4].handle, first);
    EXPECT_THAT(recorder.Calls()[5].args, ElementsAre(CLRDTR));
}

// The mapping itself, which a pseudo-terminal cannot show: it keeps 8 data
// bits and no parity whatever it is told.
class DcbToTermiosTest : public ::testing::Test {
protected:
    // Starts from a cooked terminal so that every raw-mode change shows.
    termios Cooked() const
    {
        termios tio{};
        tio.c_iflag = ICRNL | IXON | IXOFF | INPCK | ISTRIP | BRKINT;
        tio.c_oflag = OPOST | ONLCR;
        tio.c_lflag = ICANON | ECHO | ISIG | IEXTEN;
        tio.c_cflag = CS7 | PARENB | CRTSCTS | CSTOPB | CIBAUD;  // CIBAUD: a separate input rate
        tio.c_cc[VMIN] = 1;
        tio.c_cc[VTIME] = 5;
        cfsetospeed(&tio, B2400);
        cfsetispeed(&tio, B2400);
        return tio;
    }

    termios Mapped(const DCB& dcb) const
    {
        termios tio = Cooked();
        EXPECT_TRUE(DcbToTermios(dcb, tio));
        return tio;
    }
};

TEST_F(DcbToTermiosTest, RatesMapToTheirConstants)
{
    const std::pair<DWORD, speed_t> table[] = {
        {CBR_300, B300},     {CBR_600, B600},     {CBR_1200, B1200},   {CBR_2400, B2400},
        {CBR_4800, B4800},   {CBR_9600, B9600},   {CBR_19200, B19200}, {CBR_38400, B38400},
        {CBR_57600, B57600}, {CBR_115200, B115200},
    };
    for (const auto& [rate, constant] : table) {
        SCOPED_TRACE(rate);
        EXPECT_EQ(BaudRateConstant(rate), constant);
        const termios tio = Mapped(LineSettings(rate));
        EXPECT_EQ(cfgetospeed(&tio), constant);
        EXPECT_EQ(cfgetispeed(&tio), constant);
        EXPECT_EQ(tio.c_cflag & CIBAUD, 0u) << "the input rate follows the output rate";
    }
    EXPECT_EQ(BaudRateConstant(CBR_14400), static_cast<speed_t>(B0));
    const termios tio = Mapped(LineSettings(CBR_14400));
    EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B2400)) << "a rate without constant is left to termios2";
}

TEST_F(DcbToTermiosTest, ParitiesIncludingMarkAndSpace)
{
    constexpr tcflag_t kParityBits = PARENB | PARODD | CMSPAR;
    const std::pair<BYTE, tcflag_t> table[] = {
        {NOPARITY, 0},
        {ODDPARITY, PARENB | PARODD},
        {EVENPARITY, PARENB},
        {MARKPARITY, PARENB | CMSPAR | PARODD},
        {SPACEPARITY, PARENB | CMSPAR},
    };
    for (const auto& [parity, flags] : table) {
        SCOPED_TRACE(static_cast<int>(parity));
        DCB dcb = LineSettings(CBR_9600);
        dcb.Parity = parity;
        termios tio = Mapped(dcb);
        EXPECT_EQ(tio.c_cflag & kParityBits, flags);
        EXPECT_EQ((tio.c_iflag & INPCK) != 0, parity != NOPARITY) << "checking follows fParity when parity is on";
        dcb.fParity = FALSE;
        tio = Mapped(dcb);
        EXPECT_EQ(tio.c_cflag & kParityBits, flags);
        EXPECT_EQ(tio.c_iflag & INPCK, 0u);
    }
}

TEST_F(DcbToTermiosTest, DataAndStopBits)
{
    const std::pair<BYTE, tcflag_t> sizes[] = {{5, CS5}, {6, CS6}, {7, CS7}, {8, CS8}};
    for (const auto& [byteSize, flag] : sizes) {
        DCB dcb = LineSettings(CBR_9600);
        dcb.ByteSize = byteSize;
        EXPECT_EQ(Mapped(dcb).c_cflag & CSIZE, flag) << static_cast<int>(byteSize);
    }
    DCB dcb = LineSettings(CBR_9600);
    EXPECT_EQ(Mapped(dcb).c_cflag & CSTOPB, 0u);
    dcb.StopBits = TWOSTOPBITS;
    EXPECT_NE(Mapped(dcb).c_cflag & CSTOPB, 0u);
    dcb.ByteSize = 5;
    dcb.StopBits = ONE5STOPBITS;
    EXPECT_NE(Mapped(dcb).c_cflag & CSTOPB, 0u);
}

TEST_F(DcbToTermiosTest, RawLineWithoutFlowControl)
{
    DCB dcb = LineSettings(CBR_57600);
    dcb.fOutxCtsFlow = TRUE;  // asked for, but the relay line never uses flow control
    dcb.fOutX = TRUE;
    dcb.fInX = TRUE;
    const termios tio = Mapped(dcb);
    EXPECT_EQ(tio.c_iflag & (ICRNL | IXON | IXOFF | IXANY | ISTRIP | BRKINT), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(tio.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(tio.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(tio.c_cc[VMIN], 0);
    EXPECT_EQ(tio.c_cc[VTIME], 0);
}

TEST_F(DcbToTermiosTest, SettingsWin32RefusesLeaveTheTerminalAlone)
{
    auto with = [](auto change) {
        DCB dcb = LineSettings(CBR_9600);
        change(dcb);
        return dcb;
    };
    const DCB refused[] = {
        with([](DCB& d) { d.BaudRate = 0; }),
        with([](DCB& d) { d.ByteSize = 4; }),
        with([](DCB& d) { d.ByteSize = 9; }),
        with([](DCB& d) { d.Parity = 5; }),
        with([](DCB& d) { d.StopBits = 3; }),
        with([](DCB& d) { d.StopBits = ONE5STOPBITS; }),
        with([](DCB& d) { d.ByteSize = 5; d.StopBits = TWOSTOPBITS; }),
    };
    for (const DCB& dcb : refused) {
        termios tio = Cooked();
        const termios before = tio;
        EXPECT_FALSE(DcbToTermios(dcb, tio));
        EXPECT_EQ(std::memcmp(&tio, &before, sizeof(tio)), 0);
    }
}

}  // namespace
}  // namespace fwut
