// What to tell a user whose port would not open: the system's reason and the
// usual remedy, since a bare "cannot open" helps nobody.
#pragma once

#include <string>

#include "platform/Win32Types.h"

namespace fwut::cli {

std::string PortOpenAdvice(DWORD error, const std::string& systemText, const std::string& devicePath);

}  // namespace fwut::cli
