// The platform services of one process, built for the system it runs on.
#pragma once

#include <memory>
#include <string>

#include "platform/PortDescriptions.h"
#include "platform/SerialApi.h"
#include "platform/SerialCommKey.h"
#include "platform/SettingsStore.h"
#include "platform/TickClock.h"
#include "platform/TopLevelWindows.h"

namespace fwut {

// A device named by the user for one run, and the COM number it got.
struct MappedDevice {
    int port = -1;  // -1: the device cannot be used; problem says why
    bool forThisRun = false;  // the number was given for this run only
    std::string problem;
};

class PlatformServices {
public:
    virtual ~PlatformServices() = default;

    virtual SettingsStore& Settings() = 0;
    virtual SerialCommKey& InstalledPorts() = 0;
    // What the system knows about the device behind each installed port.
    virtual PortDescriptions& Descriptions() = 0;
    virtual SerialApi& Serial() = 0;
    virtual TickClock& Clock() = 0;
    virtual TopLevelWindows& Windows() = 0;

    // Gives a device (such as "/dev/ttyUSB0") its COM number: the one it has
    // among the installed ports, else a free one for this run. Refused when
    // the system names its ports itself, when the device is missing or no
    // serial port, or when no number is free.
    virtual MappedDevice MapDevice(const std::string& devicePath) = 0;
};

// The services of this system, with the settings store of applicationName.
std::unique_ptr<PlatformServices> CreatePlatformServices(const std::string& applicationName);

// Why a serial device cannot be named by its path here ("" where it can).
std::string DevicePathsRefused();

}  // namespace fwut
