#include "platform/posix/LowLatency.h"

#include <linux/serial.h>
#include <sys/ioctl.h>

namespace fwut {

bool RequestLowLatency(int fd)
{
    serial_struct settings{};
    if (::ioctl(fd, TIOCGSERIAL, &settings) != 0) {
        return false;
    }
    if ((settings.flags & ASYNC_LOW_LATENCY) != 0) {
        return true;
    }
    settings.flags |= ASYNC_LOW_LATENCY;
    return ::ioctl(fd, TIOCSSERIAL, &settings) == 0;
}

}  // namespace fwut
