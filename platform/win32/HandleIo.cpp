#include "platform/win32/HandleIo.h"

#include <algorithm>

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

}  // namespace fwut::win32
