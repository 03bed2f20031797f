// fwut-cli ports: the installed ports as the update sees them, and the
// devices behind them.
#include <algorithm>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/FWUT_UpdateApp.h"
#include "app/cli/Commands.h"
#include "app/cli/ConsoleOutput.h"
#include "app/cli/InstalledPorts.h"
#include "app/cli/JsonOutput.h"
#include "platform/ComPortName.h"
#include "platform/PlatformServices.h"
#include "platform/PortHolder.h"
#include "platform/Printable.h"
#include "ui/FWUT_UpdateDlg.h"

namespace fwut::cli {

namespace {

nlohmann::json HolderJson(const std::optional<PortHolder>& holder)
{
    if (!holder) {
        return nullptr;
    }
    return {{"program", holder->program},
            {"process", holder->processId},
            {"user", holder->user},
            {"seen", holder->IsSeen()}};
}

}  // namespace

int RunPorts(bool json)
{
    ConsoleOutput& out = ConsoleOutput::Instance();
    const auto services = CreatePlatformServices(kApplicationName);
    for (const std::string& problem : services->Settings().ReadProblems()) {
        out.PrintError("fwut-cli ports: " + problem + "\n");
    }
    SerialCommKey& ports = services->InstalledPorts();
    const std::set<int> installed = InstalledPortNumbers(ports);
    // The window has buttons for the lowest ones only; this tool reaches them all.
    const int lowestNotShown =
        installed.size() > kPortSlotCount ? *std::next(installed.begin(), kPortSlotCount) : kMaxPortNumber + 1;
    const int saved = services->Settings().GetProfileInt(settings::kSection, settings::kComPort, -1);
    std::vector<std::string> devicePaths;
    for (const int number : installed) {
        devicePaths.push_back(ports.DevicePath(number));
    }
    const std::vector<std::optional<PortHolder>> lockers = FindPortLockers(devicePaths);
    std::map<int, std::optional<PortHolder>> lockerOf;
    for (std::size_t i = 0; const int number : installed) {
        lockerOf[number] = lockers[i++];
    }
    if (json) {
        WriteJsonStart("ports");
        for (const int number : installed) {
            const std::string device = ports.DevicePath(number);
            WriteJsonLine({{"event", "port"},
                           {"port", number},
                           {"device", device},
                           {"description", services->Descriptions().Describe(number)},
                           {"last_update", number == saved},
                           {"in_window", number < lowestNotShown},
                           {"holder", HolderJson(lockerOf[number])}});
        }
        return kExitSuccess;
    }
    if (installed.empty()) {
        out.Print("No serial ports are installed.\n");
    }
    // One line per port: its COM name, its device and what the system knows
    // of that device, in columns.
    std::map<int, std::string> devices;
    std::size_t deviceWidth = 0;
    for (const int number : installed) {
        devices[number] = Printable(ports.DevicePath(number));
        deviceWidth = std::max(deviceWidth, devices[number].size());
    }
    for (const int number : installed) {
        const std::string name = ComPortName(number);
        std::string line = name + std::string(name.size() < 6 ? 7 - name.size() : 1, ' ') + devices[number];
        if (const std::string description = services->Descriptions().Describe(number); !description.empty()) {
            line += std::string(deviceWidth - devices[number].size() + 3, ' ') + Printable(description);
        }
        if (number == saved) {
            line += "   (last successful update)";
        }
        if (number >= lowestNotShown) {
            line += "   (not in the window, which shows the lowest 22)";
        }
        if (const std::optional<PortHolder>& holder = lockerOf[number]) {
            line += "   (in use by " + DescribeHolder(*holder) + ")";
        }
        out.Print(line + "\n");
    }
    return kExitSuccess;
}

}  // namespace fwut::cli
