#include "app/PortAdvice.h"

#include <optional>
#include <string_view>

#include "platform/AsciiCase.h"
#include "platform/ComPortName.h"
#include "platform/PortHolder.h"
#include "platform/Printable.h"
#include "ui/DialogTexts.h"

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

#ifdef _WIN32
struct KnownProgram {
    const char* image;  // the program file's name, any case
    const char* remedy;
};

constexpr const char* kSerialMonitorRemedy =
    "The Arduino IDE's Serial Monitor holds the port: close the Serial Monitor, and try again.";

// The terminal programs and serial tools a technician is likely to have open.
constexpr KnownProgram kKnownPrograms[] = {
    {"putty.exe", "PuTTY is a terminal program: close its session on the port (or PuTTY), and try again."},
    {"kitty.exe", "KiTTY is a terminal program: close its session on the port (or KiTTY), and try again."},
    {"ttermpro.exe", "Tera Term is a terminal program: choose File > Disconnect (or close Tera Term), and try again."},
    {"realterm.exe", "RealTerm is a terminal program: clear Open on its Port tab (or close RealTerm), and try again."},
    {"hterm.exe", "HTerm is a terminal program: press Disconnect (or close HTerm), and try again."},
    {"coolterm.exe", "CoolTerm is a terminal program: press Disconnect (or close CoolTerm), and try again."},
    {"hypertrm.exe", "HyperTerminal is a terminal program: choose Call > Disconnect (or close it), and try again."},
    {"securecrt.exe", "SecureCRT is a terminal program: disconnect its serial session, and try again."},
    {"mobaxterm.exe", "MobaXterm is a terminal program: close its serial session, and try again."},
    {"arduino ide.exe", kSerialMonitorRemedy},
    {"serial-monitor.exe", kSerialMonitorRemedy},
    {"arduino.exe", kSerialMonitorRemedy},
    {"lineprobetool.exe",
     "LineProbeTool, the maker's serial test program, did not let the port go: close the port in\n"
     "LineProbeTool (or the program), and try again."},
};
#endif

// What to do about the program that holds the port.
std::string HolderRemedy(const PortHolder& holder, const std::string& device)
{
    const std::string held = device + " is held by " + DescribeHolder(holder) + ".\n";
#ifdef _WIN32
    if (!holder.IsSeen()) {
        return held +
               "Resource Monitor (resmon, run as an administrator) names it: on its CPU tab, search the\n"
               "associated handles for " +
               Printable(holder.deviceObject) + ". Close that program, and try again.";
    }
    for (const KnownProgram& known : kKnownPrograms) {
        if (EqualsIgnoringCase(holder.program, known.image)) {
            return held + known.remedy;
        }
    }
#else
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
#endif
    return held + "Close that program, and try again.";
}

// The remedy, broken into lines for a terminal.
std::string Remedy(DWORD error, const std::string& devicePath)
{
    // A device's path comes from the settings or the command line; Windows
    // users know a port by its COM name alone.
    const std::string shown(PortNameOfDevicePath(devicePath));
    const std::string device = shown.empty() ? std::string("the port") : Printable(shown);
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
        return std::string(
                   "There is no such device: check that the USB/RS232 adapter is plugged in, then run\n"
                   "'fwut-cli ports' to see the installed ports.") +
               (IsProcessRunning("brltty") ? std::string("\n") + kBrlttyRemedy : std::string());
    case ERROR_ACCESS_DENIED:
#ifdef _WIN32
        // Windows refuses an open port so; the holder is looked for as below.
        [[fallthrough]];
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
#ifdef _WIN32
        return "Another program holds " + device + ": close it (a terminal program, or LineProbeTool) and try again.";
#else
        return "Another program holds " + device +
               ". On Linux this is often ModemManager, which probes new serial adapters;\n"
               "'fuser " +
               device + "' names the process. Close it, or stop ModemManager, and try again.";
#endif
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

std::string PortOpenBoxNote(const std::string& boxText, SerialApi& serial, SerialCommKey& ports)
{
    // The box names its port as "COM<n>" followed by blanks.
    const std::string_view prefix = kUnableToOpenPort;
    const std::string_view text = boxText;
    if (!text.starts_with(prefix)) {
        return {};
    }
    const std::string_view named = text.substr(prefix.size() - std::string_view("COM").size());
    const int port = ComPortNumber(named.substr(0, named.find(' ')));
    return Printable(PortOpenAdviceLine(serial.GetLastError(), serial.LastErrorText(), ports.DevicePath(port)));
}

}  // namespace fwut
