// The system's ANSI texts and the wide (UTF-16) texts of the W calls
// (consoles, accessibility, the kernel's object names), converted in one place.
#pragma once

#include <string>
#include <string_view>

namespace fwut::text {

std::wstring SystemToWide(std::string_view text);
// A character the ANSI code page cannot hold becomes '?', never a look-alike.
std::string WideToSystem(std::wstring_view text);

}  // namespace fwut::text
