#include "app/PortAdvice.h"

#include <optional>

#include "platform/PortHolder.h"
#include "platform/Printable.h"

#ifndef _WIN32
#include <grp.h>
#include <sys/stat.h>
#endif

namespace fwut {

namespace {

#ifndef _WIN32
std::string OwningGroup(const std::string& devicePath)
{
    struct stat status { };
    if (::stat(devicePath.c_str(), &status) != 0) {
        return std::string();
    }
    const struct group* owner = ::getgrgid(status.st_gid);
    return owner != nullptr ? owner->gr_name : std::string();
}
#endif

constexpr const char* kBrlttyRemedy =
    "brltty, the braille display service, takes CH341 and CP210x adapters whole on some\n"
    "distributions, so that their ttyUSB device never appears: stop it with\n"
    "  sudo systemctl stop brltty\n"
    "or remove it where no braille display is used.";

// What to do about the program that holds the port.
std::string HolderRemedy(const PortHolder& holder, const std::string& device)
{
    const std::string held = device + " is held by " + DescribeHolder(holder) + ".\n";
    if (!holder.IsSeen()) {
        return held + "Ask the users of this computer which program that is ('sudo fuser " + device +
               "' names it), and try again once it has let the port go.";
    }
    if (holder.program == "ModemManager") {
        return held +
               "ModemManager probes new serial adapters for modems: stop the service with\n"
               "  sudo systemctl stop ModemManager\n"
               "or have it leave the adapter alone (a udev rule with ENV{ID_MM_DEVICE_IGNORE}=\"1\").";
    }
    if (holder.program == "brltty") {
        return held + kBrlttyRemedy;
    }
    return held + "Close that program, and try again.";
}

// The remedy, broken into lines for a terminal.
std::string Remedy(DWORD error, const std::string& devicePath)
{
    // A device's path comes from the settings or the command line.
    const std::string device = devicePath.empty() ? std::string("the port") : Printable(devicePath);
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
        return std::string(
                   "There is no such device: check that the USB/RS232 adapter is plugged in, then run\n"
                   "'fwut-cli ports' to see the installed ports.") +
               (IsProcessRunning("brltty") ? std::string("\n") + kBrlttyRemedy : std::string());
    case ERROR_ACCESS_DENIED:
#ifdef _WIN32
        return "Another program holds " + device + ": close it (a terminal program, or LineProbeTool) and try again.";
#else
    {
        const std::string group = OwningGroup(devicePath);
        return "You may not use " + device + ": add your user to the group that owns it" +
               (group.empty() ? std::string() : " (" + group + ")") + ", for example\n" + "  sudo usermod -aG " +
               (group.empty() ? std::string("dialout") : group) + " $USER\nthen log out and in again.";
    }
#endif
    case ERROR_SHARING_VIOLATION:
        if (const std::optional<PortHolder> holder = FindPortHolder(devicePath)) {
            return HolderRemedy(*holder, device);
        }
        return "Another program holds " + device +
               ". On Linux this is often ModemManager, which probes new serial adapters;\n"
               "'fuser " +
               device + "' names the process. Close it, or stop ModemManager, and try again.";
    case ERROR_BAD_DEVICE:
        return device +
               " is no line to the relay: name the USB/RS232 adapter's device ('fwut-cli ports' lists\n"
               "the installed ports).";
    default:
        return "Check the adapter and its cable, then try again.";
    }
}

// Line breaks and the indentation after them become single blanks.
std::string OneLine(const std::string& text)
{
    std::string line;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] != '\n') {
            line += text[at];
            continue;
        }
        line += ' ';
        while (at + 1 < text.size() && text[at + 1] == ' ') {
            ++at;
        }
    }
    return line;
}

}  // namespace

std::string PortOpenAdvice(DWORD error, const std::string& systemText, const std::string& devicePath)
{
    return "The system says: " + systemText + "\n" + Remedy(error, devicePath);
}

std::string PortOpenAdviceLine(DWORD error, const std::string& systemText, const std::string& devicePath)
{
    return systemText + ": " + OneLine(Remedy(error, devicePath));
}

}  // namespace fwut
