#include "platform/ConsoleSignals.h"

#include <csignal>

#include <unistd.h>

namespace fwut::console {
namespace {

void (*g_onInterrupt)() = nullptr;

extern "C" void OnSignal(int)
{
    g_onInterrupt();
}

}  // namespace

void OnInterruptRequest(void (*onInterrupt)())
{
    g_onInterrupt = onInterrupt;
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
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
