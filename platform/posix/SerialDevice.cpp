#include "platform/posix/SerialDevice.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <sstream>

namespace fwut {
namespace {

// The device number of the controlling terminal, from /proc/self/stat, or 0.
dev_t ControllingTerminal()
{
    std::ifstream stat("/proc/self/stat");
    const std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // The command name may hold blanks and parentheses: the fields follow the last ')'.
    const auto close = text.rfind(')');
    if (close == std::string::npos) {
        return 0;
    }
    std::istringstream fields(text.substr(close + 1));
    std::string state;
    long parent = 0;
    long group = 0;
    long session = 0;
    unsigned long number = 0;
    fields >> state >> parent >> group >> session >> number;
    return number == 0 ? 0 : makedev((number >> 8) & 0xFFF, (number & 0xFF) | ((number >> 12) & 0xFFF00));
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
    return IsOwnTerminal(device.st_rdev) ? "the terminal this program runs in" : std::string();
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
