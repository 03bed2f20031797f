#include "platform/PortHolder.h"

#include <exception>
#include <vector>

#include "platform/ComPortName.h"
#include "platform/win32/SystemHandleTable.h"
#include "platform/win32/WideText.h"

namespace fwut {

namespace {

// "\Device\VCP0" for "\\.\COM5": the object every open of the port names,
// converted as the names of the objects it is compared with are.
std::string DeviceObjectOf(const std::string& devicePath)
{
    const std::string port(PortNameOfDevicePath(devicePath));
    std::vector<wchar_t> targets(4096);
    if (port.empty() ||
        QueryDosDeviceW(text::SystemToWide(port).c_str(), targets.data(), static_cast<DWORD>(targets.size())) == 0) {
        return {};
    }
    return text::WideToSystem(targets.data());
}

// The holders of the devices, seen or unseen; nothing for all when the
// search itself failed (it tells, it never ends the program).
std::vector<std::optional<PortHolder>> FindPortHolders(const std::vector<std::string>& devicePaths)
{
    try {
        std::vector<std::string> objects;
        for (const std::string& device : devicePaths) {
            objects.push_back(DeviceObjectOf(device));
        }
        SystemHandleTable table;
        return FindHandleHolders(table, objects);
    } catch (const std::exception&) {
        return std::vector<std::optional<PortHolder>>(devicePaths.size());
    }
}

}  // namespace

std::optional<PortHolder> FindPortHolder(const std::string& devicePath)
{
    return FindPortHolders({devicePath}).front();
}

std::optional<PortHolder> FindPortLocker(const std::string& devicePath)
{
    return FindPortLockers({devicePath}).front();
}

// Windows has no lock apart from the open itself: a port is in use when a
// process is seen to have it open.
std::vector<std::optional<PortHolder>> FindPortLockers(const std::vector<std::string>& devicePaths)
{
    std::vector<std::optional<PortHolder>> holders = FindPortHolders(devicePaths);
    for (std::optional<PortHolder>& holder : holders) {
        if (holder && !holder->IsSeen()) {
            holder.reset();
        }
    }
    return holders;
}

bool IsProcessRunning(const std::string&)
{
    return false;
}

}  // namespace fwut
