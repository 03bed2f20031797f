// Included before every source file of the Windows build (see
// platform/CMakeLists.txt), so that <windows.h> and its renaming macros
// (GetProfileInt to GetProfileIntA, ...) are seen the same way by every
// interface header and every backend, whatever each file includes first.
#pragma once

#include "platform/Win32Types.h"
