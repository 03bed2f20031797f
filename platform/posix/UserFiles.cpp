// Writing a user's files: replacing one whole, appending a line whole or not
// at all, and reading one that may not be a plain file at all.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>

#include "platform/Files.h"
#include "platform/posix/FdIo.h"
#include "platform/posix/HoldingFolder.h"

namespace fwut::files {
namespace {

// Another copy appending to the same file holds it this long at most.
constexpr auto kLockWait = std::chrono::seconds(2);
constexpr auto kLockRetry = std::chrono::milliseconds(10);

int OpenAt(int folder, const std::string& name, int flags, mode_t mode = 0)
{
    int fd;
    do {
        fd = ::openat(folder, name.c_str(), flags | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

mode_t NewFileMode(const NewFileRules& rules)
{
    if (rules.privateToUser) {
        return 0600;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

std::string OpenProblem(int error)
{
    return error == ELOOP ? "it is a symbolic link, which is not written through" : std::strerror(error);
}

std::string NotOwnFolder(const posix::HoldingFolder& folder)
{
    return folder.Shown() + " is not a folder of yours, and the file is made only in one of yours";
}

// A name of its own beside target's, that nobody can foresee.
std::string ScratchName(const std::string& name)
{
    unsigned long long random = 0;
    if (::getrandom(&random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) {
        random = static_cast<unsigned long long>(::getpid()) * 2654435761ULL ^
                 static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    }
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, ".%012llx", random & 0xFFFFFFFFFFFFULL);
    return "." + name + suffix;
}

bool LockForAppending(int fd)
{
    const auto deadline = std::chrono::steady_clock::now() + kLockWait;
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(kLockRetry);
    }
    return true;
}

}  // namespace

bool ReplacementFile::Fail(std::string problem)
{
    m_problem = std::move(problem);
    Discard();
    if (m_folder >= 0) {
        ::close(static_cast<int>(m_folder));
        m_folder = -1;
    }
    return false;
}

bool ReplacementFile::Create(const std::string& target, NewFileRules rules)
{
    Discard();
    if (m_folder >= 0) {
        ::close(static_cast<int>(m_folder));
        m_folder = -1;
    }
    m_problem.clear();
    std::string problem;
    posix::HoldingFolder folder(target, rules.makeMissingFolders, problem);
    if (!folder.IsOpen()) {
        return Fail(problem);
    }
    m_folder = ::dup(folder.Fd());
    m_target = folder.Name();
    struct stat st { };
    if (::fstatat(folder.Fd(), m_target.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        if (const std::string why = posix::OwnFileProblem(st); !why.empty()) {
            return Fail(why);
        }
        // The rename would replace it regardless of its mode.
        if ((st.st_mode & S_IWUSR) == 0) {
            return Fail("it is read-only");
        }
        m_targetExists = true;
        m_mode = st.st_mode & 07777;
    } else if (errno != ENOENT) {
        return Fail(std::strerror(errno));
    } else if (rules.inOwnFolderOnly && !folder.IsOwn()) {
        return Fail(NotOwnFolder(folder));
    } else {
        m_targetExists = false;
        m_mode = NewFileMode(rules);
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = ScratchName(m_target);
        const int fd = OpenAt(folder.Fd(), name, O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (fd >= 0) {
            m_handle = fd;
            m_path = name;
            return true;
        }
        if (errno != EEXIST) {
            return Fail(std::strerror(errno));
        }
    }
    return Fail(std::strerror(EEXIST));
}

bool ReplacementFile::ReadCurrent(std::string& text, std::size_t limit)
{
    text.clear();
    if (!m_targetExists) {
        return m_handle >= 0;
    }
    const int fd = OpenAt(static_cast<int>(m_folder), m_target, O_RDONLY | O_NONBLOCK);
    struct stat st { };
    if (fd < 0 || ::fstat(fd, &st) != 0 || !posix::OwnFileProblem(st).empty()) {
        if (fd >= 0) {
            ::close(fd);
        }
        return Fail("it changed while it was read");
    }
    const int error = posix::ReadToEnd(fd, text, limit);
    ::close(fd);
    return error == 0 || Fail(error == EFBIG ? "it is too large" : std::strerror(error));
}

bool ReplacementFile::Write(const void* buffer, std::size_t size)
{
    if (m_handle < 0) {
        return Fail("it was not created");
    }
    const int error = posix::WriteFully(static_cast<int>(m_handle), buffer, size);
    return error == 0 || Fail(std::strerror(error));
}

// Written out before the rename, so that a crash cannot leave an empty target.
bool ReplacementFile::Commit()
{
    const int fd = static_cast<int>(m_handle);
    const int folder = static_cast<int>(m_folder);
    if (fd < 0 || ::fchmod(fd, m_mode) != 0 || ::fsync(fd) != 0 ||
        ::renameat(folder, m_path.c_str(), folder, m_target.c_str()) != 0) {
        return Fail(fd < 0 ? "it was not created" : std::strerror(errno));
    }
    ::close(fd);
    m_handle = -1;
    m_path.clear();
    ::close(folder);
    m_folder = -1;
    return true;
}

void ReplacementFile::Discard() noexcept
{
    if (m_handle >= 0) {
        ::close(static_cast<int>(m_handle));
        ::unlinkat(static_cast<int>(m_folder), m_path.c_str(), 0);
    }
    m_handle = -1;
    m_path.clear();
}

bool AppendLine(const std::string& path, std::string_view line, NewFileRules rules, std::string& problem)
{
    posix::HoldingFolder folder(path, rules.makeMissingFolders, problem);
    if (!folder.IsOpen()) {
        return false;
    }
    // What is at the name is looked at before it is opened: opening a device
    // may already act on it. The open file is checked again below.
    struct stat st { };
    if (::fstatat(folder.Fd(), folder.Name().c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
        !(problem = posix::OwnFileProblem(st)).empty()) {
        return false;
    }
    // Non-blocking, so that a FIFO planted at the name cannot hold the
    // program; readable, to see whether the last line has its line end.
    int fd = OpenAt(folder.Fd(), folder.Name(), O_RDWR | O_APPEND | O_NONBLOCK);
    if (fd < 0 && errno == ENOENT) {
        if (rules.inOwnFolderOnly && !folder.IsOwn()) {
            problem = NotOwnFolder(folder);
            return false;
        }
        fd = OpenAt(folder.Fd(), folder.Name(), O_RDWR | O_APPEND | O_CREAT | O_EXCL, NewFileMode(rules));
    }
    if (fd < 0) {
        problem = OpenProblem(errno);
        return false;
    }
    if (::fstat(fd, &st) != 0) {
        problem = std::strerror(errno);
    } else if (problem = posix::OwnFileProblem(st); problem.empty() && !LockForAppending(fd)) {
        problem = "another program kept it locked";
    }
    if (!problem.empty()) {
        ::close(fd);
        return false;
    }
    // Under the lock, the size is where this line begins.
    ::fstat(fd, &st);
    std::string whole;
    char last = '\n';
    if (st.st_size > 0 && ::pread(fd, &last, 1, st.st_size - 1) == 1 && last != '\n') {
        whole = "\n";
    }
    whole.append(line);
    whole += '\n';
    if (const int error = posix::WriteFully(fd, whole.data(), whole.size()); error != 0) {
        problem = std::strerror(error);
        if (::ftruncate(fd, st.st_size) != 0) {
            problem += "; a part of the line may remain";
        }
    }
    ::close(fd);
    return problem.empty();
}

bool ReadPlainFile(const std::string& path, std::size_t limit, std::string& text, std::string& problem,
                   bool* othersFile)
{
    text.clear();
    problem.clear();
    // Whose the text is, is judged on what is read: the file reached from its
    // folder, and that folder one no one but the user or root can change, so
    // that no link or name another user set (one to /proc/self/environ, a
    // root's file with the user's text) counts as the user's own.
    std::string walkProblem;
    const posix::HoldingFolder folder(path, false, walkProblem);
    const int flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    int fd = -1;
    do {
        fd = folder.IsOpen() ? ::openat(folder.Fd(), folder.Name().c_str(), flags) : ::open(path.c_str(), flags);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        problem = std::strerror(errno);
        return false;
    }
    struct stat st { };
    int error = 0;
    if (::fstat(fd, &st) != 0) {
        problem = std::strerror(errno);
    } else if (!S_ISREG(st.st_mode)) {
        problem = "it is not a plain file";
    } else if ((error = posix::ReadToEnd(fd, text, limit)) != 0) {
        problem = error == EFBIG ? "it is too large" : std::strerror(error);
    } else if (othersFile != nullptr) {
        *othersFile = !folder.IsOwn() || !folder.IsSafe() || st.st_uid != ::geteuid();
    }
    ::close(fd);
    return problem.empty();
}

}  // namespace fwut::files
