// The millisecond tick count from the performance counter. GetTickCount()
// itself advances in steps of about 16 ms, which would stretch every 20 ms
// pause of the transfer to 32 ms; the performance counter has microsecond
// resolution. Sleeps are made precise to a millisecond with timeBeginPeriod(1)
// for the lifetime of the clock.
#pragma once

#include <cstdint>

#include "platform/TickClock.h"

namespace fwut {

class Win32TickClock final : public TickClock {
public:
    explicit Win32TickClock(DWORD startTick = 0);
    ~Win32TickClock() override;
    Win32TickClock(const Win32TickClock&) = delete;
    Win32TickClock& operator=(const Win32TickClock&) = delete;

    DWORD GetTickCount() override;
    void Sleep(DWORD ms) override;
    // Sleeps until about 2 ms before the target, then returns so that the
    // caller polls the rest: a Windows sleep may overshoot by a millisecond.
    void IdleUntilTick(DWORD targetTick) override;
    // About a quarter of a millisecond where the system has high-resolution
    // waitable timers, else the shortest sleep it has.
    void IdleBriefly() override;

private:
    std::int64_t m_origin;
    std::int64_t m_frequency;
    DWORD m_startTick;
    HANDLE m_briefTimer;
};

}  // namespace fwut
