#include "platform/posix/PosixSerialApi.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <system_error>

#include "platform/ComPortName.h"
#include "platform/ConsoleSignals.h"
#include "platform/posix/DcbTermios.h"
#include "platform/posix/DrainWatch.h"
#include "platform/posix/LowLatency.h"
#include "platform/posix/SerialDevice.h"
#include "platform/posix/TermiosBaudRate.h"

namespace fwut {
namespace {

int FdOf(HANDLE port)
{
    return static_cast<int>(reinterpret_cast<std::intptr_t>(port));
}

HANDLE HandleOf(int fd)
{
    return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(fd));
}

DWORD Win32ErrorFromErrno(int err)
{
    switch (err) {
    case ENOENT:
    case ENXIO:
    case ENODEV:
        return ERROR_FILE_NOT_FOUND;
    case EACCES:
    case EPERM:
        return ERROR_ACCESS_DENIED;
    case EBUSY:
    case EWOULDBLOCK:
        return ERROR_SHARING_VIOLATION;
    case EBADF:
        return ERROR_INVALID_HANDLE;
    case EISDIR:
        return ERROR_BAD_DEVICE;
    case ETIMEDOUT:
        return ERROR_TIMEOUT;
    case ECANCELED:
        return ERROR_OPERATION_ABORTED;
    case EINVAL:
        return ERROR_INVALID_PARAMETER;
    default:
        return ERROR_GEN_FAILURE;
    }
}

// The port number of "\\.\COM<n>", or -1.
int PortNumberOf(const char* fileName)
{
    constexpr std::string_view kDeviceNamespace = "\\\\.\\";
    const std::string_view name = fileName != nullptr ? fileName : "";
    return name.starts_with(kDeviceNamespace) ? ComPortNumber(name.substr(kDeviceNamespace.size())) : -1;
}

// Claims the open device for this process and makes it a raw byte pipe.
// Returns 0 or the errno of the step that failed.
//
// No sharing, as a Win32 open of a COM port: an advisory lock, which every
// copy of this program (and the companion stand-in) takes, and which the
// system drops with the last descriptor even when the process is killed.
// TIOCEXCL would also turn away programs that take no lock, but it belongs
// to the terminal and outlives a killed process while anything else keeps
// the terminal open, leaving the port refused to every later run.
int ClaimAndMakeRaw(int fd, termios& original)
{
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        return errno;
    }
    if (::tcgetattr(fd, &original) != 0) {
        return errno;
    }
    termios tio = original;
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    return ::tcsetattr(fd, TCSANOW, &tio) == 0 ? 0 : errno;
}

bool ChangeModemLines(int fd, unsigned long request, int lines)
{
    return ::ioctl(fd, request, &lines) == 0;
}

// Raises or lowers DTR and RTS as the DCB asks. A pseudo-terminal has no modem
// lines, so failures are ignored as they would be on a port without them.
void ApplyModemLines(int fd, const DCB& dcb)
{
    if (dcb.fDtrControl == DTR_CONTROL_ENABLE) {
        ChangeModemLines(fd, TIOCMBIS, TIOCM_DTR);
    } else if (dcb.fDtrControl == DTR_CONTROL_DISABLE) {
        ChangeModemLines(fd, TIOCMBIC, TIOCM_DTR);
    }
    if (dcb.fRtsControl == RTS_CONTROL_ENABLE) {
        ChangeModemLines(fd, TIOCMBIS, TIOCM_RTS);
    } else if (dcb.fRtsControl == RTS_CONTROL_DISABLE) {
        ChangeModemLines(fd, TIOCMBIC, TIOCM_RTS);
    }
}

// EIO when the device has gone (an unplugged adapter, a closed pty master),
// EBADF for a descriptor that is not open, else 0.
int HangUpError(int fd)
{
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 0) < 0) {
        return errno;
    }
    if ((p.revents & POLLNVAL) != 0) {
        return EBADF;
    }
    return (p.revents & (POLLHUP | POLLERR)) != 0 ? EIO : 0;
}

std::int64_t NowMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
}

constexpr int kPollSliceMs = 100;

int OutputQueued(int fd)
{
    int queued = 0;
    return ::ioctl(fd, TIOCOUTQ, &queued) == 0 ? queued : 0;
}

// After a request to stop, a line that has taken nothing for this long is
// given up at once: the stop must not wait out the whole stall limit. A line
// that still takes bytes finishes its write, so that the closing command
// still goes out on a working line.
constexpr std::int64_t kStalledAfterStopMs = 300;

// Whether a line that last made progress at lastProgressMs has stalled: for
// stallMs (0: no limit), or for kStalledAfterStopMs once a stop was requested.
// Returns 0, ETIMEDOUT or ECANCELED.
int StallError(DWORD stallMs, std::int64_t lastProgressMs)
{
    const std::int64_t idleMs = NowMs() - lastProgressMs;
    if (stallMs != 0 && idleMs >= stallMs) {
        return ETIMEDOUT;
    }
    return console::StopRequested() && idleMs >= kStalledAfterStopMs ? ECANCELED : 0;
}

