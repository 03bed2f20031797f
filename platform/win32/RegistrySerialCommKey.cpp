#include "platform/win32/RegistrySerialCommKey.h"

namespace fwut {

bool RegistrySerialCommKey::Open()
{
    Close();
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Hardware\\DeviceMap\\SERIALCOMM", 0, KEY_QUERY_VALUE, &m_key) !=
        ERROR_SUCCESS) {
        m_key = nullptr;
        return false;
    }
    return true;
}

LONG RegistrySerialCommKey::EnumValue(DWORD index, char* name, DWORD* nameCapacity, BYTE* data, DWORD* dataCapacity)
{
    if (m_key == nullptr) {
        return ERROR_INVALID_HANDLE;
    }
    DWORD type = 0;
    return ::RegEnumValueA(m_key, index, name, nameCapacity, nullptr, &type, data, dataCapacity);
}

void RegistrySerialCommKey::Close()
{
    if (m_key != nullptr) {
        ::RegCloseKey(m_key);
        m_key = nullptr;
    }
}

std::string RegistrySerialCommKey::DevicePath(int portNumber)
{
    return portNumber < 1 ? std::string() : "\\\\.\\COM" + std::to_string(portNumber);
}

}  // namespace fwut
