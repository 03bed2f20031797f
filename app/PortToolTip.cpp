#include "app/PortToolTip.h"

#include "platform/Printable.h"

namespace fwut {

std::string PortToolTip(SerialCommKey& ports, PortDescriptions& descriptions, int portNumber)
{
    const std::string description = descriptions.Describe(portNumber);
    return Printable(ports.DevicePath(portNumber)) + (description.empty() ? "" : "\n" + Printable(description));
}

}  // namespace fwut
