// The millisecond waits of the update: busy-waits on the tick count that
// dispatch nothing, letting the clock sleep while the deadline is still far.
#pragma once

#include "platform/TickClock.h"

namespace fwut {

// Waits until at least ms milliseconds of the tick count have passed.
// Delay(0) returns at once.
void Delay(TickClock& clock, DWORD ms);

// Waits until (tick count - start) >= ms, start being a tick count taken earlier.
void WaitFromTick(TickClock& clock, DWORD start, DWORD ms);

}  // namespace fwut
