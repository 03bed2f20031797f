// The per-user settings store as an INI file:
// $XDG_CONFIG_HOME/Fernhollow Systems/<application name>.conf, with
// $HOME/.config standing in for an unset XDG_CONFIG_HOME. Each call opens the
// file afresh, as each registry access opens its keys afresh.
#pragma once

#include <map>
#include <string>

#include "platform/SettingsStore.h"

namespace fwut {

class QtSettingsStore final : public SettingsStore {
public:
    explicit QtSettingsStore(const std::string& applicationName);

    // "<section>/<entry>"; a value that is not a decimal int reads as defaultValue.
    int GetProfileInt(const char* section, const char* entry, int defaultValue) override;
    // Writes and flushes to disk; false when the file cannot be written.
    bool WriteProfileInt(const char* section, const char* entry, int value) override;

    // The "Ports" section: COM<n>=<device path> for n from 1 to 100, "COM"
    // in any case; other keys and empty paths are skipped.
    std::map<int, std::string> ReadPortMap();

    const std::string& FilePath() const { return m_path; }

private:
    std::string m_path;
};

}  // namespace fwut
