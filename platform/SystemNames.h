// The computer's name and the name of the user the program runs as, for the
// update record; empty when the system does not tell.
#pragma once

#include <string>

namespace fwut::files {

std::string HostName();
std::string UserName();

}  // namespace fwut::files
