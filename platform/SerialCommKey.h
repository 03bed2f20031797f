// The list of installed serial ports, read the way the registry key
// HKEY_LOCAL_MACHINE\Hardware\DeviceMap\SERIALCOMM is read: open, enumerate
// values by index until a result other than ERROR_SUCCESS, close. Each value's
// data is a port text such as "COM3".
#pragma once

#include <string>

#include "platform/Win32Types.h"

namespace fwut {

class SerialCommKey {
public:
    virtual ~SerialCommKey() = default;

    // RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Hardware\\DeviceMap\\SERIALCOMM", 0, KEY_QUERY_VALUE).
    virtual bool Open() = 0;

    // RegEnumValueA: nameCapacity and dataCapacity are in/out as in Win32; the
    // result is ERROR_SUCCESS, ERROR_NO_MORE_ITEMS or ERROR_MORE_DATA (a value
    // that does not fit). Data is copied without a terminator of its own when
    // it fills the capacity exactly.
    virtual LONG EnumValue(DWORD index, char* name, DWORD* nameCapacity, BYTE* data, DWORD* dataCapacity) = 0;

    virtual void Close() = 0;

    // The device behind COM<portNumber>, for display ("/dev/ttyUSB0",
    // "\\.\COM3"); empty when the port is unknown.
    virtual std::string DevicePath(int portNumber) = 0;
};

}  // namespace fwut
