#include "platform/posix/DrainWatch.h"

#include <csignal>
#include <cstring>

#include <sys/syscall.h>
#include <unistd.h>

namespace fwut {
namespace {

// Its only effect is to end the blocking call with EINTR, so it is installed
// without SA_RESTART.
extern "C" void OnWatchSignal(int)
{ }

int WatchSignal()
{
    static const int signal = [] {
        struct sigaction action { };
        action.sa_handler = OnWatchSignal;
        sigemptyset(&action.sa_mask);
        sigaction(SIGRTMIN, &action, nullptr);
        return SIGRTMIN;
    }();
    return signal;
}

}  // namespace

DrainWatch::DrainWatch(int periodMs)
{
    sigevent event{};
    event.sigev_notify = SIGEV_THREAD_ID;
    event.sigev_signo = WatchSignal();
    event._sigev_un._tid = static_cast<pid_t>(::syscall(SYS_gettid));
    if (timer_create(CLOCK_MONOTONIC, &event, &m_timer) != 0) {
        return;
    }
    const timespec period{periodMs / 1000, (periodMs % 1000) * 1'000'000L};
    const itimerspec schedule{period, period};
    m_armed = timer_settime(m_timer, 0, &schedule, nullptr) == 0;
    if (!m_armed) {
        timer_delete(m_timer);
    }
}

DrainWatch::~DrainWatch()
{
    if (m_armed) {
        timer_delete(m_timer);
    }
}

}  // namespace fwut
