#include "platform/PlatformServices.h"
#include "platform/posix/PosixPortDirectory.h"
#include "platform/posix/PosixSerialApi.h"
#include "platform/posix/PosixTickClock.h"
#include "platform/posix/UdevPortDescriptions.h"
#include "platform/posix/SerialDevice.h"
#include "platform/posix/IniSettingsStore.h"

namespace fwut {

namespace {

class PosixPlatform final : public PlatformServices {
public:
    explicit PosixPlatform(const std::string& applicationName)
        : m_settings(applicationName), m_ports(m_settings.ReadPortMap()), m_descriptions(m_ports), m_serial(m_ports)
    {
    }

    SettingsStore& Settings() override { return m_settings; }
    SerialCommKey& InstalledPorts() override { return m_ports; }
    PortDescriptions& Descriptions() override { return m_descriptions; }
    SerialApi& Serial() override { return m_serial; }
    TickClock& Clock() override { return m_clock; }
    TopLevelWindows& Windows() override { return m_windows; }
    MappedDevice MapDevice(const std::string& devicePath) override
    {
        MappedDevice mapped;
        mapped.problem = SerialDeviceProblem(devicePath);
        if (!mapped.problem.empty()) {
            return mapped;
        }
        mapped.port = m_ports.MapDevice(devicePath);
        mapped.forThisRun = m_ports.IsMappedForThisRun(mapped.port);
        if (mapped.port == -1) {
            mapped.problem = "no COM number is free for it";
        }
        return mapped;
    }

private:
    IniSettingsStore m_settings;
    PosixPortDirectory m_ports;
    UdevPortDescriptions m_descriptions;
    PosixSerialApi m_serial;
    PosixTickClock m_clock;
    NoTopLevelWindows m_windows;
};

}  // namespace

std::string DevicePathsRefused()
{
    return "";
}

std::unique_ptr<PlatformServices> CreatePlatformServices(const std::string& applicationName)
{
    return std::make_unique<PosixPlatform>(applicationName);
}

}  // namespace fwut
