#include "tests/doubles/VirtualClock.h"

namespace fwut {

void VirtualClock::Sleep(DWORD ms)
{
    m_sleepCalls.push_back(ms);
    Advance(ms);
}

void VirtualClock::IdleUntilTick(DWORD targetTick)
{
    // Unsigned difference, as the tick count wraps: over half the range ahead means past.
    const DWORD ahead = targetTick - m_now;
    if (ahead != 0 && ahead <= 0x7FFFFFFFu) {
        Advance(ahead);
    }
}

void VirtualClock::IdleBriefly()
{
    Advance(1);
}

void VirtualClock::Set(DWORD now)
{
    if (now == m_now) {
        return;
    }
    m_now = now;
    if (m_onTimeMoved) {
        m_onTimeMoved(m_now);
    }
}

void VirtualClock::Advance(DWORD ms)
{
    Set(m_now + ms);
}

}  // namespace fwut
