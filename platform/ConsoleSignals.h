// What a console program needs from its system beyond the C library: the
// user's request to stop, whether output goes to a terminal, and an ID that
// keeps the program's scratch files apart from another copy's.
#pragma once

#include <cstdio>

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

unsigned long ProcessId();

}  // namespace fwut::console
