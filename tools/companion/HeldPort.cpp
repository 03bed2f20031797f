#include "tools/companion/HeldPort.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace fwut::companion {

std::string HeldPort::Take()
{
    if (Held()) {
        return std::string();
    }
    const int fd = ::open(m_path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return std::strerror(errno);
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const std::string reason = std::strerror(errno);
        ::close(fd);
        return reason;
    }
    m_fd = fd;
    return std::string();
}

void HeldPort::Release()
{
    if (Held()) {
        ::close(m_fd);
        m_fd = -1;
    }
}

}  // namespace fwut::companion
