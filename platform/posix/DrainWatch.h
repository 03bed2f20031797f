// Interrupts the calling thread's blocking calls with a signal every few
// milliseconds while it lives, so that a wait the system offers no time-out
// for (tcdrain) can look at the clock and give up.
#pragma once

#include <ctime>

namespace fwut {

class DrainWatch {
public:
    explicit DrainWatch(int periodMs);
    DrainWatch(const DrainWatch&) = delete;
    DrainWatch& operator=(const DrainWatch&) = delete;
    ~DrainWatch();

private:
    timer_t m_timer{};
    bool m_armed = false;
};

}  // namespace fwut
