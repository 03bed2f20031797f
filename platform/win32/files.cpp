// Files on Windows. Exclusive access is share mode 0; text files are read
// through the C runtime's stream on the opened handle, with the line rules of
// the Windows C runtime's text mode applied here.
#include "platform/Files.h"

#include "platform/Win32Types.h"

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace fwut::files {
namespace {

constexpr DWORD kPathCapacity = MAX_PATH;

HANDLE AsHandle(std::intptr_t value)
{
    return reinterpret_cast<HANDLE>(value);
}

std::intptr_t AsValue(HANDLE handle)
{
    return handle == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<std::intptr_t>(handle);
}

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

// The system's words for an error, without the line end and the full stop.
std::string SystemReason(DWORD error)
{
    char text[512] = {};
    DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                                    sizeof text, nullptr);
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' || text[length - 1] == '.'))
        --length;
    return length > 0 ? std::string(text, length) : "error " + std::to_string(error);
}

// CON, PRN, AUX, NUL, COM0 to COM9 and LPT0 to LPT9 name devices in every
// folder, with any extension ("COM9.img") and trailing blanks or colon.
bool IsReservedDeviceName(const std::string& path)
{
    const auto slash = path.find_last_of("\\/:");
    std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
    name = name.substr(0, name.find('.'));
    while (!name.empty() && (name.back() == ' ' || name.back() == ':'))
        name.pop_back();
    for (char& c : name)
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    if (name == "CON" || name == "PRN" || name == "AUX" || name == "NUL" || name == "CONIN$" || name == "CONOUT$")
        return true;
    return name.size() == 4 && (name.starts_with("COM") || name.starts_with("LPT")) && name[3] >= '0' && name[3] <= '9';
}

// What stands at an existing path: empty for a plain disk file or nothing.
std::string ExistingTargetProblem(const std::string& path)
{
    if (path.starts_with("\\\\.\\") || IsReservedDeviceName(path))
        return "it is a device, not a disk file";
    const HANDLE file =
        ::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? std::string() : SystemReason(error);
    }
    BY_HANDLE_FILE_INFORMATION info{};
    std::string problem;
    if (::GetFileType(file) != FILE_TYPE_DISK)
        problem = "it is a device, not a disk file";
    else if (!::GetFileInformationByHandle(file, &info))
        problem = SystemReason(::GetLastError());
    else if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        problem = "it is a link, which is not written through";
    else if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        problem = "it is not a plain file";
    ::CloseHandle(file);
    return problem;
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
    const auto* bytes = static_cast<const char*>(buffer);
    std::size_t done = 0;
    while (m_fd >= 0 && done < size) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 30));
        DWORD put = 0;
        if (!::WriteFile(AsHandle(m_fd), bytes + done, chunk, &put, nullptr) || put == 0)
            break;
        done += put;
    }
    return done;
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

bool ReplacementFile::Fail(std::string problem)
{
    m_problem = std::move(problem);
    Discard();
    return false;
}

bool ReplacementFile::Create(const std::string& target)
{
    Discard();
    m_problem.clear();
    if (const std::string problem = ExistingTargetProblem(target); !problem.empty())
        return Fail(problem);
    // A name of this process's own beside the target; one left by a killed run is not reused.
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::string path =
            target + "." + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(attempt) + ".tmp";
        const HANDLE file =
            ::CreateFileA(path.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_FILE_EXISTS)
                continue;
            return Fail(SystemReason(error));
        }
        m_handle = AsValue(file);
        m_target = target;
        m_path = path;
        if (::GetFileType(file) != FILE_TYPE_DISK)
            return Fail("it is a device, not a disk file");
        return true;
    }
    return Fail(SystemReason(ERROR_FILE_EXISTS));
}

bool ReplacementFile::Write(const void* buffer, std::size_t size)
{
    const auto* bytes = static_cast<const char*>(buffer);
    for (std::size_t done = 0; done < size;) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 30));
        DWORD put = 0;
        if (m_handle < 0 || !::WriteFile(AsHandle(m_handle), bytes + done, chunk, &put, nullptr) || put == 0)
            return Fail(SystemReason(::GetLastError()));
        done += put;
    }
    return true;
}

// Written out before the rename, so that a crash cannot leave an empty target.
bool ReplacementFile::Commit()
{
    if (m_handle < 0 || !::FlushFileBuffers(AsHandle(m_handle)))
        return Fail(SystemReason(::GetLastError()));
    ::CloseHandle(AsHandle(m_handle));
    m_handle = -1;
    if (!::MoveFileExA(m_path.c_str(), m_target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = ::GetLastError();
        ::DeleteFileA(m_path.c_str());
        m_path.clear();
        return Fail(SystemReason(error));
    }
    m_path.clear();
    return true;
}

// The held handle is marked for deletion, so only this very file can go.
void ReplacementFile::Discard() noexcept
{
    if (m_handle >= 0) {
        FILE_DISPOSITION_INFO disposition{};
        disposition.DeleteFile = TRUE;
        ::SetFileInformationByHandle(AsHandle(m_handle), FileDispositionInfo, &disposition, sizeof disposition);
        ::CloseHandle(AsHandle(m_handle));
    }
    m_handle = -1;
    m_path.clear();
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
