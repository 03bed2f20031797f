// The signals a program of the project receives, handled in one place: a
// request to stop, a terminal's request to pause, whether output goes to a
// terminal, and an ID that keeps scratch files apart from another copy's.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace fwut::console {

// onInterrupt runs on Ctrl-C, Ctrl-\, a termination request or a closing
// console (POSIX: SIGINT, SIGQUIT, SIGTERM, SIGHUP). It runs in a signal
// handler (POSIX) or on a thread of the system's (Windows), so it may only
// set flags of type volatile std::sig_atomic_t or atomics.
void OnInterruptRequest(void (*onInterrupt)());

// True once such a request has come. Waits that the system cannot bound
// (a write to a line that has stopped) give up when it is.
bool StopRequested();

// While held (calls nest), a terminal's request to pause (Ctrl-Z, or a
// background job's read of the terminal) is refused, since a pause between
// a page's frames would tear the page; the writes of a background job go
// out. Held while a serial port is open. No effect on Windows.
void HoldTerminalStops(bool hold);
// True once after a pause was refused, so that the program can say why.
bool TakeRefusedPause();

bool IsTerminal(std::FILE* stream);
// True when standard output and error reach one file, pipe or screen
// (2>&1, two terminals), where their texts must keep their order.
bool OutputsShareOneFile();

// Writes all of text to the standard output (or error) directly, past the C
// library's buffers; it may block as long as the reader does, or, with
// untilStopRequest, until a stop request comes (POSIX). Returns 0, or the
// system's error code when the output is closed or fails.
int WriteAll(bool toError, std::string_view text, bool untilStopRequest);
// Writes text only as far as the output takes it without waiting (POSIX), for
// a window's event loop, which a reader that stopped must not hold up.
int WriteIfReady(bool toError, std::string_view text);
// The system's words for such an error code.
std::string ErrorText(int error);

// Runs body on a thread of its own, left to run to the process's end, that
// never receives a stop request, not even in its first moment: the requests
// must reach the thread whose waits look at them.
void StartThreadAwayFromStopRequests(std::function<void()> body);

unsigned long ProcessId();

}  // namespace fwut::console
