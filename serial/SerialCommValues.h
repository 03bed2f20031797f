// The values of the installed-port key as the program reads them: the
// capacities of a value's name and data, and the port a value's data names.
#pragma once

#include "platform/Win32Types.h"

namespace fwut {

inline constexpr DWORD kValueNameCapacity = 501;
inline constexpr DWORD kValueDataCapacity = 51;

// The port that a value's data of at most length bytes names ("COM7", "COM"
// in any case), whether or not it carries its own terminator; -1 when none.
int PortNumberOfValueData(const BYTE* data, DWORD length);

}  // namespace fwut
