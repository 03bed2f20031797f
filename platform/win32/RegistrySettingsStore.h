// The per-user settings store in the registry:
// HKEY_CURRENT_USER\software\Fernhollow Systems\<application name>\<section>.
// Every access opens the keys afresh, creating those that are missing, and
// closes them again, so no key stays open between accesses.
#pragma once

#include <string>

#include "platform/SettingsStore.h"
#include "platform/Win32Types.h"

namespace fwut {

constexpr const char* kRegistryCompanyKey = "Fernhollow Systems";

class RegistrySettingsStore final : public SettingsStore {
public:
    // root is HKEY_CURRENT_USER in the program; tests give a scratch key.
    explicit RegistrySettingsStore(std::string applicationName, HKEY root = HKEY_CURRENT_USER);

    // A REG_DWORD value; any other type or a missing value gives defaultValue.
    int GetProfileInt(const char* section, const char* entry, int defaultValue) override;
    bool WriteProfileInt(const char* section, const char* entry, int value) override;
    std::string GetProfileString(const char* section, const char* entry, const std::string& defaultValue) override;
    std::string LastWriteProblem() const override { return m_problem; }

private:
    // The section's key, opened (created where missing) for reading and
    // writing; nullptr when it cannot be had.
    HKEY OpenSectionKey(const char* section);

    std::string m_applicationName;
    HKEY m_root;
    std::string m_problem;
};

}  // namespace fwut
