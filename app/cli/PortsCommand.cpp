// fwut-cli ports: the installed ports as the update sees them, and the
// devices behind them.
#include <algorithm>
#include <cstdio>
#include <iterator>
#include <map>
#include <set>
#include <string>

#include "app/FWUT_UpdateApp.h"
#include "app/cli/Commands.h"
#include "app/cli/ExitCodes.h"
#include "app/cli/InstalledPorts.h"
#include "app/Printable.h"
#include "platform/PlatformServices.h"
#include "ui/FWUT_UpdateDlg.h"

namespace fwut::cli {

int RunPorts()
{
    const auto services = CreatePlatformServices(kApplicationName);
    SerialCommKey& ports = services->InstalledPorts();
    const std::set<int> installed = InstalledPortNumbers(ports);
    std::map<int, std::string> found;
    for (const int number : installed) {
        found[number] = "COM" + std::to_string(number);
    }
    // The window has buttons for the lowest ones only; this tool reaches them all.
    const int lowestNotShown =
        installed.size() > kPortSlotCount ? *std::next(installed.begin(), kPortSlotCount) : kMaxPortNumber + 1;

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
        if (number >= lowestNotShown) {
            line += "   (not in the window, which shows the lowest 22)";
        }
        std::puts(line.c_str());
    }
    return kExitSuccess;
}

}  // namespace fwut::cli
