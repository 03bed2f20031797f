// The installed ports as the command line sees them: all of them up to COM100,
// where the window shows only the lowest 22 on its buttons.
#pragma once

#include <set>
#include <string>

#include "platform/SerialCommKey.h"

namespace fwut::cli {

// The COM numbers (1 to 100) that the key lists.
std::set<int> InstalledPortNumbers(SerialCommKey& ports);

// The key with only one of its ports in it: the dialog then shows that port
// on its first button and checks it, whatever its number.
class OnePortKey final : public SerialCommKey {
public:
    OnePortKey(SerialCommKey& ports, int portNumber) : m_ports(ports), m_portNumber(portNumber) { }

    bool Open() override;
    LONG EnumValue(DWORD index, char* name, DWORD* nameCapacity, BYTE* data, DWORD* dataCapacity) override;
    void Close() override { m_ports.Close(); }
    std::string DevicePath(int portNumber) override { return m_ports.DevicePath(portNumber); }

private:
    SerialCommKey& m_ports;
    int m_portNumber;
};

}  // namespace fwut::cli
