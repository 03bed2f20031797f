// What the Windows file code checks before it writes: the handle forms the
// portable file classes keep, device names, and what stands at a path.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Win32Types.h"

namespace fwut::win32 {

HANDLE AsHandle(std::intptr_t value);
// -1 for INVALID_HANDLE_VALUE.
std::intptr_t AsValue(HANDLE handle);

// CON, PRN, AUX, NUL, COM0 to COM9 and LPT0 to LPT9 name devices in every
// folder, with any extension ("COM9.img") and trailing blanks or colon.
bool IsReservedDeviceName(const std::string& path);

// What stands at an existing path: empty for a plain disk file or nothing.
std::string ExistingTargetProblem(const std::string& path);

}  // namespace fwut::win32