// Waits until fd can take more bytes. Returns 0, or the errno that ends the
// write (see StallError).
int WaitWritable(int fd, DWORD stallMs, std::int64_t lastProgressMs)
{
    for (;;) {
        if (const int err = StallError(stallMs, lastProgressMs); err != 0) {
            return err;
        }
        pollfd p{fd, POLLOUT, 0};
        const int ready = ::poll(&p, 1, kPollSliceMs);
        if (ready < 0 && errno != EINTR) {
            return errno;
        }
        if (ready > 0) {
            if ((p.revents & POLLNVAL) != 0) {
                return EBADF;
            }
            return (p.revents & (POLLHUP | POLLERR)) != 0 ? EIO : 0;
        }
    }
}

// tcdrain, bounded as a write is (StallError), with the output queue's
// shrinking as the progress. A periodic watch interrupts the drain so that
// the queue can be looked at; a signal (our own stop request) does the same
// and is no failure of the line.
int BoundedDrain(int fd, DWORD stallMs)
{
    DrainWatch watch(kPollSliceMs);
    int lastQueued = OutputQueued(fd);
    std::int64_t lastProgressMs = NowMs();
    for (;;) {
        if (::tcdrain(fd) == 0) {
            return 0;
        }
        if (errno != EINTR) {
            return errno;
        }
        if (const int queued = OutputQueued(fd); queued < lastQueued) {
            lastQueued = queued;
            lastProgressMs = NowMs();
        } else if (const int err = StallError(stallMs, lastProgressMs); err != 0) {
            return err;
        }
    }
}

}  // namespace

PosixSerialApi::PosixSerialApi(SerialCommKey& ports) : m_ports(ports)
{
}

BOOL PosixSerialApi::Fail(int err)
{
    return Fail(Win32ErrorFromErrno(err), std::generic_category().message(err));
}

BOOL PosixSerialApi::Fail(DWORD error, std::string text)
{
    m_lastError = error;
    m_lastErrorText = std::move(text);
    return FALSE;
}

BOOL PosixSerialApi::CheckHandle(HANDLE port)
{
    return ::fcntl(FdOf(port), F_GETFD) == -1 ? Fail(EBADF) : TRUE;
}

// Access, sharing, disposition and flags are those of the only open the port
// object makes (read-write, exclusive, existing, synchronous), so they are not
// looked at.
HANDLE PosixSerialApi::CreateFileA(const char* fileName, DWORD, DWORD, DWORD, DWORD)
{
    const int number = PortNumberOf(fileName);
    const std::string path = number > 0 ? m_ports.DevicePath(number) : std::string();
    if (path.empty()) {
        Fail(ENOENT);
        return INVALID_HANDLE_VALUE;
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        Fail(errno);
        return INVALID_HANDLE_VALUE;
    }
    if (const std::string problem = SerialDeviceProblem(fd); !problem.empty()) {
        ::close(fd);
        Fail(ERROR_BAD_DEVICE, problem);
        return INVALID_HANDLE_VALUE;
    }
    termios original{};
    if (const int err = ClaimAndMakeRaw(fd, original); err != 0) {
        ::close(fd);
        Fail(err);
        return INVALID_HANDLE_VALUE;
    }
    // Where the driver does not take it, the port works as before, only with
    // the adapter's own latency.
    RequestLowLatency(fd);
    m_writeStallMs[fd] = 0;
    m_originalSettings[fd] = original;
    console::HoldTerminalStops(true);
    return HandleOf(fd);
}

// The driver's queues are its own; there is nothing to size.
BOOL PosixSerialApi::SetupComm(HANDLE port, DWORD, DWORD)
{
    return CheckHandle(port);
}

// Reads never wait (VMIN = VTIME = 0 on a non-blocking descriptor), which is
// what the port object asks for with a MAXDWORD read interval. The write
// total's constant bounds how long a write may go without the line taking a
// byte; the port object's writes are at most one frame long, so it bounds
// the whole write as on Windows. Zero means no limit.
BOOL PosixSerialApi::SetCommTimeouts(HANDLE port, const COMMTIMEOUTS* timeouts)
{
    if (timeouts == nullptr) {
        return Fail(EINVAL);
    }
    if (!CheckHandle(port)) {
        return FALSE;
    }
    m_writeStallMs[FdOf(port)] = timeouts->WriteTotalTimeoutConstant;
    return TRUE;
}

BOOL PosixSerialApi::SetCommState(HANDLE port, const DCB* dcb)
{
    const int fd = FdOf(port);
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) {
        return Fail(errno);
    }
    if (dcb == nullptr || !DcbToTermios(*dcb, tio)) {
        return Fail(EINVAL);
    }
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
        return Fail(errno);
    }
    if (BaudRateConstant(dcb->BaudRate) == B0 && !SetArbitraryBaudRate(fd, dcb->BaudRate)) {
        return Fail(errno);
    }
    ApplyModemLines(fd, *dcb);
    return TRUE;
}

// Nothing waits on comm events.
BOOL PosixSerialApi::SetCommMask(HANDLE port, DWORD)
{
    return CheckHandle(port);
}

