#include "platform/posix/IniSettingsStore.h"

#include <pwd.h>
#include <unistd.h>

#include <charconv>
#include <cstdlib>

#include "platform/ComPortName.h"
#include "platform/Files.h"
#include "platform/posix/IniText.h"

namespace fwut {
namespace {

// Larger files are not the program's: they are neither read nor rewritten.
constexpr std::size_t kMaxFileBytes = 1 << 20;

// Root run with a user's HOME reads that user's file: its paths would let
// the user point root's record or serial port at any file or device.
constexpr const char* kOthersFile =
    "the settings file belongs to another user, or lies in a folder of another's, and its paths are not followed";

// Without HOME (a service, "env -i") the home comes from the user database,
// never the root folder.
std::string ConfigFolder()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && *xdg == '/') {
        return xdg;
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home != '/') {
        const passwd* user = ::getpwuid(::geteuid());
        home = user != nullptr ? user->pw_dir : nullptr;
    }
    return home != nullptr && *home == '/' ? std::string(home) + "/.config" : std::string();
}

}  // namespace

std::string UnusedEntryText(const std::string& section, const std::string& key, const std::string& why)
{
    return "The settings file's [" + section + "] entry " + key + " is not used: " + why + ".";
}

IniSettingsStore::IniSettingsStore(const std::string& applicationName)
{
    if (const std::string config = ConfigFolder(); !config.empty()) {
        m_path = config + "/Fernhollow Systems/" + applicationName + ".conf";
    }
}

// Reading through a link is harmless (a dotfile manager links its files).
std::string IniSettingsStore::ReadText(bool& othersFile) const
{
    std::string text;
    std::string problem;
    othersFile = false;
    return !m_path.empty() && files::ReadPlainFile(m_path, kMaxFileBytes, text, problem, &othersFile) ? text
                                                                                                      : std::string();
}

std::string IniSettingsStore::ReadText() const
{
    bool othersFile = false;
    return ReadText(othersFile);
}

int IniSettingsStore::GetProfileInt(const char* section, const char* entry, int defaultValue)
{
    const std::optional<std::string> text = ini::Value(ReadText(), section, entry);
    if (!text) {
        return defaultValue;
    }
    int value = 0;
    const char* first = text->data();
    const char* last = text->data() + text->size();
    if (first != last && *first == '+') {
        ++first;
    }
    const auto [end, status] = std::from_chars(first, last, value);
    return status == std::errc() && end == last && first != last ? value : defaultValue;
}

std::string IniSettingsStore::GetProfileString(const char* section, const char* entry, const std::string& defaultValue)
{
    bool othersFile = false;
    const std::optional<ini::Entry> found = ini::Find(ReadText(othersFile), section, entry);
    if (!found) {
        return defaultValue;
    }
    if (const std::string problem = othersFile ? kOthersFile : ini::PathProblem(*found); !problem.empty()) {
        m_readProblems.insert(UnusedEntryText(section, found->key, problem));
        return defaultValue;
    }
    return found->value;
}

bool IniSettingsStore::WriteProfileInt(const char* section, const char* entry, int value)
{
    m_problem.clear();
    if (m_path.empty()) {
        m_problem = "no home folder is known for the settings file";
        return false;
    }
    files::ReplacementFile file;
    std::string text;
    const files::NewFileRules rules{.privateToUser = true, .inOwnFolderOnly = true, .makeMissingFolders = true};
    if (!file.Create(m_path, rules) || !file.ReadCurrent(text, kMaxFileBytes)) {
        m_problem = m_path + ": " + file.Problem();
        return false;
    }
    const std::string updated = ini::WithValue(text, section, entry, std::to_string(value));
    if (!file.Write(updated.data(), updated.size()) || !file.Commit()) {
        m_problem = m_path + ": " + file.Problem();
        return false;
    }
    return true;
}

std::map<int, std::string> PortMapOfText(const std::string& text, std::vector<std::string>* problems)
{
    std::map<int, std::string> ports;
    for (const ini::Entry& entry : ini::SectionEntries(text, "Ports")) {
        const int number = ComPortNumber(entry.key);
        if (number <= 0) {
            continue;
        }
        if (const std::string problem = ini::PathProblem(entry); !problem.empty()) {
            if (problems != nullptr) {
                problems->push_back(UnusedEntryText("Ports", entry.key, problem));
            }
        } else if (!entry.value.empty()) {
            ports[number] = entry.value;
        }
    }
    return ports;
}

std::map<int, std::string> IniSettingsStore::ReadPortMap()
{
    bool othersFile = false;
    std::vector<std::string> problems;
    std::map<int, std::string> ports = PortMapOfText(ReadText(othersFile), &problems);
    m_readProblems.insert(problems.begin(), problems.end());
    if (othersFile) {
        for (const auto& [number, device] : ports) {
            m_readProblems.insert(UnusedEntryText("Ports", ComPortName(number), kOthersFile));
        }
        ports.clear();
    }
    return ports;
}

}  // namespace fwut
