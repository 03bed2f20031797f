// The platform services of one process, built for the system it runs on.
#pragma once

#include <memory>
#include <string>

#include "platform/SerialApi.h"
#include "platform/SerialCommKey.h"
#include "platform/SettingsStore.h"
#include "platform/TickClock.h"
#include "platform/TopLevelWindows.h"

namespace fwut {

class PlatformServices {
public:
    virtual ~PlatformServices() = default;

    virtual SettingsStore& Settings() = 0;
    virtual SerialCommKey& InstalledPorts() = 0;
    virtual SerialApi& Serial() = 0;
    virtual TickClock& Clock() = 0;
    virtual TopLevelWindows& Windows() = 0;

    // Gives a device (such as "/dev/ttyUSB0") a free COM number for this run;
    // -1 when the system names its ports itself or none is free.
    virtual int MapDevice(const std::string& devicePath) = 0;
};

// The services of this system, with the settings store of applicationName.
std::unique_ptr<PlatformServices> CreatePlatformServices(const std::string& applicationName);

}  // namespace fwut
