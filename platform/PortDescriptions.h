// What the system knows about the device behind an installed port, so that
// an operator can tell one USB/RS232 adapter from another: on Linux from udev
// (the adapter's product name, USB ids and serial number), on Windows from
// SetupAPI (the device's friendly name and hardware id).
#pragma once

#include <string>

namespace fwut {

class PortDescriptions {
public:
    virtual ~PortDescriptions() = default;

    // One line such as "FT232R USB UART (0403:6001, serial A12345)"; empty
    // when the system says nothing (a pseudo-terminal, a vanished device, no
    // udev library). The text is the system's own, capped in length but not
    // filtered: escape it for display.
    virtual std::string Describe(int portNumber) = 0;
};

// For systems and tests without descriptions.
class NoPortDescriptions final : public PortDescriptions {
public:
    std::string Describe(int) override { return {}; }
};

}  // namespace fwut
