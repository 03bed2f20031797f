// Text from outside the program (files, devices, settings, the module, other
// programs' names), made safe to print on a terminal: the one escaping path
// for every message that shows such text.
#pragma once

#include <string>
#include <string_view>

namespace fwut {

// Control characters (an escape sequence could clear the screen or write
// the clipboard), invisible characters that reorder, hide or break a line,
// and bytes that are not UTF-8 are shown as \xHH, byte by byte; a line end is kept
// only where keepLineEnds says so.
std::string Printable(std::string_view text, bool keepLineEnds = false);

}  // namespace fwut
