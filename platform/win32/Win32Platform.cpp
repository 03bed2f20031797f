#include "platform/PlatformServices.h"
#include "platform/win32/RegistrySerialCommKey.h"
#include "platform/win32/RegistrySettingsStore.h"
#include "platform/win32/SetupApiPortDescriptions.h"
#include "platform/win32/Win32SerialApi.h"
#include "platform/win32/Win32TickClock.h"
#include "platform/win32/Win32TopLevelWindows.h"

namespace fwut {

namespace {

class Win32Platform final : public PlatformServices {
public:
    explicit Win32Platform(const std::string& applicationName) : m_settings(applicationName) { }

    SettingsStore& Settings() override { return m_settings; }
    SerialCommKey& InstalledPorts() override { return m_ports; }
    PortDescriptions& Descriptions() override { return m_descriptions; }
    SerialApi& Serial() override { return m_serial; }
    TickClock& Clock() override { return m_clock; }
    TopLevelWindows& Windows() override { return m_windows; }
    MappedDevice MapDevice(const std::string&) override { return MappedDevice{-1, false, DevicePathsRefused()}; }

private:
    RegistrySettingsStore m_settings;
    RegistrySerialCommKey m_ports;
    SetupApiPortDescriptions m_descriptions;
    Win32SerialApi m_serial;
    Win32TickClock m_clock;
    Win32TopLevelWindows m_windows;
};

}  // namespace

std::string DevicePathsRefused()
{
    return "Windows names its serial ports itself: use --port";
}

std::unique_ptr<PlatformServices> CreatePlatformServices(const std::string& applicationName)
{
    return std::make_unique<Win32Platform>(applicationName);
}

}  // namespace fwut
