#include "app/cli/InstalledPorts.h"

#include <cstring>
#include <string_view>

#include "serial/AsciiCase.h"
#include "ui/FWUT_UpdateDlg.h"

namespace fwut::cli {

namespace {

constexpr DWORD kNameCapacity = 501;
constexpr DWORD kDataCapacity = 51;

// The COM number of a value's data of length bytes ("COM7", in any case, as
// the dialog reads it; a terminator may be counted or not), or -1.
int PortNumberOf(const BYTE* data, DWORD length)
{
    const auto* chars = reinterpret_cast<const char*>(data);
    const std::string_view text(chars, strnlen(chars, length));
    for (int n = 1; n <= kMaxPortNumber; ++n) {
        if (EqualsIgnoringCase(("COM" + std::to_string(n)).c_str(), text)) {
            return n;
        }
    }
    return -1;
}

}  // namespace

std::set<int> InstalledPortNumbers(SerialCommKey& ports)
{
    std::set<int> numbers;
    if (!ports.Open()) {
        return numbers;
    }
    for (DWORD index = 0;; ++index) {
        char name[kNameCapacity] = {};
        BYTE data[kDataCapacity + 1] = {};
        DWORD nameCapacity = kNameCapacity;
        DWORD dataCapacity = kDataCapacity;
        if (ports.EnumValue(index, name, &nameCapacity, data, &dataCapacity) != ERROR_SUCCESS) {
            break;
        }
        if (const int number = PortNumberOf(data, dataCapacity); number != -1) {
            numbers.insert(number);
        }
    }
    ports.Close();
    return numbers;
}

bool OnePortKey::Open()
{
    return m_ports.Open();
}

// The one value is the first of the key's values that names the port.
LONG OnePortKey::EnumValue(DWORD index, char* name, DWORD* nameCapacity, BYTE* data, DWORD* dataCapacity)
{
    if (index != 0) {
        return ERROR_NO_MORE_ITEMS;
    }
    const DWORD nameLimit = *nameCapacity;
    const DWORD dataLimit = *dataCapacity;
    for (DWORD i = 0;; ++i) {
        *nameCapacity = nameLimit;
        *dataCapacity = dataLimit;
        const LONG result = m_ports.EnumValue(i, name, nameCapacity, data, dataCapacity);
        if (result != ERROR_SUCCESS && result != ERROR_MORE_DATA) {
            return ERROR_NO_MORE_ITEMS;
        }
        if (result == ERROR_SUCCESS && PortNumberOf(data, *dataCapacity) == m_portNumber) {
            return ERROR_SUCCESS;
        }
    }
}

}  // namespace fwut::cli
