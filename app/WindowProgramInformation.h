// The window program's --version and --help: each prints its text and ends
// the program before any window is made, so that packaging tools, scripts
// and people at a terminal can ask without a display.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace fwut {

// The text for the first --version or --help (also -h and /?) among the
// arguments after the program name; nullopt when there is none, and the
// window starts as usual.
std::optional<std::string> WindowProgramInformation(const std::vector<std::string>& arguments);

}  // namespace fwut
