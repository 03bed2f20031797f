// The settings file's text: "[Section]" lines and "key=value" lines, as the
// user may also edit them by hand. Reading never fails on odd lines (each
// line stands alone), and writing one value changes that one line only, so
// comments, other sections and the user's port map stay as written.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace fwut::ini {

// The values of a section, in file order. Section and key names match
// without regard to case, as in the Windows registry; a value ends before a
// comment (a blank, then ';' or '#') and is trimmed of blanks and of one pair
// of enclosing double quotes.
std::vector<std::pair<std::string, std::string>> SectionValues(std::string_view text, std::string_view section);

std::optional<std::string> Value(std::string_view text, std::string_view section, std::string_view key);

// The text with key set to value: the key's line is replaced where it is,
// keeping its comment,
// else the line is added at the end of the section, else the section is
// added at the end of the text. Every other byte stays.
std::string WithValue(std::string_view text, std::string_view section, std::string_view key, std::string_view value);

}  // namespace fwut::ini
