// fwut-cli ports: the installed ports as the update sees them, and the
// devices behind them.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "app/FWUT_UpdateApp.h"
#include "app/cli/Commands.h"
#include "app/cli/ExitCodes.h"
#include "app/Printable.h"
#include "platform/PlatformServices.h"

namespace fwut::cli {

int RunPorts()
{
    const auto services = CreatePlatformServices(kApplicationName);
    SerialCommKey& ports = services->InstalledPorts();
    if (!ports.Open()) {
        std::puts("No serial ports are installed.");
        return kExitSuccess;
    }
    std::map<int, std::string> found;
    for (DWORD index = 0;; ++index) {
        char name[501];
        BYTE data[52] = {};
        DWORD nameCapacity = sizeof name;
        DWORD dataCapacity = 51;
        if (ports.EnumValue(index, name, &nameCapacity, data, &dataCapacity) != ERROR_SUCCESS) {
            break;
        }
        const std::string text(reinterpret_cast<const char*>(data));
        if (text.size() > 3 && (text[0] == 'C' || text[0] == 'c')) {
            found[std::atoi(text.c_str() + 3)] = text;
        }
    }
    ports.Close();

    const int saved = services->Settings().GetProfileInt("Settings", "ComPort", -1);
    if (found.empty()) {
        std::puts("No serial ports are installed.");
    }
    // One line per port: its COM name, its device and what the system knows
    // of that device, in columns.
    std::map<int, std::string> devices;
    std::size_t deviceWidth = 0;
    for (const auto& entry : found) {
        devices[entry.first] = Printable(ports.DevicePath(entry.first));
        deviceWidth = std::max(deviceWidth, devices[entry.first].size());
    }
    for (const auto& [number, text] : found) {
        std::string line = text + std::string(text.size() < 6 ? 7 - text.size() : 1, ' ') + devices[number];
        if (const std::string description = services->Descriptions().Describe(number); !description.empty()) {
            line += std::string(deviceWidth - devices[number].size() + 3, ' ') + Printable(description);
        }
        if (number == saved) {
            line += "   (last successful update)";
        }
        std::puts(line.c_str());
    }
    return kExitSuccess;
}

}  // namespace fwut::cli
