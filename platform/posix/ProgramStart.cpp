#include "platform/ProgramStart.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/SignalSet.h"

namespace fwut::program {

void Start()
{
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) {
            continue;
        }
        // The lowest free number is the closed one.
        const int null = ::open("/dev/null", O_RDWR | O_NOCTTY);
        if (null != fd) {
            ::_exit(1);
        }
    }
    ::signal(SIGPIPE, SIG_IGN);
    // A file size limit then fails the write, as a full disk does.
    ::signal(SIGXFSZ, SIG_IGN);
    const sigset_t requests = posix::StopAndPauseSignals();
    ::pthread_sigmask(SIG_UNBLOCK, &requests, nullptr);
    posix::NoteSignalsIgnoredAtStart();
}

}  // namespace fwut::program
