#include "platform/ConsoleSignals.h"

#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <thread>

#include "platform/posix/FdIo.h"
#include "platform/posix/SignalSet.h"

namespace fwut::console {
namespace {

constexpr int kStopSignals[] = {SIGINT, SIGQUIT, SIGTERM, SIGHUP};
constexpr int kPauseSignals[] = {SIGTSTP, SIGTTIN, SIGTTOU};

void (*g_onInterrupt)() = nullptr;
volatile std::sig_atomic_t g_stopRequested = 0;
volatile std::sig_atomic_t g_pauseRefused = 0;
sigset_t g_ignoredAtStart;
int g_holdDepth = 0;
struct sigaction g_pauseActions[sizeof kPauseSignals / sizeof kPauseSignals[0]];

extern "C" void OnSignal(int)
{
    g_stopRequested = 1;
    g_onInterrupt();
}

extern "C" void OnPauseRequest(int)
{
    g_pauseRefused = 1;
}

bool IgnoredAtStart(int signal)
{
    return sigismember(&g_ignoredAtStart, signal) == 1;
}

sigset_t StopSignals()
{
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : kStopSignals) {
        sigaddset(&set, signal);
    }
    return set;
}

}  // namespace

void OnInterruptRequest(void (*onInterrupt)())
{
    g_onInterrupt = onInterrupt;
    // Without SA_RESTART: a blocking call ends with EINTR and looks at the request.
    struct sigaction action { };
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : kStopSignals) {
        if (!IgnoredAtStart(signal)) {
            sigaction(signal, &action, nullptr);
        }
    }
}

bool StopRequested()
{
    return g_stopRequested != 0;
}

// A background job's write to a terminal with "stty tostop" would stop the
// program too; ignored, the write goes out.
void HoldTerminalStops(bool hold)
{
    if (hold ? g_holdDepth++ != 0 : --g_holdDepth != 0) {
        return;
    }
    for (std::size_t i = 0; i < std::size(kPauseSignals); ++i) {
        const int signal = kPauseSignals[i];
        if (IgnoredAtStart(signal)) {
            continue;
        }
        if (!hold) {
            sigaction(signal, &g_pauseActions[i], nullptr);
            continue;
        }
        struct sigaction action { };
        action.sa_handler = signal == SIGTTOU ? SIG_IGN : OnPauseRequest;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(signal, &action, &g_pauseActions[i]);
    }
}

bool TakeRefusedPause()
{
    if (g_pauseRefused == 0) {
        return false;
    }
    g_pauseRefused = 0;
    return true;
}

bool IsTerminal(std::FILE* stream)
{
    return ::isatty(::fileno(stream)) != 0;
}

// Two terminals count as one: /dev/tty and the terminal's own name are two
// files for one screen.
bool OutputsShareOneFile()
{
    struct stat output { };
    struct stat error { };
    return (::isatty(STDOUT_FILENO) != 0 && ::isatty(STDERR_FILENO) != 0) ||
           (::fstat(STDOUT_FILENO, &output) == 0 && ::fstat(STDERR_FILENO, &error) == 0 &&
            output.st_dev == error.st_dev && output.st_ino == error.st_ino);
}

int WriteAll(bool toError, std::string_view text, bool untilStopRequest)
{
    return posix::WriteFully(toError ? STDERR_FILENO : STDOUT_FILENO, text.data(), text.size(),
                             untilStopRequest ? StopRequested : nullptr);
}

int WriteIfReady(bool toError, std::string_view text)
{
    return posix::WriteFully(toError ? STDERR_FILENO : STDOUT_FILENO, text.data(), text.size(), [] { return true; });
}

std::string ErrorText(int error)
{
    return std::strerror(error);
}

// A new thread starts with its creator's signal mask.
void StartThreadAwayFromStopRequests(std::function<void()> body)
{
    const sigset_t stops = StopSignals();
    sigset_t before;
    pthread_sigmask(SIG_BLOCK, &stops, &before);
    std::thread(std::move(body)).detach();
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
}

unsigned long ProcessId()
{
    return static_cast<unsigned long>(::getpid());
}

}  // namespace fwut::console

namespace fwut::posix {

sigset_t StopAndPauseSignals()
{
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : console::kStopSignals) {
        sigaddset(&set, signal);
    }
    for (const int signal : console::kPauseSignals) {
        sigaddset(&set, signal);
    }
    sigaddset(&set, SIGPIPE);
    return set;
}

void NoteSignalsIgnoredAtStart()
{
    sigemptyset(&console::g_ignoredAtStart);
    const sigset_t all = StopAndPauseSignals();
    for (int signal = 1; signal < NSIG; ++signal) {
        struct sigaction current { };
        if (sigismember(&all, signal) == 1 && signal != SIGPIPE && sigaction(signal, nullptr, &current) == 0 &&
            current.sa_handler == SIG_IGN) {
            sigaddset(&console::g_ignoredAtStart, signal);
        }
    }
}

}  // namespace fwut::posix
