#include "tests/doubles/VirtualClock.h"

namespace fwut {

void VirtualClock::Sleep(DWORD ms)
{
    m_sleepCalls.push_back(ms);
    m_now += ms;
}

void VirtualClock::IdleUntilTick(DWORD targetTick)
{
    // Unsigned difference, as the tick count wraps: over half the range ahead means past.
    const DWORD ahead = targetTick - m_now;
    if (ahead != 0 && ahead <= 0x7FFFFFFFu) {
        m_now = targetTick;
    }
}

void VirtualClock::IdleBriefly()
{
    ++m_now;
}

}  // namespace fwut
