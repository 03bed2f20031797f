#include "platform/RecordFile.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace fwut::files {

bool AppendRecordLine(const std::string& path, const std::string& line, std::string& problem)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) {
        problem = errno == ELOOP ? "it is a symbolic link" : std::strerror(errno);
        return false;
    }
    struct stat st { };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        problem = "it is not a regular file";
    } else if (st.st_uid != ::geteuid()) {
        problem = "it belongs to another user";
    } else if (st.st_nlink != 1) {
        problem = "it has other names (hard links)";
    } else {
        const ssize_t written = ::write(fd, line.data(), line.size());
        if (written == static_cast<ssize_t>(line.size())) {
            ::close(fd);
            return true;
        }
        problem = written < 0 ? std::strerror(errno) : "the disk took only part of the line";
    }
    ::close(fd);
    return false;
}

std::string HostName()
{
    char name[256] = {};
    return ::gethostname(name, sizeof name - 1) == 0 ? std::string(name) : std::string();
}

std::string UserName()
{
    const passwd* entry = ::getpwuid(::geteuid());
    return entry != nullptr ? std::string(entry->pw_name) : std::to_string(::geteuid());
}

}  // namespace fwut::files
