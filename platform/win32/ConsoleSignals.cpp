#include "platform/ConsoleSignals.h"

#include "platform/Win32Types.h"

#include <io.h>

namespace fwut::console {
namespace {

void (*g_onInterrupt)() = nullptr;
volatile LONG g_stopRequested = 0;

// Runs on a thread that the system starts for the event. Returning TRUE keeps
// the process alive so the update can end cleanly; for a closing console the
// system ends the process a few seconds later all the same.
BOOL WINAPI OnControlEvent(DWORD)
{
    ::InterlockedExchange(&g_stopRequested, 1);
    g_onInterrupt();
    return TRUE;
}

}  // namespace

void OnInterruptRequest(void (*onInterrupt)())
{
    g_onInterrupt = onInterrupt;
    ::SetConsoleCtrlHandler(OnControlEvent, TRUE);
}

// A write to a closed pipe fails with an error here; there is no signal to ignore.
void KeepRunningWhenOutputCloses()
{
}

bool StopRequested()
{
    return ::InterlockedCompareExchange(&g_stopRequested, 0, 0) != 0;
}

bool IsTerminal(std::FILE* stream)
{
    return ::_isatty(::_fileno(stream)) != 0;
}

bool WriteAll(bool toError, std::string_view text)
{
    HANDLE output = ::GetStdHandle(toError ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    while (!text.empty()) {
        DWORD written = 0;
        if (!::WriteFile(output, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) || written == 0) {
            return false;
        }
        text.remove_prefix(written);
    }
    return true;
}

// Console events arrive on a thread of the system's own, never on this one.
void BlockStopRequestsOnThisThread()
{
}

unsigned long ProcessId()
{
    return ::GetCurrentProcessId();
}

}  // namespace fwut::console
