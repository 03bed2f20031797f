#include "tests/doubles/MemorySerialCommKey.h"

#include <cstring>

namespace fwut {

MemorySerialCommKey::MemorySerialCommKey(const std::vector<std::string>& dataTexts)
{
    for (const std::string& text : dataTexts) {
        Add(text);
    }
}

void MemorySerialCommKey::Add(const std::string& dataText)
{
    m_data.push_back(dataText + '\0');
}

bool MemorySerialCommKey::Open()
{
    m_isOpen = !m_openFails;
    return m_isOpen;
}

// Follows RegEnumValueA: the name with its terminator must fit nameCapacity
// characters and the data dataCapacity bytes; the needed data size is
// reported either way.
LONG MemorySerialCommKey::EnumValue(DWORD index, char* name, DWORD* nameCapacity, BYTE* data, DWORD* dataCapacity)
{
    if (!m_isOpen) {
        return static_cast<LONG>(ERROR_INVALID_HANDLE);
    }
    if (const auto forced = m_forced.find(index); forced != m_forced.end()) {
        return forced->second;
    }
    if (index >= m_data.size()) {
        return static_cast<LONG>(ERROR_NO_MORE_ITEMS);
    }
    const std::string valueName = "\\Device\\Serial" + std::to_string(index);
    const std::string& bytes = m_data[index];
    const DWORD dataSize = static_cast<DWORD>(bytes.size());
    const bool nameFits = name != nullptr && nameCapacity != nullptr && valueName.size() < *nameCapacity;
    const bool dataFits = data == nullptr || (dataCapacity != nullptr && dataSize <= *dataCapacity);
    if (dataCapacity != nullptr) {
        *dataCapacity = dataSize;
    }
    if (!nameFits || !dataFits) {
        return static_cast<LONG>(ERROR_MORE_DATA);
    }
    std::memcpy(name, valueName.c_str(), valueName.size() + 1);
    *nameCapacity = static_cast<DWORD>(valueName.size());
    if (data != nullptr) {
        std::memcpy(data, bytes.data(), bytes.size());
    }
    return static_cast<LONG>(ERROR_SUCCESS);
}

void MemorySerialCommKey::Close()
{
    m_isOpen = false;
}

std::string MemorySerialCommKey::DevicePath(int)
{
    return {};
}

}  // namespace fwut
