#include "platform/PortHolder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace fwut {

namespace {

namespace fs = std::filesystem;

// A process that has the device open, and whether one of its descriptors
// holds the device's lock.
struct Opener {
    long processId = 0;
    bool holdsLock = false;
};

// Read through the stream, which turns a failed read (a process that ends
// meanwhile) into its failbit.
std::string FileText(const fs::path& path)
{
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string FirstLine(const fs::path& path)
{
    const std::string text = FileText(path);
    return text.substr(0, text.find('\n'));
}

std::string UserOf(long processId)
{
    std::istringstream status(FileText("/proc/" + std::to_string(processId) + "/status"));
    for (std::string line; std::getline(status, line);) {
        unsigned long uid = 0;
        if (std::sscanf(line.c_str(), "Uid: %lu", &uid) == 1) {
            const passwd* entry = ::getpwuid(static_cast<uid_t>(uid));
            return entry != nullptr ? std::string(entry->pw_name) : std::to_string(uid);
        }
    }
    return std::string();
}

// A process that ended meanwhile cannot be named either.
PortHolder Holder(long processId)
{
    const std::string program = FirstLine("/proc/" + std::to_string(processId) + "/comm");
    if (program.empty()) {
        return PortHolder{};
    }
    return PortHolder{program, processId, UserOf(processId), {}};
}

// Whether /proc/locks shows a lock held on the file (device, inode); the
// process id it shows is the one that took it, which may have ended since.
bool IsLocked(const struct stat& file)
{
    std::istringstream locks(FileText("/proc/locks"));
    for (std::string line; std::getline(locks, line);) {
        // "1: FLOCK  ADVISORY  WRITE 4711 00:1a:3 0 EOF"; a waiting lock's line has "->".
        std::istringstream fields(line);
        std::string id, kind, mode, access, where;
        long processId = 0;
        if (!(fields >> id >> kind) || kind == "->" || !(fields >> mode >> access >> processId >> where)) {
            continue;
        }
        unsigned major = 0;
        unsigned minor = 0;
        unsigned long inode = 0;
        if (std::sscanf(where.c_str(), "%x:%x:%lu", &major, &minor, &inode) == 3 &&
            makedev(major, minor) == file.st_dev && inode == file.st_ino) {
            return true;
        }
    }
    return false;
}

// Every other process that has the device open now. A descriptor's fdinfo
// lists the locks held through it.
std::vector<Opener> Openers(const fs::path& device)
{
    std::vector<Opener> openers;
    const std::string self = std::to_string(::getpid());
    std::error_code error;
    // Stepped with error codes: the range forms throw when a read fails, as
    // it does for a process that ends meanwhile.
    for (fs::directory_iterator it("/proc", error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos || name == self) {
            continue;
        }
        Opener opener{std::stol(name), false};
        bool opened = false;
        std::error_code gone;
        for (fs::directory_iterator fd(it->path() / "fd", gone), last; !gone && fd != last; fd.increment(gone)) {
            std::error_code unreadable;
            if (fs::read_symlink(fd->path(), unreadable) == device) {
                opened = true;
                const std::string info = FileText(it->path() / "fdinfo" / fd->path().filename());
                opener.holdsLock = opener.holdsLock || info.find("\nlock:") != std::string::npos;
            }
        }
        if (opened) {
            openers.push_back(opener);
        }
    }
    return openers;
}

std::optional<struct stat> DeviceStatus(const std::string& devicePath, fs::path& device)
{
    std::error_code error;
    device = fs::canonical(devicePath, error);
    struct stat file { };
    if (error || ::stat(device.c_str(), &file) != 0) {
        return std::nullopt;
    }
    return file;
}

// The opener that holds the lock, else a holder that cannot be seen.
PortHolder LockHolder(const std::vector<Opener>& openers)
{
    for (const Opener& opener : openers) {
        if (opener.holdsLock) {
            return Holder(opener.processId);
        }
    }
    return PortHolder{};
}

}  // namespace

std::optional<PortHolder> FindPortHolder(const std::string& devicePath)
{
    fs::path device;
    const std::optional<struct stat> file = DeviceStatus(devicePath, device);
    if (!file) {
        return std::nullopt;
    }
    const std::vector<Opener> openers = Openers(device);
    if (IsLocked(*file)) {
        return LockHolder(openers);
    }
    if (!openers.empty()) {
        return Holder(openers.front().processId);
    }
    return std::nullopt;
}

std::optional<PortHolder> FindPortLocker(const std::string& devicePath)
{
    fs::path device;
    const std::optional<struct stat> file = DeviceStatus(devicePath, device);
    if (!file || !IsLocked(*file)) {
        return std::nullopt;
    }
    return LockHolder(Openers(device));
}

std::vector<std::optional<PortHolder>> FindPortLockers(const std::vector<std::string>& devicePaths)
{
    std::vector<std::optional<PortHolder>> holders;
    for (const std::string& device : devicePaths) {
        holders.push_back(FindPortLocker(device));
    }
    return holders;
}

bool IsProcessRunning(const std::string& program)
{
    std::error_code error;
    for (fs::directory_iterator it("/proc", error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.find_first_not_of("0123456789") == std::string::npos && FirstLine(it->path() / "comm") == program) {
            return true;
        }
    }
    return false;
}

}  // namespace fwut
