#include "platform/win32/FileChecks.h"

#include "platform/win32/Win32SerialApi.h"

namespace fwut::win32 {

HANDLE AsHandle(std::intptr_t value)
{
    return reinterpret_cast<HANDLE>(value);
}

std::intptr_t AsValue(HANDLE handle)
{
    return handle == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<std::intptr_t>(handle);
}

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

std::string ExistingTargetProblem(const std::string& path)
{
    if (path.starts_with("\\\\.\\") || IsReservedDeviceName(path))
        return "it is a device, not a disk file";
    const HANDLE file =
        ::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? std::string() : SystemErrorText(error);
    }
    BY_HANDLE_FILE_INFORMATION info{};
    std::string problem;
    if (::GetFileType(file) != FILE_TYPE_DISK)
        problem = "it is a device, not a disk file";
    else if (!::GetFileInformationByHandle(file, &info))
        problem = SystemErrorText(::GetLastError());
    else if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        problem = "it is a link, which is not written through";
    else if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        problem = "it is not a plain file";
    ::CloseHandle(file);
    return problem;
}

}  // namespace fwut::win32
