#include "platform/RecordFile.h"

#include <windows.h>

#include "platform/win32/Win32SerialApi.h"

namespace fwut::files {

bool AppendRecordLine(const std::string& path, const std::string& line, std::string& problem)
{
    // FILE_APPEND_DATA alone: every write goes to the end, even with another
    // program appending at the same time. A reparse point (a link) is opened
    // as itself, not followed, and refused.
    HANDLE file = ::CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        problem = SystemErrorText(::GetLastError());
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    bool done = false;
    if (!::GetFileInformationByHandle(file, &info) || ::GetFileType(file) != FILE_TYPE_DISK) {
        problem = "it is not a file on a disk";
    } else if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        problem = "it is a link";
    } else {
        DWORD written = 0;
        done = ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) &&
               written == line.size();
        if (!done) {
            problem = SystemErrorText(::GetLastError());
        }
    }
    ::CloseHandle(file);
    return done;
}

std::string HostName()
{
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof name;
    return ::GetComputerNameA(name, &size) ? std::string(name, size) : std::string();
}

std::string UserName()
{
    char name[257] = {};
    DWORD size = sizeof name;
    return ::GetUserNameA(name, &size) && size > 0 ? std::string(name, size - 1) : std::string();
}

}  // namespace fwut::files
