#include "platform/PortHolder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fwut {

namespace {

namespace fs = std::filesystem;

std::string FirstLine(const fs::path& path)
{
    std::ifstream file(path);
    std::string line;
    std::getline(file, line);
    return line;
}

std::string UserOf(long processId)
{
    std::ifstream status("/proc/" + std::to_string(processId) + "/status");
    for (std::string line; std::getline(status, line);) {
        unsigned long uid = 0;
        if (std::sscanf(line.c_str(), "Uid: %lu", &uid) == 1) {
            const passwd* entry = ::getpwuid(static_cast<uid_t>(uid));
            return entry != nullptr ? std::string(entry->pw_name) : std::to_string(uid);
        }
    }
    return std::string();
}

std::optional<PortHolder> Holder(long processId)
{
    const std::string program = FirstLine("/proc/" + std::to_string(processId) + "/comm");
    if (program.empty()) {
        return std::nullopt;
    }
    return PortHolder{program, processId, UserOf(processId)};
}

// The process whose lock /proc/locks shows on the file (device, inode); 0 when none.
long LockHolder(const struct stat& file)
{
    std::ifstream locks("/proc/locks");
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
            return processId;
        }
    }
    return 0;
}

// Each other process's id, until visit returns true; that id, or 0.
template <typename Visit> long FindProcess(Visit visit)
{
    std::error_code error;
    const long self = static_cast<long>(::getpid());
    // Stepped with an error code: the range form throws when a read fails.
    for (fs::directory_iterator it("/proc", error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.find_first_not_of("0123456789") == std::string::npos && std::stol(name) != self && visit(it->path())) {
            return std::stol(name);
        }
    }
    return 0;
}

// Another process with the device open; 0 when none.
long OpenedBy(const fs::path& device)
{
    return FindProcess([&](const fs::path& process) {
        // A process that ends meanwhile makes the next read of its list fail (ENOENT).
        std::error_code gone;
        for (fs::directory_iterator fd(process / "fd", gone), end; !gone && fd != end; fd.increment(gone)) {
            std::error_code unreadable;
            if (fs::read_symlink(fd->path(), unreadable) == device) {
                return true;
            }
        }
        return false;
    });
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

}  // namespace

std::optional<PortHolder> FindPortHolder(const std::string& devicePath)
{
    fs::path device;
    const std::optional<struct stat> file = DeviceStatus(devicePath, device);
    if (!file) {
        return std::nullopt;
    }
    if (const long locker = LockHolder(*file); locker != 0) {
        return Holder(locker);
    }
    if (const long opener = OpenedBy(device); opener != 0) {
        return Holder(opener);
    }
    return std::nullopt;
}

std::optional<PortHolder> FindPortLocker(const std::string& devicePath)
{
    fs::path device;
    const std::optional<struct stat> file = DeviceStatus(devicePath, device);
    const long locker = file ? LockHolder(*file) : 0;
    return locker != 0 ? Holder(locker) : std::nullopt;
}

bool IsProcessRunning(const std::string& program)
{
    return FindProcess([&](const fs::path& process) { return FirstLine(process / "comm") == program; }) != 0;
}

}  // namespace fwut
