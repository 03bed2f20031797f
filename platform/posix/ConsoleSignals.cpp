#include "platform/ConsoleSignals.h"

#include <csignal>

#include <pthread.h>
#include <unistd.h>

#include <cerrno>

namespace fwut::console {
namespace {

void (*g_onInterrupt)() = nullptr;
volatile std::sig_atomic_t g_stopRequested = 0;

extern "C" void OnSignal(int)
{
    g_stopRequested = 1;
    g_onInterrupt();
}

}  // namespace

void OnInterruptRequest(void (*onInterrupt)())
{
    g_onInterrupt = onInterrupt;
    // Without SA_RESTART: a blocking call ends with EINTR and looks at the request.
    struct sigaction action { };
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

void KeepRunningWhenOutputCloses()
{
    std::signal(SIGPIPE, SIG_IGN);
}

bool StopRequested()
{
    return g_stopRequested != 0;
}

bool IsTerminal(std::FILE* stream)
{
    return ::isatty(::fileno(stream)) != 0;
}

bool WriteAll(bool toError, std::string_view text)
{
    const int fd = toError ? STDERR_FILENO : STDOUT_FILENO;
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

void BlockStopRequestsOnThisThread()
{
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGINT);
    sigaddset(&stops, SIGTERM);
    sigaddset(&stops, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stops, nullptr);
}

unsigned long ProcessId()
{
    return static_cast<unsigned long>(::getpid());
}

}  // namespace fwut::console
