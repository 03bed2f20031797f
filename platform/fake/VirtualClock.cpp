#include "platform/fake/VirtualClock.h"

namespace fwut {

void VirtualClock::Sleep(DWORD ms)
{
    sleepCalls_.push_back(ms);
    Advance(ms);
}

void VirtualClock::IdleUntilTick(DWORD targetTick)
{
    // Unsigned difference, as the tick count wraps: over half the range ahead means past.
    const DWORD ahead = targetTick - now_;
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
    if (now == now_) {
        return;
    }
    now_ = now;
    if (onTimeMoved_) {
        onTimeMoved_(now_);
    }
}

void VirtualClock::Advance(DWORD ms)
{
    Set(now_ + ms);
}

}  // namespace fwut
