#include "platform/posix/FdIo.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>

namespace fwut::posix {

namespace {

// How often a wait for a reader looks whether to give up.
constexpr int kGiveUpCheckMs = 100;

// Waits until fd takes bytes (or has an error that the write will report);
// EINTR once giveUp says so. A descriptor open only for reading never takes
// any: EBADF, as its write would say.
int AwaitWritable(int fd, bool (*giveUp)())
{
    if (const int flags = ::fcntl(fd, F_GETFL); flags >= 0 && (flags & O_ACCMODE) == O_RDONLY) {
        return EBADF;
    }
    pollfd output{fd, POLLOUT, 0};
    for (int waitMs = 0;; waitMs = giveUp != nullptr ? kGiveUpCheckMs : -1) {
        const int ready = ::poll(&output, 1, waitMs);
        if (ready > 0 || (ready < 0 && errno != EINTR)) {
            return 0;
        }
        if (giveUp != nullptr && giveUp()) {
            return EINTR;
        }
    }
}

}  // namespace

// With giveUp, a write starts only once poll says the descriptor takes bytes,
// and takes no more than that promises (PIPE_BUF on a pipe): a stop request
// that came just before a blocking write could not end it. A descriptor
// another program made non-blocking is waited for the same way.
int WriteFully(int fd, const void* data, std::size_t size, bool (*giveUp)())
{
    const auto* bytes = static_cast<const char*>(data);
    for (std::size_t done = 0; done < size;) {
        if (giveUp != nullptr) {
            if (const int error = AwaitWritable(fd, giveUp); error != 0) {
                return error;
            }
        }
        const std::size_t chunk = giveUp != nullptr ? std::min<std::size_t>(size - done, PIPE_BUF) : size - done;
        const ssize_t n = ::write(fd, bytes + done, chunk);
        if (n < 0 && errno == EINTR) {
            if (giveUp != nullptr && giveUp()) {
                return EINTR;
            }
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (const int error = AwaitWritable(fd, giveUp); error != 0) {
                return error;
            }
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
