// An installed-port list held in memory, read like the SERIALCOMM registry key.
// Values are named "\Device\Serial<index>"; their data are the texts given, so
// tests can offer "COM3", "com5" or "COM05" exactly as a registry might hold them.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/SerialCommKey.h"

namespace fwut {

class MemorySerialCommKey final : public SerialCommKey {
public:
    explicit MemorySerialCommKey(const std::vector<std::string>& dataTexts = {});

    void Add(const std::string& dataText);
    // Makes every Open fail, as on a PC where the key does not exist.
    void SetOpenFails(bool fails) { m_openFails = fails; }
    // EnumValue(index) returns result without copying anything (ERROR_MORE_DATA part-way).
    void ForceResult(DWORD index, LONG result) { m_forced[index] = result; }

    bool Open() override;
    LONG EnumValue(DWORD index, char* name, DWORD* nameCapacity, BYTE* data, DWORD* dataCapacity) override;
    void Close() override;
    // The dialog never opens devices by path; no value names one.
    std::string DevicePath(int portNumber) override;

private:
    std::vector<std::string> m_data;  // the texts with their terminators
    std::map<DWORD, LONG> m_forced;
    bool m_openFails = false;
    bool m_isOpen = false;
};

}  // namespace fwut
