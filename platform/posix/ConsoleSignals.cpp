#include "platform/ConsoleSignals.h"

#include <csignal>

#include <unistd.h>

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

unsigned long ProcessId()
{
    return static_cast<unsigned long>(::getpid());
}

}  // namespace fwut::console
