#include "platform/ConsoleSignals.h"

#include "platform/Win32Types.h"
#include "platform/win32/HandleIo.h"
#include "platform/win32/Win32SerialApi.h"

#include <io.h>

#include <thread>

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

bool StopRequested()
{
    return ::InterlockedCompareExchange(&g_stopRequested, 0, 0) != 0;
}

// A Windows console has no request to pause a program.
void HoldTerminalStops(bool)
{
}

bool TakeRefusedPause()
{
    return false;
}

bool IsTerminal(std::FILE* stream)
{
    return ::_isatty(::_fileno(stream)) != 0;
}

// Two consoles or one pipe under two handles cannot be told apart: taken as
// one, which keeps the order and costs only a reader that stops both.
bool OutputsShareOneFile()
{
    const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    const HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    BY_HANDLE_FILE_INFORMATION outputFile{};
    BY_HANDLE_FILE_INFORMATION errorFile{};
    if (output == error || !::GetFileInformationByHandle(output, &outputFile) ||
        !::GetFileInformationByHandle(error, &errorFile)) {
        return true;
    }
    return outputFile.dwVolumeSerialNumber == errorFile.dwVolumeSerialNumber &&
           outputFile.nFileIndexHigh == errorFile.nFileIndexHigh && outputFile.nFileIndexLow == errorFile.nFileIndexLow;
}

// A write a reader holds up cannot be cut short from the console's thread.
int WriteAll(bool toError, std::string_view text, bool)
{
    const HANDLE output = ::GetStdHandle(toError ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    return static_cast<int>(win32::WriteTextFully(output, text.data(), text.size()));
}

// A console takes its text at once; a pipe's reader is the program's own
// launcher.
int WriteIfReady(bool toError, std::string_view text)
{
    return WriteAll(toError, text, false);
}

std::string ErrorText(int error)
{
    return SystemErrorText(static_cast<DWORD>(error));
}

// Console events arrive on a thread of the system's own, never on this one.
void StartThreadAwayFromStopRequests(std::function<void()> body)
{
    std::thread(std::move(body)).detach();
}

unsigned long ProcessId()
{
    return ::GetCurrentProcessId();
}

}  // namespace fwut::console
