// The one place where a Windows handle is written in full: short writes go
// on, so no caller ever takes part of a write for all of it.
#pragma once

#include <cstddef>

#include "platform/Win32Types.h"

namespace fwut::win32 {

// ERROR_SUCCESS, or the system's error of the write that failed
// (ERROR_WRITE_FAULT when the handle took nothing).
DWORD WriteFully(HANDLE handle, const void* data, std::size_t size);

}  // namespace fwut::win32
