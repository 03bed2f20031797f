#include "serial/Delay.h"

namespace fwut {

void Delay(TickClock& clock, DWORD ms)
{
    if (ms == 0) {
        return;
    }
    WaitFromTick(clock, clock.GetTickCount(), ms);
}

void WaitFromTick(TickClock& clock, DWORD start, DWORD ms)
{
    // Unsigned differences keep the wait correct across the wrap of the tick count.
    while (clock.GetTickCount() - start < ms) {
        clock.IdleUntilTick(start + ms);
    }
}

}  // namespace fwut
