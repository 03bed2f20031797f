// Files on Windows. Exclusive access is share mode 0; text files are read
// through the C runtime's stream on the opened handle, with the line rules of
// the Windows C runtime's text mode applied here.
#include "platform/Files.h"

#include "platform/Win32Types.h"
#include "platform/win32/FileChecks.h"
#include "platform/win32/HandleIo.h"
#include "platform/win32/Win32SerialApi.h"

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace fwut::files {
namespace {

using win32::AsHandle;
using win32::AsValue;

constexpr DWORD kPathCapacity = MAX_PATH;

// A link or junction at the path would be followed by CreateFileA; such a
// path is refused rather than written through.
bool IsReparsePoint(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// DELETE access lets the holder remove the file while it still holds it.
HANDLE OpenForReadWrite(const std::string& path, DWORD disposition)
{
    return ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, disposition,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Volume and file index: what names one file whatever path reaches it.
bool FileIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info)
{
    // No access asked, so a file that another program holds exclusively can still be looked at.
    const HANDLE file = ::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool known = ::GetFileInformationByHandle(file, &info) != FALSE;
    ::CloseHandle(file);
    return known;
}

}  // namespace

bool TextFile::Open(const std::string& path, Access access)
{
    Close();
    // A shared open still fails while someone holds the file with share mode 0.
    const DWORD share = access == Access::Exclusive ? 0 : FILE_SHARE_READ | FILE_SHARE_WRITE;
    const HANDLE file =
        ::CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    if (::GetFileType(file) != FILE_TYPE_DISK) {
        ::CloseHandle(file);
        return false;
    }
    // From here the stream owns the handle and closes it.
    const int fd = ::_open_osfhandle(reinterpret_cast<std::intptr_t>(file), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        ::CloseHandle(file);
        return false;
    }
    std::FILE* stream = ::_fdopen(fd, "rb");
    if (stream == nullptr) {
        ::_close(fd);
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
    if (IsReparsePoint(path))
        return false;
    m_fd = AsValue(OpenForReadWrite(path, CREATE_ALWAYS));
    if (m_fd >= 0)
        m_path = path;
    return m_fd >= 0;
}

bool BinaryFile::Seek(std::uint64_t offset)
{
    LARGE_INTEGER distance{};
    distance.QuadPart = static_cast<LONGLONG>(offset);
    return m_fd >= 0 && distance.QuadPart >= 0 &&
           ::SetFilePointerEx(AsHandle(m_fd), distance, nullptr, FILE_BEGIN) != FALSE;
}

std::size_t BinaryFile::Read(void* buffer, std::size_t size)
{
    auto* bytes = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (m_fd >= 0 && done < size) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 30));
        DWORD got = 0;
        if (!::ReadFile(AsHandle(m_fd), bytes + done, chunk, &got, nullptr) || got == 0)
            break;
        done += got;
    }
    return done;
}

std::size_t BinaryFile::Write(const void* buffer, std::size_t size)
{
    return m_fd >= 0 && win32::WriteFully(AsHandle(m_fd), buffer, size) == ERROR_SUCCESS ? size : 0;
}

std::optional<std::uint64_t> BinaryFile::Length()
{
    LARGE_INTEGER size{};
    if (m_fd < 0 || !::GetFileSizeEx(AsHandle(m_fd), &size))
        return std::nullopt;
    return static_cast<std::uint64_t>(size.QuadPart);
}

void BinaryFile::Close()
{
    if (m_fd >= 0)
        ::CloseHandle(AsHandle(m_fd));
    m_fd = -1;
    m_path.clear();
}

// The held handle is marked for deletion, so the name can only go with the
// very file this object holds; no other program can have opened it meanwhile
// (share mode 0).
void BinaryFile::DeleteAndClose() noexcept
{
    if (m_fd >= 0) {
        FILE_DISPOSITION_INFO disposition{};
        disposition.DeleteFile = TRUE;
        ::SetFileInformationByHandle(AsHandle(m_fd), FileDispositionInfo, &disposition, sizeof disposition);
    }
    Close();
}

bool SameFile(const std::string& first, const std::string& second)
{
    BY_HANDLE_FILE_INFORMATION a{};
    BY_HANDLE_FILE_INFORMATION b{};
    return FileIdentity(first, a) && FileIdentity(second, b) && a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

std::optional<std::tm> ModificationTimeLocal(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    FILETIME local{};
    SYSTEMTIME time{};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        !::FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) || !::FileTimeToSystemTime(&local, &time))
        return std::nullopt;
    std::tm result{};
    result.tm_year = time.wYear - 1900;
    result.tm_mon = time.wMonth - 1;
    result.tm_mday = time.wDay;
    result.tm_hour = time.wHour;
    result.tm_min = time.wMinute;
    result.tm_sec = time.wSecond;
    result.tm_wday = time.wDayOfWeek;
    result.tm_isdst = -1;
    return result;
}

// The long form of the user's temporary folder; "C:\" when there is none.
std::string TemporaryFolder()
{
    char shortForm[kPathCapacity] = {};
    char longForm[kPathCapacity] = {};
    ::GetTempPathA(kPathCapacity, shortForm);
    const DWORD length = ::GetLongPathNameA(shortForm, longForm, kPathCapacity);
    return length != 0 && length < kPathCapacity ? std::string(longForm, length) : std::string("C:\\");
}

// The program file's own path rather than the command line's first word,
// which a caller may set to anything. The desktop program applies the
// command-line rule itself (CFWUT_UpdateApp::InitFromCommandLine).
std::string ProgramFolder()
{
    char path[kPathCapacity] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, kPathCapacity);
    if (length == 0 || length >= kPathCapacity)
        return {};
    const std::string text(path, length);
    const auto backslash = text.rfind('\\');
    return backslash == std::string::npos ? std::string{} : text.substr(0, backslash + 1);
}

}  // namespace fwut::files
