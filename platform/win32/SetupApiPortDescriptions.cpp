#include "platform/win32/SetupApiPortDescriptions.h"

#include <setupapi.h>

#include "platform/DeviceDescription.h"

namespace fwut {
namespace {

// GUID_DEVCLASS_PORTS and GUID_DEVINTERFACE_COMPORT, spelled out: the headers
// that define them do so only for the first file that includes them after
// <initguid.h>.
constexpr GUID kPortsClass = {0x4d36e978, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
constexpr GUID kComPortInterface = {0x86e0d1e0, 0x8089, 0x11d0, {0x9c, 0xe4, 0x08, 0x00, 0x3e, 0x30, 0x1f, 0x73}};

// A text property of a device, or the first string of a list property, cut
// to what a description can show.
std::string DeviceProperty(HDEVINFO devices, SP_DEVINFO_DATA& device, DWORD property)
{
    char buffer[512] = {};
    DWORD type = 0;
    // The last byte stays zero, whatever the device put there.
    if (!::SetupDiGetDeviceRegistryPropertyA(devices, &device, property, &type, reinterpret_cast<BYTE*>(buffer),
                                             sizeof buffer - 1, nullptr)) {
        return {};
    }
    return std::string(buffer);
}

// The device's "PortName" value ("COM5"), empty when it has none.
std::string PortNameOf(HDEVINFO devices, SP_DEVINFO_DATA& device)
{
    HKEY key = ::SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_QUERY_VALUE);
    if (key == INVALID_HANDLE_VALUE) {
        return {};
    }
    char name[32] = {};
    DWORD size = sizeof name - 1;
    DWORD type = 0;
    const LONG result = ::RegQueryValueExA(key, "PortName", nullptr, &type, reinterpret_cast<BYTE*>(name), &size);
    ::RegCloseKey(key);
    return result == ERROR_SUCCESS && type == REG_SZ ? std::string(name) : std::string();
}

std::string DescribeAmong(const GUID& guid, DWORD flags, const std::string& portName)
{
    HDEVINFO devices = ::SetupDiGetClassDevsA(&guid, nullptr, nullptr, flags | DIGCF_PRESENT);
    if (devices == INVALID_HANDLE_VALUE) {
        return {};
    }
    std::string description;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD index = 0; description.empty() && ::SetupDiEnumDeviceInfo(devices, index, &device); ++index) {
        if (::lstrcmpiA(PortNameOf(devices, device).c_str(), portName.c_str()) == 0) {
            description = DescribeSetupApiDevice(DeviceProperty(devices, device, SPDRP_FRIENDLYNAME),
                                                 DeviceProperty(devices, device, SPDRP_HARDWAREID));
        }
    }
    ::SetupDiDestroyDeviceInfoList(devices);
    return description;
}

}  // namespace

std::string SetupApiPortDescriptions::Describe(int portNumber)
{
    if (portNumber < 1) {
        return {};
    }
    const std::string portName = "COM" + std::to_string(portNumber);
    std::string description = DescribeAmong(kPortsClass, 0, portName);
    if (description.empty()) {
        description = DescribeAmong(kComPortInterface, DIGCF_DEVICEINTERFACE, portName);
    }
    return description;
}

}  // namespace fwut
