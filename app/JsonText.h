// The one way a JSON line is written: the --json output, the update record
// and history all use it. Texts from files, devices and other programs may
// hold any byte; here they are escaped, bytes that are not UTF-8 replaced
// (U+FFFD), and everything beyond ASCII written as a \u escape, so that a
// line is valid UTF-8, holds no control character and shows alike on every
// terminal.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

namespace fwut {

// The value as one line of text, without a line end. Its texts are the
// system's (on Windows in the ANSI code page) and are written as UTF-8.
std::string JsonLineText(const nlohmann::json& value);

// The same for a value whose texts are UTF-8 already (one read from JSON).
std::string JsonLineTextOfUtf8(const nlohmann::json& value);

}  // namespace fwut
