// What to tell a user whose port would not open: the system's reason and the
// usual remedy, since a bare "cannot open" helps nobody. The command-line
// tool prints it in full; the windows add it to their message box as one line.
#pragma once

#include <string>

#include "platform/SerialApi.h"
#include "platform/SerialCommKey.h"
#include "platform/Win32Types.h"

namespace fwut {

// "The system says: <reason>" and the remedy, over several lines.
std::string PortOpenAdvice(DWORD error, const std::string& systemText, const std::string& devicePath);

// The same as one line: "<reason>: <remedy>".
std::string PortOpenAdviceLine(DWORD error, const std::string& systemText, const std::string& devicePath);

// The line a window adds under its "Unable to open serial port COM<n>" box,
// from the serial line's last error, made printable; "" under any other box.
std::string PortOpenBoxNote(const std::string& boxText, SerialApi& serial, SerialCommKey& ports);

}  // namespace fwut
