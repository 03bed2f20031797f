#include "platform/posix/IniSettingsStore.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>

#include "platform/posix/IniText.h"

namespace fwut {
namespace {

constexpr int kHighestPort = 100;
// Larger files are not the program's: they are neither read nor rewritten.
constexpr off_t kMaxFileBytes = 1 << 20;

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

// n of "COM<n>" ("COM" in any case, n from 1 to 100 without leading zeros), or -1.
int PortNumberOfKey(const std::string& key)
{
    if (key.size() < 4 || key.size() > 6 || (key[0] != 'C' && key[0] != 'c') || (key[1] != 'O' && key[1] != 'o') ||
        (key[2] != 'M' && key[2] != 'm') || key[3] == '0') {
        return -1;
    }
    int number = 0;
    const auto [end, status] = std::from_chars(key.data() + 3, key.data() + key.size(), number);
    return status == std::errc() && end == key.data() + key.size() && number <= kHighestPort ? number : -1;
}

std::string ReadAll(int fd)
{
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return text;
        }
        text.append(buffer, static_cast<std::size_t>(n));
    }
}

bool WriteAll(int fd, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Makes the missing folders of path, each only inside a folder of the user's
// own: root run with a user's HOME (sudo) must not leave that user a
// ~/.config of root's that the user cannot write. The problem, or empty.
std::string MakeFolder(const std::string& path)
{
    for (std::size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
        const std::string folder = path.substr(0, end);
        struct stat st { };
        if (::stat(folder.c_str(), &st) != 0) {
            const std::string parent = folder.substr(0, std::max<std::size_t>(folder.rfind('/'), 1));
            if (::stat(parent.c_str(), &st) != 0 || st.st_uid != ::geteuid()) {
                return folder + " is not made, as " + parent + " is not a folder of yours";
            }
            ::mkdir(folder.c_str(), 0700);
        }
        if (end == std::string::npos) {
            return {};
        }
    }
}

}  // namespace

IniSettingsStore::IniSettingsStore(const std::string& applicationName)
{
    if (const std::string config = ConfigFolder(); !config.empty()) {
        m_folder = config + "/Fernhollow Systems";
        m_path = m_folder + "/" + applicationName + ".conf";
    }
}

std::string IniSettingsStore::ReadText() const
{
    // Reading through a link is harmless (a dotfile manager links its files).
    const int fd = ::open(m_path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return {};
    }
    struct stat st { };
    std::string text;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= kMaxFileBytes) {
        text = ReadAll(fd);
    }
    ::close(fd);
    return text;
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
    return ini::Value(ReadText(), section, entry).value_or(defaultValue);
}

bool IniSettingsStore::Fail(std::string problem)
{
    m_problem = std::move(problem);
    return false;
}

bool IniSettingsStore::WriteProfileInt(const char* section, const char* entry, int value)
{
    m_problem.clear();
    if (m_folder.empty()) {
        return Fail("no home folder is known for the settings file");
    }
    if (const std::string problem = MakeFolder(m_folder); !problem.empty()) {
        return Fail(problem);
    }
    struct stat folder { };
    if (::lstat(m_folder.c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode) || folder.st_uid != ::geteuid()) {
        return Fail(m_folder + " is not a folder of yours");
    }

    std::string text;
    mode_t mode = 0600;
    struct stat named { };
    if (::lstat(m_path.c_str(), &named) == 0) {
        if (!S_ISREG(named.st_mode)) {
            return Fail(m_path + " is not a plain file (a link is not written through)");
        }
        if (named.st_uid != ::geteuid() || named.st_nlink != 1) {
            return Fail(m_path + " belongs to another user or has other names");
        }
        // The rename below would replace it regardless of its mode.
        if ((named.st_mode & S_IWUSR) == 0) {
            return Fail("the settings file " + m_path + " is read-only");
        }
        if (named.st_size > kMaxFileBytes) {
            return Fail(m_path + " is too large to be a settings file");
        }
        const int fd = ::open(m_path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        struct stat opened { };
        if (fd < 0 || ::fstat(fd, &opened) != 0 || opened.st_ino != named.st_ino || opened.st_dev != named.st_dev) {
            if (fd >= 0) {
                ::close(fd);
            }
            return Fail(m_path + " changed while it was read");
        }
        text = ReadAll(fd);
        ::close(fd);
        mode = named.st_mode & 07777;
    } else if (errno != ENOENT) {
        return Fail(m_path + ": " + std::strerror(errno));
    }

    const std::string updated = ini::WithValue(text, section, entry, std::to_string(value));
    std::string temporary = m_path + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        return Fail(m_folder + ": " + std::strerror(errno));
    }
    const bool written = WriteAll(fd, updated) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    const int writeError = errno;
    ::close(fd);
    if (!written || ::rename(temporary.c_str(), m_path.c_str()) != 0) {
        const int error = written ? errno : writeError;
        ::unlink(temporary.c_str());
        return Fail(m_path + ": " + std::strerror(error));
    }
    return true;
}

std::map<int, std::string> PortMapOfText(const std::string& text)
{
    std::map<int, std::string> ports;
    for (const auto& [key, path] : ini::SectionValues(text, "Ports")) {
        const int number = PortNumberOfKey(key);
        if (number > 0 && !path.empty()) {
            ports[number] = path;
        }
    }
    return ports;
}

std::map<int, std::string> IniSettingsStore::ReadPortMap() const
{
    return PortMapOfText(ReadText());
}

}  // namespace fwut
