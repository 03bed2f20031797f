// Port descriptions from SetupAPI: the friendly name and hardware id of the
// present device whose "PortName" is the port's COM name. Devices of the Ports
// class are looked at first, then those that offer the COM port interface
// (some USB serial drivers register only one of the two).
#pragma once

#include "platform/PortDescriptions.h"

namespace fwut {

class SetupApiPortDescriptions final : public PortDescriptions {
public:
    std::string Describe(int portNumber) override;
};

}  // namespace fwut
