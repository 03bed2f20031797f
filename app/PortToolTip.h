// The tool tip of a port button, the same in both windows: the device behind
// the port and, on a line of its own, what the system knows of it.
#pragma once

#include <string>

#include "platform/PortDescriptions.h"
#include "platform/SerialCommKey.h"

namespace fwut {

// Control characters in the system's texts are escaped.
std::string PortToolTip(SerialCommKey& ports, PortDescriptions& descriptions, int portNumber);

}  // namespace fwut
