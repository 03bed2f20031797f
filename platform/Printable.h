// Text from files, devices and the module, made safe to print on a terminal.
#pragma once

#include <string>
#include <string_view>

namespace fwut {

// Control characters (an escape sequence could clear the screen or write
// the clipboard) and bytes that are not UTF-8 are shown as \xHH; a line end
// is kept only where keepLineEnds says so.
std::string Printable(std::string_view text, bool keepLineEnds = false);

}  // namespace fwut
