#include "serial/SerialCommValues.h"

#include <cstring>
#include <string_view>

#include "platform/ComPortName.h"

namespace fwut {

int PortNumberOfValueData(const BYTE* data, DWORD length)
{
    const auto* text = reinterpret_cast<const char*>(data);
    return ComPortNumber(std::string_view(text, strnlen(text, length)));
}

}  // namespace fwut
