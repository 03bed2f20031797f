// Line rates for which termios has no speed constant (14400), set through the
// kernel's termios2 interface. Its header clashes with <termios.h>, so this
// interface speaks plain integers and its implementation stays in its own file.
#pragma once

#include <cstdint>

namespace fwut {

// Sets both directions of the open terminal fd to rate. Returns false with
// errno set when the driver refuses.
bool SetArbitraryBaudRate(int fd, std::uint32_t rate);

}  // namespace fwut
