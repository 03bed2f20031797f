// The one place where a Windows handle is written in full: short writes go
// on, so no caller ever takes part of a write for all of it.
#pragma once

#include <cstddef>

#include "platform/Win32Types.h"

namespace fwut::win32 {

// ERROR_SUCCESS, or the system's error of the write that failed
// (ERROR_WRITE_FAULT when the handle took nothing).
DWORD WriteFully(HANDLE handle, const void* data, std::size_t size);

// The same for text in the ANSI code page to a handle that may be a console:
// a console shows its own code page (often the OEM one), so it is given the
// text as UTF-16 and shows it as the system does; any other handle gets the bytes.
DWORD WriteTextFully(HANDLE handle, const char* text, std::size_t size);

}  // namespace fwut::win32
