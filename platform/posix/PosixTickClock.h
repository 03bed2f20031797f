// The millisecond tick count on CLOCK_MONOTONIC, with waits that sleep until
// just before their deadline and leave the last fraction of a millisecond to
// the caller's polling, so a busy-wait keeps its precision without spinning.
#pragma once

#include <cstdint>

#include "platform/TickClock.h"

namespace fwut {

class PosixTickClock final : public TickClock {
public:
    // The count reads startTick now and then advances by one every millisecond,
    // wrapping at 2^32 (tests start it just below the wrap).
    explicit PosixTickClock(DWORD startTick = 0);

    DWORD GetTickCount() override;
    void Sleep(DWORD ms) override;
    void IdleUntilTick(DWORD targetTick) override;
    void IdleBriefly() override;

private:
    std::int64_t m_origin;  // CLOCK_MONOTONIC nanoseconds at which the count read m_startTick
    DWORD m_startTick;
};

}  // namespace fwut
