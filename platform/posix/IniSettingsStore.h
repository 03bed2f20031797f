// The per-user settings store as a text file:
// $XDG_CONFIG_HOME/Fernhollow Systems/<application name>.conf, with
// $HOME/.config (without HOME, the user database's home) standing in for an
// unset XDG_CONFIG_HOME. Each call reads the file afresh, as each registry
// access opens its keys afresh.
//
// The file is also the user's: its [Ports] section maps COM numbers to
// devices by hand. A write changes the one value's line and keeps every other
// byte; it replaces the file whole under the rules of a user's own files
// (files::NewFileRules): made, with its folders, only in folders of the
// user's, and never written through a link, into a file with other names or
// of someone else, or into one the user made read-only. The paths of a file
// that belongs to another user, or lies in a folder of another's (root run
// with a user's HOME), are not followed: that user could point root at any
// file or device.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/SettingsStore.h"

namespace fwut {

class IniSettingsStore final : public SettingsStore {
public:
    explicit IniSettingsStore(const std::string& applicationName);

    // A value that is not a decimal int reads as defaultValue.
    int GetProfileInt(const char* section, const char* entry, int defaultValue) override;
    bool WriteProfileInt(const char* section, const char* entry, int value) override;
    // A path; an entry that may have been cut at a comment mark reads as
    // defaultValue, and ReadProblems() says why.
    std::string GetProfileString(const char* section, const char* entry, const std::string& defaultValue) override;
    std::string LastWriteProblem() const override { return m_problem; }
    std::vector<std::string> ReadProblems() const override { return {m_readProblems.begin(), m_readProblems.end()}; }

    // The "Ports" section: COM<n>=<device path> for n from 1 to 100, "COM"
    // in any case; other keys and empty paths are skipped, and paths that
    // cannot be read whole are refused (ReadProblems()).
    std::map<int, std::string> ReadPortMap();

private:
    // othersFile tells whether the file belongs to another user.
    std::string ReadText(bool& othersFile) const;
    std::string ReadText() const;

    std::string m_path;
    std::string m_problem;
    std::set<std::string> m_readProblems;
};

// The port map of a settings file's text (see ReadPortMap), and the problems
// of the entries it refused.
std::map<int, std::string> PortMapOfText(const std::string& text, std::vector<std::string>* problems = nullptr);

// "The settings file's [Ports] entry COM5 is not used: <why>."
std::string UnusedEntryText(const std::string& section, const std::string& key, const std::string& why);

}  // namespace fwut
