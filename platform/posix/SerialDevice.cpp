#include "platform/posix/SerialDevice.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/Printable.h"

namespace fwut {
namespace {

struct ProcessTerminal {
    std::string command;  // the program's name, as the system keeps it
    dev_t terminal = 0;  // its controlling terminal's device number, or 0
};

// What /proc/<pid>/stat says of a process's name and controlling terminal.
ProcessTerminal ReadProcessTerminal(const std::string& statPath)
{
    // Read through the stream, which turns a failed read into its failbit:
    // a process that ends meanwhile makes the read fail (ESRCH), and the
    // stream buffer itself would throw that out of the scan.
    std::ifstream stat(statPath);
    std::ostringstream contents;
    contents << stat.rdbuf();
    const std::string text = contents.str();
    // The command name may hold blanks and parentheses: the fields follow the last ')'.
    const auto open = text.find('(');
    const auto close = text.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open) {
        return {};
    }
    std::istringstream fields(text.substr(close + 1));
    std::string state;
    long parent = 0;
    long group = 0;
    long session = 0;
    unsigned long number = 0;
    fields >> state >> parent >> group >> session >> number;
    const dev_t terminal =
        number == 0 ? 0 : makedev((number >> 8) & 0xFFF, (number & 0xFF) | ((number >> 12) & 0xFFF00));
    return {text.substr(open + 1, close - open - 1), terminal};
}

dev_t ControllingTerminal()
{
    return ReadProcessTerminal("/proc/self/stat").terminal;
}

// "bash, process 4711" for a process of another session whose controlling
// terminal the device is; empty when there is none. Writing relay commands
// there would reach that program's user, and raw mode would ruin their session.
std::string OtherSessionOfTerminal(dev_t device)
{
    // Stepped with an error code: the range form throws when a read fails.
    std::error_code error;
    for (std::filesystem::directory_iterator it("/proc", error), end; !error && it != end; it.increment(error)) {
        const std::string pid = it->path().filename().string();
        if (pid.find_first_not_of("0123456789") != std::string::npos ||
            pid == std::to_string(static_cast<long>(::getpid()))) {
            continue;
        }
        const ProcessTerminal process = ReadProcessTerminal(it->path().string() + "/stat");
        if (process.terminal == device) {
            // A program names itself: its name may hold any byte.
            return Printable(process.command) + ", process " + pid;
        }
    }
    return std::string();
}

bool IsOwnTerminal(dev_t device)
{
    // (5, 0) is /dev/tty, the controlling terminal by another name.
    if (device == makedev(5, 0) || device == ControllingTerminal()) {
        return true;
    }
    for (int stream : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        struct stat st { };
        if (::isatty(stream) && ::fstat(stream, &st) == 0 && st.st_rdev == device) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::string SerialDeviceProblem(int fd)
{
    struct stat device { };
    if (::fstat(fd, &device) != 0 || !S_ISCHR(device.st_mode) || !::isatty(fd)) {
        return "not a serial port";
    }
    if (IsOwnTerminal(device.st_rdev)) {
        return "the terminal this program runs in";
    }
    if (const std::string other = OtherSessionOfTerminal(device.st_rdev); !other.empty()) {
        return "the terminal of another program's session (" + other + ")";
    }
    return std::string();
}

std::string SerialDeviceProblem(const std::string& path)
{
    struct stat st { };
    if (::stat(path.c_str(), &st) != 0) {
        return "no such device";
    }
    if (!S_ISCHR(st.st_mode)) {
        return "not a serial port";
    }
    // Non-blocking, so that a modem line that is down does not hold the look.
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        // Busy or not permitted: a serial port all the same, which opening it will explain.
        return std::string();
    }
    std::string problem = SerialDeviceProblem(fd);
    ::close(fd);
    return problem;
}

}  // namespace fwut
