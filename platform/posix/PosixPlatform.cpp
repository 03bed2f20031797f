#include "platform/PlatformServices.h"
#include "platform/posix/PosixPortDirectory.h"
#include "platform/posix/PosixSerialApi.h"
#include "platform/posix/PosixTickClock.h"
#include "platform/posix/QtSettingsStore.h"

namespace fwut {

namespace {

class PosixPlatform final : public PlatformServices {
public:
    explicit PosixPlatform(const std::string& applicationName)
        : m_settings(applicationName), m_ports(m_settings.ReadPortMap()), m_serial(m_ports)
    {
    }

    SettingsStore& Settings() override { return m_settings; }
    SerialCommKey& InstalledPorts() override { return m_ports; }
    SerialApi& Serial() override { return m_serial; }
    TickClock& Clock() override { return m_clock; }
    TopLevelWindows& Windows() override { return m_windows; }
    int MapDevice(const std::string& devicePath) override { return m_ports.MapDevice(devicePath); }

private:
    QtSettingsStore m_settings;
    PosixPortDirectory m_ports;
    PosixSerialApi m_serial;
    PosixTickClock m_clock;
    NoTopLevelWindows m_windows;
};

}  // namespace

std::unique_ptr<PlatformServices> CreatePlatformServices(const std::string& applicationName)
{
    return std::make_unique<PosixPlatform>(applicationName);
}

}  // namespace fwut
