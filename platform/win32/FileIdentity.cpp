#include "platform/FileIdentity.h"

#include <windows.h>

namespace fwut::files {

std::optional<FileIdentity> IdentityOf(const std::string& path)
{
    // Opened for no access at all: another program's exclusive hold on the
    // file does not hide it.
    HANDLE file = ::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = ::GetFileInformationByHandle(file, &info) != 0;
    ::CloseHandle(file);
    if (!known) {
        return std::nullopt;
    }
    const auto join = [](DWORD high, DWORD low) { return (static_cast<std::uint64_t>(high) << 32) | low; };
    return FileIdentity{
        info.dwVolumeSerialNumber, join(info.nFileIndexHigh, info.nFileIndexLow),
        join(info.nFileSizeHigh, info.nFileSizeLow),
        static_cast<std::int64_t>(join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime))};
}

}  // namespace fwut::files
