#include "platform/ComPortName.h"

#include "platform/AsciiCase.h"

namespace fwut {

int ComPortNumber(std::string_view text)
{
    if (text.size() < 4 || text.size() > 6 || !StartsWithIgnoringCase(text, "COM") || text[3] == '0') {
        return -1;
    }
    int number = 0;
    for (const char digit : text.substr(3)) {
        if (digit < '0' || digit > '9') {
            return -1;
        }
        number = number * 10 + (digit - '0');
    }
    return number <= kMaxPortNumber ? number : -1;
}

std::string ComPortName(int number)
{
    return "COM" + std::to_string(number);
}

std::string_view PortNameOfDevicePath(std::string_view path)
{
    constexpr std::string_view kDevicePrefix = "\\\\.\\";
    return path.starts_with(kDevicePrefix) ? path.substr(kDevicePrefix.size()) : path;
}

}  // namespace fwut
