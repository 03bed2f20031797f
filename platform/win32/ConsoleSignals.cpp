#include "platform/ConsoleSignals.h"

#include "platform/Win32Types.h"

#include <io.h>

namespace fwut::console {
namespace {

void (*g_onInterrupt)() = nullptr;

// Runs on a thread that the system starts for the event. Returning TRUE keeps
// the process alive so the update can end cleanly; for a closing console the
// system ends the process a few seconds later all the same.
BOOL WINAPI OnControlEvent(DWORD)
{
    g_onInterrupt();
    return TRUE;
}

}  // namespace

void OnInterruptRequest(void (*onInterrupt)())
{
    g_onInterrupt = onInterrupt;
    ::SetConsoleCtrlHandler(OnControlEvent, TRUE);
}

bool IsTerminal(std::FILE* stream)
{
    return ::_isatty(::_fileno(stream)) != 0;
}

unsigned long ProcessId()
{
    return ::GetCurrentProcessId();
}

}  // namespace fwut::console
