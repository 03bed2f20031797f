#include "platform/posix/TermiosBaudRate.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace fwut {

bool SetArbitraryBaudRate(int fd, std::uint32_t rate)
{
    termios2 tio{};
    if (::ioctl(fd, TCGETS2, &tio) != 0) {
        return false;
    }
    tio.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    tio.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    tio.c_ispeed = rate;
    tio.c_ospeed = rate;
    return ::ioctl(fd, TCSETS2, &tio) == 0;
}

}  // namespace fwut
