// The millisecond tick count and the ways a waiting loop may give up the
// processor. Every wait of the update is written as a loop on GetTickCount();
// the two idle hints only let a backend sleep instead of spinning, and never
// decide when a wait ends.
#pragma once

#include "platform/Win32Types.h"

namespace fwut {

class TickClock {
public:
    virtual ~TickClock() = default;

    // Milliseconds from an arbitrary start, wrapping at 2^32 like the Win32 tick count.
    virtual DWORD GetTickCount() = 0;

    // Gives up the processor for ms milliseconds (the hand-off wait).
    virtual void Sleep(DWORD ms) = 0;

    // Hint from a busy-wait that ends when the tick count reaches targetTick:
    // a backend may sleep until shortly before that moment, never past it.
    virtual void IdleUntilTick(DWORD targetTick) = 0;

    // Hint from a loop that polls for arriving bytes: a backend may sleep for
    // a fraction of a millisecond.
    virtual void IdleBriefly() = 0;
};

}  // namespace fwut
