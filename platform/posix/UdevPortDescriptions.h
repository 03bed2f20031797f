// Port descriptions from udev. The udev library is loaded when first needed
// rather than linked, so that a system without it still runs the program,
// only without descriptions.
#pragma once

#include "platform/PortDescriptions.h"
#include "platform/SerialCommKey.h"

namespace fwut {

class UdevPortDescriptions final : public PortDescriptions {
public:
    // ports names the device behind each COM number.
    explicit UdevPortDescriptions(SerialCommKey& ports) : m_ports(ports) { }

    std::string Describe(int portNumber) override;

private:
    SerialCommKey& m_ports;
};

}  // namespace fwut
