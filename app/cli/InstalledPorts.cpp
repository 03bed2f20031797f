#include "app/cli/InstalledPorts.h"

#include "serial/SerialCommValues.h"

namespace fwut::cli {

std::set<int> InstalledPortNumbers(SerialCommKey& ports)
{
    std::set<int> numbers;
    if (!ports.Open()) {
        return numbers;
    }
    for (DWORD index = 0;; ++index) {
        char name[kValueNameCapacity] = {};
        BYTE data[kValueDataCapacity + 1] = {};
        DWORD nameCapacity = kValueNameCapacity;
        DWORD dataCapacity = kValueDataCapacity;
        if (ports.EnumValue(index, name, &nameCapacity, data, &dataCapacity) != ERROR_SUCCESS) {
            break;
        }
        if (const int number = PortNumberOfValueData(data, dataCapacity); number != -1) {
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
        if (result == ERROR_SUCCESS && PortNumberOfValueData(data, *dataCapacity) == m_portNumber) {
            return ERROR_SUCCESS;
        }
    }
}

}  // namespace fwut::cli
