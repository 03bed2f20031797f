// What --version prints: the program's version, as its About dialog shows
// it, and the build's git description.
#pragma once

#include <string>
#include <string_view>

namespace fwut {

std::string VersionText(std::string_view programName);

}  // namespace fwut
