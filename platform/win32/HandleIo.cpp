#include "platform/win32/HandleIo.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "platform/win32/WideText.h"

namespace fwut::win32 {

DWORD WriteFully(HANDLE handle, const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const char*>(data);
    for (std::size_t done = 0; done < size;) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 30));
        DWORD put = 0;
        if (!::WriteFile(handle, bytes + done, chunk, &put, nullptr)) {
            return ::GetLastError();
        }
        if (put == 0) {
            return ERROR_WRITE_FAULT;
        }
        done += put;
    }
    return ERROR_SUCCESS;
}

DWORD WriteTextFully(HANDLE handle, const char* text, std::size_t size)
{
    DWORD mode = 0;
    if (size == 0 || !::GetConsoleMode(handle, &mode) || size > (1u << 30)) {
        return WriteFully(handle, text, size);
    }
    const std::wstring wide = text::SystemToWide(std::string_view(text, size));
    const auto length = static_cast<DWORD>(wide.size());
    if (length == 0) {
        return WriteFully(handle, text, size);
    }
    for (DWORD done = 0; done < length;) {
        DWORD put = 0;
        if (!::WriteConsoleW(handle, wide.data() + done, length - done, &put, nullptr)) {
            return ::GetLastError();
        }
        if (put == 0) {
            return ERROR_WRITE_FAULT;
        }
        done += put;
    }
    return ERROR_SUCCESS;
}

}  // namespace fwut::win32
