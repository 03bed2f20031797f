// fwut-cli ports: the installed ports as the update sees them.
#include <cstdio>
#include <cstdlib>
#include <map>

#include "app/FWUT_UpdateApp.h"
#include "app/cli/Commands.h"
#include "app/cli/ExitCodes.h"
#include "platform/PlatformServices.h"
#include "app/Printable.h"

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
    for (const auto& [number, text] : found) {
        std::printf("%-6s %s%s\n", text.c_str(), Printable(ports.DevicePath(number)).c_str(),
                    number == saved ? "   (last successful update)" : "");
    }
    return kExitSuccess;
}

}  // namespace fwut::cli
