#include "tools/sim/DeviceLink.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace fwut::sim {

std::unique_ptr<DeviceLink> DeviceLink::Create(const std::string& path, const std::string& target, std::string& error)
{
    struct stat existing { };
    if (lstat(path.c_str(), &existing) == 0 && !S_ISLNK(existing.st_mode)) {
        error = path + " exists and is not a symbolic link";
        return nullptr;
    }
    // Made beside the final name and renamed over it, so the path never
    // points nowhere while a program may be looking.
    const std::string temporary = path + ".fwut-sim-" + std::to_string(getpid());
    unlink(temporary.c_str());
    if (symlink(target.c_str(), temporary.c_str()) != 0 || rename(temporary.c_str(), path.c_str()) != 0) {
        error = path + ": " + std::strerror(errno);
        unlink(temporary.c_str());
        return nullptr;
    }
    return std::unique_ptr<DeviceLink>(new DeviceLink(path, target));
}

DeviceLink::DeviceLink(std::string path, std::string target) : m_path(std::move(path)), m_target(std::move(target))
{
}

DeviceLink::~DeviceLink()
{
    char pointsAt[4096];
    const ssize_t length = readlink(m_path.c_str(), pointsAt, sizeof pointsAt - 1);
    if (length >= 0 && std::string(pointsAt, static_cast<std::size_t>(length)) == m_target) {
        unlink(m_path.c_str());
    }
}

}  // namespace fwut::sim
