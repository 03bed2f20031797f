#include "app/cli/PortAdvice.h"

#ifndef _WIN32
#include <grp.h>
#include <sys/stat.h>
#endif

namespace fwut::cli {

#ifndef _WIN32
namespace {

std::string OwningGroup(const std::string& devicePath)
{
    struct stat status {};
    if (::stat(devicePath.c_str(), &status) != 0) {
        return std::string();
    }
    const struct group* owner = ::getgrgid(status.st_gid);
    return owner != nullptr ? owner->gr_name : std::string();
}

}  // namespace
#endif

std::string PortOpenAdvice(DWORD error, const std::string& systemText, const std::string& devicePath)
{
    std::string advice = "The system says: " + systemText + "\n";
    const std::string device = devicePath.empty() ? std::string("the port") : devicePath;
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
        advice += "There is no such device: check that the USB/RS232 adapter is plugged in, then run\n"
                  "'fwut-cli ports' to see the installed ports.";
        break;
    case ERROR_ACCESS_DENIED:
#ifdef _WIN32
        advice += "Another program holds " + device + ": close it (a terminal program, or LineProbeTool) and try again.";
#else
    {
        const std::string group = OwningGroup(devicePath);
        advice += "You may not use " + device + ": add your user to the group that owns it" +
                  (group.empty() ? std::string() : " (" + group + ")") + ", for example\n" +
                  "  sudo usermod -aG " + (group.empty() ? std::string("dialout") : group) +
                  " $USER\nthen log out and in again.";
    }
#endif
        break;
    case ERROR_SHARING_VIOLATION:
        advice += "Another program holds " + device +
                  ". On Linux this is often ModemManager, which probes new serial adapters;\n"
                  "'fuser " + device + "' names the process. Close it, or stop ModemManager, and try again.";
        break;
    case ERROR_BAD_DEVICE:
        advice += device + " is no line to the relay: name the USB/RS232 adapter's device ('fwut-cli ports' lists\n"
                  "the installed ports).";
        break;
    default:
        advice += "Check the adapter and its cable, then try again.";
        break;
    }
    return advice;
}

}  // namespace fwut::cli
