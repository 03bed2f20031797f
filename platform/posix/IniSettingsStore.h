// The per-user settings store as a text file:
// $XDG_CONFIG_HOME/Fernhollow Systems/<application name>.conf, with
// $HOME/.config (without HOME, the user database's home) standing in for an
// unset XDG_CONFIG_HOME. Missing folders are made only inside folders of the
// user's own. Each call reads the file afresh, as each registry access opens
// its keys afresh.
//
// The file is also the user's: its [Ports] section maps COM numbers to
// devices by hand. A write changes the one value's line and keeps every other
// byte, and is refused, rather than done, into a file that is a link, has
// other names, belongs to someone else, or that the user made read-only.
#pragma once

#include <map>
#include <string>

#include "platform/SettingsStore.h"

namespace fwut {

class IniSettingsStore final : public SettingsStore {
public:
    explicit IniSettingsStore(const std::string& applicationName);

    // A value that is not a decimal int reads as defaultValue.
    int GetProfileInt(const char* section, const char* entry, int defaultValue) override;
    // Replaces the file at once (a new file renamed over it), so that a crash
    // never leaves half a file.
    bool WriteProfileInt(const char* section, const char* entry, int value) override;
    std::string GetProfileString(const char* section, const char* entry, const std::string& defaultValue) override;
    std::string LastWriteProblem() const override { return m_problem; }

    // The "Ports" section: COM<n>=<device path> for n from 1 to 100, "COM"
    // in any case; other keys and empty paths are skipped.
    std::map<int, std::string> ReadPortMap() const;

private:
    std::string ReadText() const;
    bool Fail(std::string problem);

    std::string m_folder;
    std::string m_path;
    std::string m_problem;
};

// The port map of a settings file's text (see ReadPortMap).
std::map<int, std::string> PortMapOfText(const std::string& text);

}  // namespace fwut
