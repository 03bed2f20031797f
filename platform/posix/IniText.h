// The settings file's text: "[Section]" lines and "key=value" lines, as the
// user may also edit them by hand. Reading never fails on odd lines (each
// line stands alone), and writing one value changes that one line only, so
// comments, other sections and the user's port map stay as written.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fwut::ini {

// One "key=value" line. A value in double quotes is taken whole up to its
// closing quote, comment marks included, and a comment may follow it. An
// unquoted value ends before a comment (a blank, then ';' or '#'), which
// leaves a path with such a blank in it cut short: cutAtComment says so, and
// path readers refuse the entry rather than take another file or device.
struct Entry {
    std::string key;
    std::string value;
    std::string problem;  // why the value cannot be read at all (an open quote, text after the closing one)
    bool cutAtComment = false;
};

// The entries of a section, in file order. Section and key names match
// without regard to case, as in the Windows registry.
std::vector<Entry> SectionEntries(std::string_view text, std::string_view section);

// The last entry of key in section.
std::optional<Entry> Find(std::string_view text, std::string_view section, std::string_view key);

// The value of key, for a value that may be followed by a comment (a
// number); nothing when missing or unreadable.
std::optional<std::string> Value(std::string_view text, std::string_view section, std::string_view key);

// Why an entry's value cannot be taken as a path: empty when it can.
std::string PathProblem(const Entry& entry);

// The text with key set to value: the key's line is replaced where it is,
// keeping its comment, else the line is added at the end of the section,
// else the section is added at the end of the text. Every other byte stays.
std::string WithValue(std::string_view text, std::string_view section, std::string_view key, std::string_view value);

}  // namespace fwut::ini
