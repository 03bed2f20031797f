#include "platform/posix/FdIo.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace fwut::posix {

int WriteFully(int fd, const void* data, std::size_t size, bool (*giveUp)())
{
    const auto* bytes = static_cast<const char*>(data);
    for (std::size_t done = 0; done < size;) {
        const ssize_t n = ::write(fd, bytes + done, size - done);
        if (n < 0 && errno == EINTR && (giveUp == nullptr || !giveUp())) {
            continue;
        }
        if (n <= 0) {
            return n < 0 ? errno : EIO;
        }
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

int ReadToEnd(int fd, std::string& text, std::size_t limit)
{
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return errno;
        }
        if (n == 0) {
            return 0;
        }
        if (text.size() + static_cast<std::size_t>(n) > limit) {
            return EFBIG;
        }
        text.append(buffer, static_cast<std::size_t>(n));
    }
}

int OpenRetrying(const char* path, int flags, unsigned mode)
{
    int fd;
    do {
        fd = ::open(path, flags, static_cast<mode_t>(mode));
    } while (fd < 0 && errno == EINTR);
    return fd;
}

}  // namespace fwut::posix
