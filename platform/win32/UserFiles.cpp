// Writing a user's files on Windows: replacing one whole, appending a line
// whole or not at all, and reading one that may not be a plain file at all.
// The folders' access lists keep other users out; links and devices are
// refused here.
#include "platform/Files.h"

#include "platform/Win32Types.h"
#include "platform/win32/FileChecks.h"
#include "platform/win32/HandleIo.h"
#include "platform/win32/Win32SerialApi.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>

namespace fwut::files {
namespace {

using win32::AsHandle;
using win32::AsValue;

// Another copy appending to the same file holds it this long at most.
constexpr auto kLockWait = std::chrono::seconds(2);
constexpr auto kLockRetry = std::chrono::milliseconds(10);

// Appenders lock one byte far beyond any real file: the lock orders them and
// keeps the file itself open to readers.
OVERLAPPED AppendLockRange()
{
    OVERLAPPED range{};
    range.Offset = 0xFFFFFFFE;
    range.OffsetHigh = 0x7FFFFFFF;
    return range;
}

bool LockForAppending(HANDLE file)
{
    const auto deadline = std::chrono::steady_clock::now() + kLockWait;
    OVERLAPPED range = AppendLockRange();
    while (!::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &range)) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(kLockRetry);
        range = AppendLockRange();
    }
    return true;
}

bool MoveTo(HANDLE file, LONGLONG offset)
{
    LARGE_INTEGER distance{};
    distance.QuadPart = offset;
    return ::SetFilePointerEx(file, distance, nullptr, FILE_BEGIN) != FALSE;
}

// Reads an open disk file to its end, at most limit bytes.
std::string ReadOpenFile(HANDLE file, std::size_t limit, std::string& text)
{
    char buffer[8192];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
            return SystemErrorText(::GetLastError());
        }
        if (got == 0) {
            return {};
        }
        if (text.size() + got > limit) {
            return "it is too large";
        }
        text.append(buffer, got);
    }
}

}  // namespace

bool ReplacementFile::Fail(std::string problem)
{
    m_problem = std::move(problem);
    Discard();
    return false;
}

bool ReplacementFile::Create(const std::string& target, NewFileRules)
{
    Discard();
    m_problem.clear();
    if (const std::string problem = win32::ExistingTargetProblem(target); !problem.empty()) {
        return Fail(problem);
    }
    const DWORD attributes = ::GetFileAttributesA(target.c_str());
    m_targetExists = attributes != INVALID_FILE_ATTRIBUTES;
    if (m_targetExists && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return Fail("it is read-only");
    }
    // A name of this process's own beside the target; one left by a killed run is not reused.
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::string path =
            target + "." + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(attempt) + ".tmp";
        const HANDLE file =
            ::CreateFileA(path.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_FILE_EXISTS) {
                continue;
            }
            return Fail(SystemErrorText(error));
        }
        m_handle = AsValue(file);
        m_target = target;
        m_path = path;
        if (::GetFileType(file) != FILE_TYPE_DISK) {
            return Fail("it is a device, not a disk file");
        }
        return true;
    }
    return Fail(SystemErrorText(ERROR_FILE_EXISTS));
}

bool ReplacementFile::ReadCurrent(std::string& text, std::size_t limit)
{
    text.clear();
    if (!m_targetExists) {
        return m_handle >= 0;
    }
    std::string problem;
    return ReadPlainFile(m_target, limit, text, problem) || Fail(problem);
}

bool ReplacementFile::Write(const void* buffer, std::size_t size)
{
    if (m_handle < 0) {
        return Fail("it was not created");
    }
    const DWORD error = win32::WriteFully(AsHandle(m_handle), buffer, size);
    return error == ERROR_SUCCESS || Fail(SystemErrorText(error));
}

// Written out before the rename, so that a crash cannot leave an empty target.
bool ReplacementFile::Commit()
{
    if (m_handle < 0 || !::FlushFileBuffers(AsHandle(m_handle))) {
        return Fail(m_handle < 0 ? "it was not created" : SystemErrorText(::GetLastError()));
    }
    ::CloseHandle(AsHandle(m_handle));
    m_handle = -1;
    if (!::MoveFileExA(m_path.c_str(), m_target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = ::GetLastError();
        ::DeleteFileA(m_path.c_str());
        m_path.clear();
        return Fail(SystemErrorText(error));
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

bool AppendLine(const std::string& path, std::string_view line, NewFileRules, std::string& problem)
{
    problem.clear();
    if (path.starts_with("\\\\.\\") || win32::IsReservedDeviceName(path)) {
        problem = "it is a device, not a disk file";
        return false;
    }
    // A reparse point (a link) is opened as itself, not followed, and refused.
    const HANDLE file =
        ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        problem = SystemErrorText(::GetLastError());
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    LARGE_INTEGER size{};
    if (!::GetFileInformationByHandle(file, &info) || ::GetFileType(file) != FILE_TYPE_DISK) {
        problem = "it is not a file on a disk";
    } else if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        problem = "it is a link, which is not written through";
    } else if (!LockForAppending(file)) {
        problem = "another program kept it locked";
    } else if (!::GetFileSizeEx(file, &size)) {
        problem = SystemErrorText(::GetLastError());
    }
    if (!problem.empty()) {
        ::CloseHandle(file);
        return false;
    }
    std::string whole;
    char last = '\n';
    DWORD got = 0;
    if (size.QuadPart > 0 && MoveTo(file, size.QuadPart - 1) && ::ReadFile(file, &last, 1, &got, nullptr) && got == 1 &&
        last != '\n') {
        whole = "\n";
    }
    // A record is read alike on every system: its lines end in "\n" alone.
    whole.append(line);
    whole += '\n';
    const DWORD error =
        MoveTo(file, size.QuadPart) ? win32::WriteFully(file, whole.data(), whole.size()) : ::GetLastError();
    if (error != ERROR_SUCCESS) {
        problem = SystemErrorText(error);
        if (!MoveTo(file, size.QuadPart) || !::SetEndOfFile(file)) {
            problem += "; a part of the line may remain";
        }
    }
    OVERLAPPED range = AppendLockRange();
    ::UnlockFileEx(file, 0, 1, 0, &range);
    ::CloseHandle(file);
    return problem.empty();
}

bool ReadPlainFile(const std::string& path, std::size_t limit, std::string& text, std::string& problem,
                   bool* othersFile)
{
    text.clear();
    problem.clear();
    if (othersFile != nullptr) {
        *othersFile = false;
    }
    if (path.starts_with("\\\\.\\") || win32::IsReservedDeviceName(path)) {
        problem = "it is a device, not a disk file";
        return false;
    }
    const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        problem = SystemErrorText(::GetLastError());
        return false;
    }
    if (::GetFileType(file) != FILE_TYPE_DISK) {
        problem = "it is not a plain file";
    } else {
        problem = ReadOpenFile(file, limit, text);
    }
    ::CloseHandle(file);
    return problem.empty();
}

}  // namespace fwut::files
