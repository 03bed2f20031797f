#include "platform/posix/PosixPortDirectory.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <utility>

namespace fwut {
namespace {

constexpr int kHighestPort = 100;

bool DeviceExists(const std::string& path)
{
    struct stat info { };
    return ::stat(path.c_str(), &info) == 0;
}

// The path with links and dots resolved, so two names of one device compare equal.
std::string Resolved(const std::string& path)
{
    std::error_code error;
    const auto canonical = std::filesystem::canonical(path, error);
    return error ? path : canonical.string();
}

// Collects ports in claim order, refusing taken numbers and devices.
class PortClaims {
public:
    void Reserve(int number) { m_numbers.insert(number); }

    bool Claim(int number, const std::string& path)
    {
        if (number < 1 || number > kHighestPort || m_numbers.count(number) != 0 || !DeviceExists(path) ||
            !m_devices.insert(Resolved(path)).second) {
            return false;
        }
        m_numbers.insert(number);
        m_ports.emplace_back(number, path);
        return true;
    }

    std::vector<std::pair<int, std::string>> Sorted() &&
    {
        std::sort(m_ports.begin(), m_ports.end());
        return std::move(m_ports);
    }

private:
    std::set<int> m_numbers;
    std::set<std::string> m_devices;
    std::vector<std::pair<int, std::string>> m_ports;
};

// k of "<prefix><k>" (decimal, no leading zeros), or -1.
int DeviceIndex(const std::string& name, const std::string& prefix)
{
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
        name.size() - prefix.size() > 3) {
        return -1;
    }
    const std::string digits = name.substr(prefix.size());
    if ((digits.size() > 1 && digits[0] == '0') ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return -1;
    }
    return std::stoi(digits);
}

// A ttyS<k> entry exists for every possible 8250 port; only a nonzero "type"
// says that a UART answers behind it.
bool HasUart(const std::filesystem::path& ttyEntry)
{
    std::ifstream type(ttyEntry / "type");
    int value = 0;
    return static_cast<bool>(type >> value) && value != 0;
}

struct Family {
    const char* prefix;
    int firstPort;
    bool needsUart;
};

constexpr Family kFamilies[] = {
    {"ttyS", 1, true},
    {"ttyUSB", 33, false},
    {"ttyACM", 65, false},
};

// The system's serial devices as (port number, device path), in claim order.
std::vector<std::pair<int, std::string>> SystemPorts(const std::string& sysClassTty, const std::string& devDir)
{
    std::vector<std::pair<int, std::string>> found[std::size(kFamilies)];
    std::error_code error;
    // Errors end the walk rather than throw: a folder that cannot be read has no ports.
    for (std::filesystem::directory_iterator it(sysClassTty, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        for (std::size_t f = 0; f < std::size(kFamilies); ++f) {
            const int index = DeviceIndex(name, kFamilies[f].prefix);
            if (index >= 0 && (!kFamilies[f].needsUart || HasUart(it->path()))) {
                found[f].emplace_back(kFamilies[f].firstPort + index, devDir + "/" + name);
            }
        }
    }
    std::vector<std::pair<int, std::string>> ports;
    for (auto& family : found) {
        std::sort(family.begin(), family.end());
        ports.insert(ports.end(), family.begin(), family.end());
    }
    return ports;
}

// Copies one value as RegEnumValueA does: the name with its terminator must
// fit nameCapacity characters, the data with its terminator dataCapacity bytes.
LONG CopyValue(const std::string& valueName, const std::string& text, char* name, DWORD* nameCapacity, BYTE* data,
               DWORD* dataCapacity)
{
    const DWORD dataSize = static_cast<DWORD>(text.size() + 1);
    if (name == nullptr || nameCapacity == nullptr || valueName.size() + 1 > *nameCapacity ||
        (data != nullptr && (dataCapacity == nullptr || dataSize > *dataCapacity))) {
        if (dataCapacity != nullptr) {
            *dataCapacity = dataSize;
        }
        return static_cast<LONG>(ERROR_MORE_DATA);
    }
    std::memcpy(name, valueName.c_str(), valueName.size() + 1);
    *nameCapacity = static_cast<DWORD>(valueName.size());
    if (data != nullptr) {
        std::memcpy(data, text.c_str(), dataSize);
    }
    if (dataCapacity != nullptr) {
        *dataCapacity = dataSize;
    }
    return static_cast<LONG>(ERROR_SUCCESS);
}

}  // namespace

PosixPortDirectory::PosixPortDirectory(std::map<int, std::string> explicitMap, std::string sysClassTty,
                                       std::string devDir)
    : m_explicitMap(std::move(explicitMap)), m_sysClassTty(std::move(sysClassTty)), m_devDir(std::move(devDir))
{
}

std::vector<PosixPortDirectory::Port> PosixPortDirectory::Snapshot() const
{
    PortClaims claims;
    for (const auto& [number, path] : m_explicitMap) {
        claims.Claim(number, path);
    }
    // An explicit number stays the user's even while its device is absent.
    for (const auto& entry : m_explicitMap) {
        claims.Reserve(entry.first);
    }
    for (const auto& [number, path] : m_runMap) {
        claims.Claim(number, path);
    }
    for (const auto& [number, path] : SystemPorts(m_sysClassTty, m_devDir)) {
        claims.Claim(number, path);
    }
    std::vector<Port> ports;
    for (auto& [number, path] : std::move(claims).Sorted()) {
        ports.push_back(Port{number, std::move(path)});
    }
    return ports;
}

bool PosixPortDirectory::Open()
{
    m_listed = Snapshot();
    m_isOpen = !m_listed.empty();
    return m_isOpen;
}

LONG PosixPortDirectory::EnumValue(DWORD index, char* name, DWORD* nameCapacity, BYTE* data, DWORD* dataCapacity)
{
    if (!m_isOpen) {
        return static_cast<LONG>(ERROR_INVALID_HANDLE);
    }
    if (index >= m_listed.size()) {
        return static_cast<LONG>(ERROR_NO_MORE_ITEMS);
    }
    const Port& port = m_listed[index];
    return CopyValue(port.path, "COM" + std::to_string(port.number), name, nameCapacity, data, dataCapacity);
}

void PosixPortDirectory::Close()
{
    m_listed.clear();
    m_isOpen = false;
}

std::string PosixPortDirectory::DevicePath(int portNumber)
{
    for (const Port& port : Snapshot()) {
        if (port.number == portNumber) {
            return port.path;
        }
    }
    return {};
}

int PosixPortDirectory::MapDevice(const std::string& path)
{
    const std::string device = Resolved(path);
    std::set<int> taken;
    for (const Port& port : Snapshot()) {
        if (Resolved(port.path) == device) {
            return port.number;
        }
        taken.insert(port.number);
    }
    for (const auto& [number, mapped] : m_runMap) {
        if (Resolved(mapped) == device) {
            return number;
        }
        taken.insert(number);
    }
    for (const auto& entry : m_explicitMap) {
        taken.insert(entry.first);
    }
    for (int number = 1; number <= kHighestPort; ++number) {
        if (taken.count(number) == 0) {
            m_runMap[number] = path;
            return number;
        }
    }
    return -1;
}

}  // namespace fwut
