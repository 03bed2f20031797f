#include "platform/posix/HoldingFolder.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <deque>
#include <utility>

namespace fwut::posix {
namespace {

// As the system's own resolution: a path that goes through more links than
// this is a loop.
constexpr int kMaxLinks = 40;

bool OwnedByUserOrRoot(const struct stat& st)
{
    return st.st_uid == ::geteuid() || st.st_uid == 0;
}

// The names of path, without empty ones and ".".
std::deque<std::string> Names(const std::string& path)
{
    std::deque<std::string> names;
    for (std::size_t begin = 0; begin <= path.size();) {
        const std::size_t slash = path.find('/', begin);
        const std::size_t end = slash == std::string::npos ? path.size() : slash;
        std::string name = path.substr(begin, end - begin);
        if (!name.empty() && name != ".") {
            names.push_back(std::move(name));
        }
        begin = end + 1;
    }
    return names;
}

std::string Joined(const std::string& folder, const std::string& name)
{
    return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

int OpenFolder(int at, const char* name)
{
    int fd;
    do {
        fd = ::openat(at, name, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

std::string LinkTarget(int folder, const std::string& name)
{
    std::string target(4096, '\0');
    const ssize_t length = ::readlinkat(folder, name.c_str(), target.data(), target.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= target.size()) {
        return {};
    }
    target.resize(static_cast<std::size_t>(length));
    return target;
}

}  // namespace

bool IsFolderSafe(const struct stat& folder)
{
    return S_ISDIR(folder.st_mode) && OwnedByUserOrRoot(folder) &&
           ((folder.st_mode & (S_IWGRP | S_IWOTH)) == 0 || (folder.st_mode & S_ISVTX) != 0);
}

std::string OwnFileProblem(const struct stat& file)
{
    if (S_ISLNK(file.st_mode)) {
        return "it is a symbolic link, which is not written through";
    }
    if (!S_ISREG(file.st_mode)) {
        return "it is not a plain file";
    }
    if (file.st_uid != ::geteuid()) {
        return "it belongs to another user";
    }
    return file.st_nlink == 1 ? std::string() : "it has other names (hard links)";
}

namespace {

// Walks path's folders from "/" or the working folder, name by name; the
// open folder that holds the last name, or -1 with problem set.
int WalkToHoldingFolder(const std::string& path, bool makeMissing, std::string& name, std::string& shown,
                        std::string& problem)
{
    std::deque<std::string> names = Names(path);
    if (names.empty() || path.back() == '/' || names.back() == "..") {
        problem = "it names a folder, not a file";
        return -1;
    }
    name = names.back();
    names.pop_back();
    const bool absolute = path.front() == '/';
    int folder = OpenFolder(AT_FDCWD, absolute ? "/" : ".");
    shown = absolute ? "/" : "";
    int links = 0;
    const auto fail = [&](std::string why) {
        problem = std::move(why);
        if (folder >= 0) {
            ::close(folder);
        }
        return -1;
    };
    if (folder < 0) {
        return fail(std::strerror(errno));
    }
    while (!names.empty()) {
        const std::string name = std::move(names.front());
        names.pop_front();
        const std::string here = Joined(shown, name);
        struct stat st { };
        if (::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            struct stat parent { };
            if (errno != ENOENT || !makeMissing) {
                return fail(here + ": " + std::strerror(errno));
            }
            if (::fstat(folder, &parent) != 0 || parent.st_uid != ::geteuid()) {
                return fail(here + " is not made, as " + (shown.empty() ? "." : shown) + " is not a folder of yours");
            }
            if ((::mkdirat(folder, name.c_str(), 0700) != 0 && errno != EEXIST) ||
                ::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
                return fail(here + ": " + std::strerror(errno));
            }
        }
        if (S_ISLNK(st.st_mode)) {
            struct stat holder { };
            if (++links > kMaxLinks) {
                return fail(here + ": " + std::strerror(ELOOP));
            }
            if (::fstat(folder, &holder) != 0 || !OwnedByUserOrRoot(st) || !IsFolderSafe(holder)) {
                return fail(here + " is a link that other users can change, which is not followed");
            }
            const std::string target = LinkTarget(folder, name);
            if (target.empty()) {
                return fail(here + ": the link cannot be read");
            }
            std::deque<std::string> targetNames = Names(target);
            names.insert(names.begin(), targetNames.begin(), targetNames.end());
            if (target.front() == '/') {
                ::close(folder);
                folder = OpenFolder(AT_FDCWD, "/");
                shown = "/";
                if (folder < 0) {
                    return fail(std::strerror(errno));
                }
            }
            continue;
        }
        if (!S_ISDIR(st.st_mode)) {
            return fail(here + " is not a folder");
        }
        const int next = OpenFolder(folder, name.c_str());
        if (next < 0) {
            return fail(here + ": " + std::strerror(errno));
        }
        ::close(folder);
        folder = next;
        shown = here;
    }
    shown = shown.empty() ? "." : shown;
    return folder;
}

}  // namespace

HoldingFolder::HoldingFolder(const std::string& path, bool makeMissing, std::string& problem)
{
    problem.clear();
    const int folder = WalkToHoldingFolder(path, makeMissing, m_name, m_shown, problem);
    if (folder < 0) {
        return;
    }
    if (::fstat(folder, &m_status) != 0) {
        problem = m_shown + ": " + std::strerror(errno);
        ::close(folder);
        return;
    }
    m_fd = folder;
}

HoldingFolder::HoldingFolder(HoldingFolder&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_name(std::move(other.m_name)), m_shown(std::move(other.m_shown)),
      m_status(other.m_status)
{
}

HoldingFolder& HoldingFolder::operator=(HoldingFolder&& other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        m_fd = std::exchange(other.m_fd, -1);
        m_name = std::move(other.m_name);
        m_shown = std::move(other.m_shown);
        m_status = other.m_status;
    }
    return *this;
}

HoldingFolder::~HoldingFolder()
{
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

bool HoldingFolder::IsOwn() const
{
    return IsOpen() && m_status.st_uid == ::geteuid();
}

bool HoldingFolder::IsSafe() const
{
    return IsOpen() && IsFolderSafe(m_status);
}

}  // namespace fwut::posix
