#include "platform/win32/RegistrySettingsStore.h"

#include <cstring>
#include <utility>

namespace fwut {
namespace {

constexpr REGSAM kAccess = KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE;

// Opens or creates name below parent and closes parent, whatever the outcome.
HKEY CreateChildAndClose(HKEY parent, const char* name)
{
    HKEY child = nullptr;
    DWORD disposition = 0;
    if (::RegCreateKeyExA(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE, kAccess, nullptr, &child, &disposition) !=
        ERROR_SUCCESS) {
        child = nullptr;
    }
    ::RegCloseKey(parent);
    return child;
}

}  // namespace

RegistrySettingsStore::RegistrySettingsStore(std::string applicationName, HKEY root)
    : m_applicationName(std::move(applicationName)), m_root(root)
{
}

HKEY RegistrySettingsStore::OpenSectionKey(const char* section)
{
    HKEY software = nullptr;
    if (::RegOpenKeyExA(m_root, "software", 0, kAccess, &software) != ERROR_SUCCESS) {
        return nullptr;
    }
    HKEY key = CreateChildAndClose(software, kRegistryCompanyKey);
    if (key != nullptr) {
        key = CreateChildAndClose(key, m_applicationName.c_str());
    }
    if (key != nullptr) {
        key = CreateChildAndClose(key, section);
    }
    return key;
}

int RegistrySettingsStore::GetProfileInt(const char* section, const char* entry, int defaultValue)
{
    const HKEY key = OpenSectionKey(section);
    if (key == nullptr) {
        return defaultValue;
    }
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    const LONG result = ::RegQueryValueExA(key, entry, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    ::RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value) {
        return defaultValue;
    }
    return static_cast<int>(value);
}

std::string RegistrySettingsStore::GetProfileString(const char* section, const char* entry,
                                                    const std::string& defaultValue)
{
    const HKEY key = OpenSectionKey(section);
    if (key == nullptr) {
        return defaultValue;
    }
    DWORD type = 0;
    char value[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH;
    const LONG result = ::RegQueryValueExA(key, entry, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    ::RegCloseKey(key);
    if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return defaultValue;
    }
    return std::string(value, strnlen(value, size));
}

bool RegistrySettingsStore::WriteProfileInt(const char* section, const char* entry, int value)
{
    m_problem.clear();
    const HKEY key = OpenSectionKey(section);
    if (key == nullptr) {
        m_problem = "the registry key of the settings cannot be opened";
        return false;
    }
    const DWORD data = static_cast<DWORD>(value);
    const LONG result = ::RegSetValueExA(key, entry, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
    ::RegCloseKey(key);
    if (result != ERROR_SUCCESS) {
        m_problem = "the registry refused the value (error " + std::to_string(result) + ")";
    }
    return result == ERROR_SUCCESS;
}

}  // namespace fwut
