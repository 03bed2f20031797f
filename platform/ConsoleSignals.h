// What a console program needs from its system beyond the C library: the
// user's request to stop, whether output goes to a terminal, and an ID that
// keeps the program's scratch files apart from another copy's.
#pragma once

#include <cstdio>
#include <string_view>

namespace fwut::console {

// onInterrupt runs on Ctrl-C, a termination request or a closing console. It
// runs in a signal handler (POSIX) or on a thread of the system's (Windows),
// so it may only set flags of type volatile std::sig_atomic_t or atomics.
void OnInterruptRequest(void (*onInterrupt)());

// True once such a request has come. Waits that the system cannot bound
// (a write to a line that has stopped) give up when it is.
bool StopRequested();

// Output that the reader has closed (a pipe into "head") makes writes fail
// quietly instead of ending the process.
void KeepRunningWhenOutputCloses();

bool IsTerminal(std::FILE* stream);

// Writes all of text to the standard output (or error) directly, past the C
// library's buffers; it may block as long as the reader does. Returns false
// when the output is closed or fails. Meant for a thread of its own that has
// the stop requests blocked (BlockStopRequestsOnThisThread).
bool WriteAll(bool toError, std::string_view text);

// Keeps the stop requests away from the calling thread, so that they reach
// the thread whose waits look at them.
void BlockStopRequestsOnThisThread();

unsigned long ProcessId();

}  // namespace fwut::console
