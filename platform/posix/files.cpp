// Files on POSIX systems: reading, the scratch image, and the folders the
// program works in. Exclusive access is an flock() lock: it keeps out
// every other opener of this program, which is what the Windows share mode
// achieves for the update.
#include "platform/Files.h"
#include "platform/posix/FdIo.h"
#include "platform/posix/HoldingFolder.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fwut::files {
namespace {

bool Lock(int fd, int operation)
{
    int rc;
    do {
        rc = ::flock(fd, operation | LOCK_NB);
    } while (rc < 0 && errno == EINTR);
    return rc == 0;
}

bool IsRegularFile(int fd)
{
    struct stat st { };
    return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

bool IsOwnPlainFile(int fd)
{
    struct stat st { };
    return ::fstat(fd, &st) == 0 && posix::OwnFileProblem(st).empty();
}

std::string WithTrailingSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

// A folder that exists, is not a link, and only the user can enter.
bool IsPrivateFolder(const std::string& folder)
{
    struct stat st { };
    return ::lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

// The first private folder of the user's in folder whose name begins with prefix.
std::string OwnPrivateFolderIn(const std::string& folder, std::string_view prefix)
{
    DIR* listing = ::opendir(folder.c_str());
    if (listing == nullptr)
        return {};
    std::string found;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string path = folder + entry->d_name;
        if (std::string_view(entry->d_name).starts_with(prefix) && IsPrivateFolder(path)) {
            found = path;
            break;
        }
    }
    ::closedir(listing);
    return found;
}

}  // namespace

bool TextFile::Open(const std::string& path, Access access)
{
    Close();
    // O_NONBLOCK keeps a FIFO planted at the path from hanging the open; it is
    // refused just below together with folders, which Windows cannot open as files.
    const int fd = posix::OpenRetrying(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return false;
    // A shared open still fails while someone holds the file exclusively, as on Windows.
    const bool locked = Lock(fd, access == Access::Exclusive ? LOCK_EX : LOCK_SH);
    std::FILE* stream = (locked && IsRegularFile(fd)) ? ::fdopen(fd, "rb") : nullptr;
    if (stream == nullptr) {
        ::close(fd);
        return false;
    }
    m_handle = stream;
    m_pushedBack = -1;
    m_atEnd = false;
    return true;
}

BinaryFile::~BinaryFile()
{
    Close();
}

bool BinaryFile::CreateExclusive(const std::string& path)
{
    Close();
    std::string problem;
    posix::HoldingFolder folder(path, false, problem);
    if (!folder.IsSafe())
        return false;
    int fd;
    do {
        fd = ::openat(folder.Fd(), folder.Name().c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0600);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return false;
    // Only a file we may safely own is emptied; anything else stays untouched.
    if (!IsOwnPlainFile(fd) || !Lock(fd, LOCK_EX) || ::ftruncate(fd, 0) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_folder = ::dup(folder.Fd());
    m_path = folder.Name();
    return true;
}

bool BinaryFile::Seek(std::uint64_t offset)
{
    if (m_fd < 0 || offset > static_cast<std::uint64_t>(LLONG_MAX))
        return false;
    return ::lseek(static_cast<int>(m_fd), static_cast<off_t>(offset), SEEK_SET) >= 0;
}

std::size_t BinaryFile::Read(void* buffer, std::size_t size)
{
    auto* bytes = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (m_fd >= 0 && done < size) {
        const ssize_t n = ::read(static_cast<int>(m_fd), bytes + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

std::size_t BinaryFile::Write(const void* buffer, std::size_t size)
{
    return m_fd >= 0 && posix::WriteFully(static_cast<int>(m_fd), buffer, size) == 0 ? size : 0;
}

std::optional<std::uint64_t> BinaryFile::Length()
{
    struct stat st { };
    if (m_fd < 0 || ::fstat(static_cast<int>(m_fd), &st) != 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(st.st_size);
}

void BinaryFile::Close()
{
    // Closing the descriptor also releases its lock.
    if (m_fd >= 0)
        ::close(static_cast<int>(m_fd));
    if (m_folder >= 0)
        ::close(static_cast<int>(m_folder));
    m_fd = -1;
    m_folder = -1;
    m_path.clear();
}

void BinaryFile::DeleteAndClose() noexcept
{
    struct stat held { };
    struct stat named { };
    // Unlinked while the lock is still held, so no other run can have taken the file.
    if (m_fd >= 0 && m_folder >= 0 && ::fstat(static_cast<int>(m_fd), &held) == 0 &&
        ::fstatat(static_cast<int>(m_folder), m_path.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        held.st_dev == named.st_dev && held.st_ino == named.st_ino)
        ::unlinkat(static_cast<int>(m_folder), m_path.c_str(), 0);
    Close();
}

bool SameFile(const std::string& first, const std::string& second)
{
    struct stat a { };
    struct stat b { };
    return ::stat(first.c_str(), &a) == 0 && ::stat(second.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

std::optional<std::tm> ModificationTimeLocal(const std::string& path)
{
    struct stat st { };
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    std::tm local{};
    const std::time_t seconds = st.st_mtime;
    if (::localtime_r(&seconds, &local) == nullptr)
        return std::nullopt;
    return local;
}

// Never /tmp itself: there any local user could plant a "Hex.tmp" that
// blocks everyone's updates. The fallback folder is made private here and
// checked again at every file created in it (CreateExclusive).
std::string TemporaryFolder()
{
    const char* tmpdir = std::getenv("TMPDIR");
    if (tmpdir != nullptr && *tmpdir != '\0')
        return WithTrailingSlash(tmpdir);
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime == '/' && IsPrivateFolder(runtime))
        return WithTrailingSlash(runtime);
    const std::string name = "fwut-" + std::to_string(::geteuid());
    const std::string own = "/tmp/" + name;
    ::mkdir(own.c_str(), 0700);
    if (IsPrivateFolder(own))
        return own + '/';
    // Someone else holds the usual name: a private folder of a name nobody can
    // foresee, which later runs reuse rather than make one each.
    if (const std::string found = OwnPrivateFolderIn("/tmp/", name + '-'); !found.empty())
        return found + '/';
    std::string fresh = own + "-XXXXXX";
    return ::mkdtemp(fresh.data()) != nullptr ? fresh + '/' : own + '/';
}

// /proc/self/exe rather than argv[0], which may be a bare name found through PATH.
std::string ProgramFolder()
{
    std::string target(PATH_MAX, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", target.data(), target.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= target.size())
        return {};
    target.resize(static_cast<std::size_t>(n));
    const auto slash = target.rfind('/');
    return slash == std::string::npos ? std::string{} : target.substr(0, slash + 1);
}

}  // namespace fwut::files