BOOL PosixSerialApi::PurgeComm(HANDLE port, DWORD flags)
{
    const bool input = (flags & PURGE_RXCLEAR) != 0;
    const bool output = (flags & PURGE_TXCLEAR) != 0;
    if (!input && !output) {
        // Aborts only: no overlapped read or write is ever pending.
        return CheckHandle(port);
    }
    const int queue = input && output ? TCIOFLUSH : (input ? TCIFLUSH : TCOFLUSH);
    return ::tcflush(FdOf(port), queue) == 0 ? TRUE : Fail(errno);
}

BOOL PosixSerialApi::ClearCommError(HANDLE port, DWORD* errors, COMSTAT* status)
{
    if (errors != nullptr) {
        *errors = 0;
    }
    if (status != nullptr) {
        *status = COMSTAT{};
    }
    const int fd = FdOf(port);
    if (const int err = HangUpError(fd); err != 0) {
        return Fail(err);
    }
    int inQueue = 0;
    int outQueue = 0;
    if (::ioctl(fd, FIONREAD, &inQueue) != 0 || ::ioctl(fd, TIOCOUTQ, &outQueue) != 0) {
        return Fail(errno);
    }
    if (status != nullptr) {
        status->cbInQue = static_cast<DWORD>(inQueue);
        status->cbOutQue = static_cast<DWORD>(outQueue);
    }
    return TRUE;
}

BOOL PosixSerialApi::ReadFile(HANDLE port, void* buffer, DWORD toRead, DWORD* read)
{
    if (read != nullptr) {
        *read = 0;
    }
    if (toRead == 0) {
        return CheckHandle(port);
    }
    for (;;) {
        const ssize_t n = ::read(FdOf(port), buffer, toRead);
        if (n >= 0) {
            if (read != nullptr) {
                *read = static_cast<DWORD>(n);
            }
            return TRUE;
        }
        if (errno == EAGAIN) {
            return TRUE;
        }
        if (errno != EINTR) {
            return Fail(errno);
        }
    }
}

BOOL PosixSerialApi::WriteFile(HANDLE port, const void* buffer, DWORD toWrite, DWORD* written)
{
    const int fd = FdOf(port);
    const auto stall = m_writeStallMs.find(fd);
    const DWORD stallMs = stall == m_writeStallMs.end() ? 0 : stall->second;
    const auto* bytes = static_cast<const BYTE*>(buffer);
    DWORD done = 0;
    int err = 0;
    std::int64_t lastProgressMs = NowMs();
    while (done < toWrite && err == 0) {
        const ssize_t n = ::write(fd, bytes + done, toWrite - done);
        if (n > 0) {
            done += static_cast<DWORD>(n);
            lastProgressMs = NowMs();
        } else if (n < 0 && errno == EAGAIN) {
            err = WaitWritable(fd, stallMs, lastProgressMs);
        } else if (n == 0 || errno != EINTR) {
            err = n == 0 ? EIO : errno;
        }
    }
    // A synchronous write to a Windows serial port returns once the bytes have
    // left for the line, so the pause that follows a write is a pause on the
    // wire; without this, the tty layer's buffer would swallow the pauses the
    // boot loader relies on.
    if (err == 0) {
        err = BoundedDrain(fd, stallMs);
    }
    if (written != nullptr) {
        *written = done;
    }
    return err == 0 ? TRUE : Fail(err);
}

BOOL PosixSerialApi::EscapeCommFunction(HANDLE port, DWORD function)
{
    const int fd = FdOf(port);
    bool done = false;
    switch (function) {
    case SETDTR:
        done = ChangeModemLines(fd, TIOCMBIS, TIOCM_DTR);
        break;
    case CLRDTR:
        done = ChangeModemLines(fd, TIOCMBIC, TIOCM_DTR);
        break;
    case SETRTS:
        done = ChangeModemLines(fd, TIOCMBIS, TIOCM_RTS);
        break;
    case CLRRTS:
        done = ChangeModemLines(fd, TIOCMBIC, TIOCM_RTS);
        break;
    default:
        return Fail(EINVAL);
    }
    return done ? TRUE : Fail(errno);
}

BOOL PosixSerialApi::CloseHandle(HANDLE port)
{
    const int fd = FdOf(port);
    if (m_writeStallMs.erase(fd) != 0) {
        console::HoldTerminalStops(false);
    }
    // Bytes a stopped line never took would make close() wait for them (up to
    // 30 s on a serial port); a Windows handle closes at once. Only those are
    // dropped: on a working line the drain after each write has sent the rest,
    // and a pseudo-terminal's reader may not have read it yet.
    if (OutputQueued(fd) > 0) {
        ::tcflush(fd, TCOFLUSH);
    }
    if (const auto original = m_originalSettings.find(fd); original != m_originalSettings.end()) {
        ::tcsetattr(fd, TCSANOW, &original->second);
        m_originalSettings.erase(original);
    }
    return ::close(fd) == 0 ? TRUE : Fail(errno);
}

}  // namespace fwut
