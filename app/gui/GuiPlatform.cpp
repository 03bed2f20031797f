#include "app/gui/GuiPlatform.h"

#include "platform/x11/X11TopLevelWindows.h"

namespace fwut::gui {

namespace {

class GuiPlatform final : public PlatformServices {
public:
    explicit GuiPlatform(std::unique_ptr<PlatformServices> system) : m_system(std::move(system)) { }

    SettingsStore& Settings() override { return m_system->Settings(); }
    SerialCommKey& InstalledPorts() override { return m_system->InstalledPorts(); }
    PortDescriptions& Descriptions() override { return m_system->Descriptions(); }
    SerialApi& Serial() override { return m_system->Serial(); }
    TickClock& Clock() override { return m_system->Clock(); }
    TopLevelWindows& Windows() override { return m_windows; }
    MappedDevice MapDevice(const std::string& devicePath) override { return m_system->MapDevice(devicePath); }

private:
    std::unique_ptr<PlatformServices> m_system;
    x11::X11TopLevelWindows m_windows;
};

}  // namespace

std::unique_ptr<PlatformServices> CreateGuiPlatformServices(const std::string& applicationName)
{
    return std::make_unique<GuiPlatform>(CreatePlatformServices(applicationName));
}

}  // namespace fwut::gui
