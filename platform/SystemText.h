// Texts as the system hands them over: UTF-8 on Linux; on Windows in the
// system's ANSI code page (file contents, names, error texts, arguments).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace fwut::text {

// The system's text as UTF-8, for JSON: converted from the ANSI code page on
// Windows, as it is elsewhere (bytes that are not UTF-8 are the JSON
// writer's to replace).
std::string SystemToUtf8(std::string_view text);

// UTF-8 in the system's own encoding: on Windows in the ANSI code page (a
// character it cannot hold becomes '?'), as it is elsewhere.
std::string Utf8ToSystem(std::string_view utf8);

// The position of the first argument after the program's name that the
// system could not hand over whole: on Windows a character the ANSI code
// page cannot hold arrives as '?', and a path holding it names another file.
std::optional<int> ArgumentTheCodePageCannotHold();

}  // namespace fwut::text
