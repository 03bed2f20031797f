// Whether a device node can serve as the line to the relay.
#pragma once

#include <string>

namespace fwut {

// Empty when the device can serve; otherwise why not: "no such device", "not
// a serial port" (a file, a folder, a FIFO, /dev/null), or "the terminal this
// program runs in" (frames written there would fill the operator's screen),
// or "the terminal of another program's session (bash, process 4711)".
std::string SerialDeviceProblem(const std::string& path);
// The same for a device already open.
std::string SerialDeviceProblem(int fd);

}  // namespace fwut
