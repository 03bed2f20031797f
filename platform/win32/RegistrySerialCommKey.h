// The installed serial ports from HKEY_LOCAL_MACHINE\Hardware\DeviceMap\SERIALCOMM,
// which the serial drivers fill with one value per port (data "COM3").
#pragma once

#include "platform/SerialCommKey.h"

namespace fwut {

class RegistrySerialCommKey final : public SerialCommKey {
public:
    RegistrySerialCommKey() = default;
    RegistrySerialCommKey(const RegistrySerialCommKey&) = delete;
    RegistrySerialCommKey& operator=(const RegistrySerialCommKey&) = delete;
    ~RegistrySerialCommKey() override { Close(); }

    bool Open() override;
    LONG EnumValue(DWORD index, char* name, DWORD* nameCapacity, BYTE* data, DWORD* dataCapacity) override;
    void Close() override;
    // "\\.\COM<n>", the name CreateFileA opens; empty for a number below 1.
    std::string DevicePath(int portNumber) override;

private:
    HKEY m_key = nullptr;
};

}  // namespace fwut
