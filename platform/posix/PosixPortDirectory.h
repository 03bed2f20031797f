// The installed serial ports of a Linux system, offered as COM numbers the
// way the SERIALCOMM registry key offers them on Windows. Every Open() takes a
// fresh look, so an adapter plugged in since the last look shows up.
//
// Numbering, first claim wins, never above COM100, no device twice:
//   1. the explicit map (the settings' "Ports" section, COM7=/dev/ttyUSB0),
//   2. devices given to MapDevice during this run,
//   3. ttyS<k> with a UART present as COM<k+1>, ttyUSB<k> as COM<33+k>,
//      ttyACM<k> as COM<65+k>.
// Only devices whose node exists are offered.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/SerialCommKey.h"

namespace fwut {

class PosixPortDirectory final : public SerialCommKey {
public:
    explicit PosixPortDirectory(std::map<int, std::string> explicitMap, std::string sysClassTty = "/sys/class/tty",
                                std::string devDir = "/dev");

    // Fails, like a missing SERIALCOMM key, when no serial port is found.
    bool Open() override;
    // Value name: the device path; data: "COM<n>" with its terminator.
    LONG EnumValue(DWORD index, char* name, DWORD* nameCapacity, BYTE* data, DWORD* dataCapacity) override;
    void Close() override;
    // Looks afresh, open or not.
    std::string DevicePath(int portNumber) override;

    // Gives the device a COM number for this run: the one it already has, else
    // the lowest number from 1 to 100 that nothing claims. -1 when none is free.
    // A device whose node is missing keeps its number and is offered once the
    // node appears; until then opening it fails as for any absent port.
    int MapDevice(const std::string& path);
    // True when portNumber was given by MapDevice for this run only.
    bool IsMappedForThisRun(int portNumber) const { return m_runMap.count(portNumber) != 0; }

private:
    struct Port {
        int number;
        std::string path;
    };

    std::vector<Port> Snapshot() const;

    std::map<int, std::string> m_explicitMap;
    std::map<int, std::string> m_runMap;
    std::string m_sysClassTty;
    std::string m_devDir;
    std::vector<Port> m_listed;
    bool m_isOpen = false;
};

}  // namespace fwut
