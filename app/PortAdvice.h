// What to tell a user whose port would not open: the system's reason and the
// usual remedy, since a bare "cannot open" helps nobody. The command-line
// tool prints it in full; the Linux window adds it to its message box as one line.
#pragma once

#include <string>

#include "platform/Win32Types.h"

namespace fwut {

// "The system says: <reason>" and the remedy, over several lines.
std::string PortOpenAdvice(DWORD error, const std::string& systemText, const std::string& devicePath);

// The same as one line: "<reason>: <remedy>".
std::string PortOpenAdviceLine(DWORD error, const std::string& systemText, const std::string& devicePath);

}  // namespace fwut
