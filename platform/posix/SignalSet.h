// The signals the programs handle, shared by their start (ProgramStart) and
// the stop requests (ConsoleSignals).
#pragma once

#include <signal.h>

namespace fwut::posix {

// The stop requests (INT, TERM, HUP, QUIT) and the terminal's stop signals
// (TSTP, TTIN, TTOU).
sigset_t StopAndPauseSignals();

// Remembers which of them the program was started with ignored.
void NoteSignalsIgnoredAtStart();

}  // namespace fwut::posix
