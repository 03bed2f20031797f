#include "platform/posix/IniText.h"

namespace fwut::ini {
namespace {

constexpr std::string_view kBlanks = " \t\r";

std::string_view Trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool EqualIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

// One line of the text, without its "\n".
struct Line {
    std::size_t begin;
    std::size_t end;  // the "\n" or the end of the text
    std::string_view text;
};

std::vector<Line> Lines(std::string_view text)
{
    std::vector<Line> lines;
    for (std::size_t begin = 0; begin < text.size();) {
        const std::size_t newline = text.find('\n', begin);
        const std::size_t end = newline == std::string_view::npos ? text.size() : newline;
        lines.push_back(Line{begin, end, text.substr(begin, end - begin)});
        begin = end + 1;
    }
    return lines;
}

// The section a "[name]" line opens, or nullopt for any other line.
std::optional<std::string_view> SectionName(std::string_view line)
{
    const std::string_view trimmed = Trimmed(line);
    if (trimmed.size() < 2 || trimmed.front() != '[' || trimmed.back() != ']') {
        return std::nullopt;
    }
    return Trimmed(trimmed.substr(1, trimmed.size() - 2));
}

// Where a comment after a value begins ("ComPort=5 ; the bench adapter"),
// the blanks before its ';' or '#' included; the line's size when it has
// none. Without a blank before it the mark is part of the value, as in a
// device path.
std::size_t CommentStart(std::string_view line)
{
    for (std::size_t i = 1; i < line.size(); ++i) {
        if ((line[i] == ';' || line[i] == '#') && (line[i - 1] == ' ' || line[i - 1] == '\t')) {
            const auto blanks = line.find_last_not_of(" \t", i - 1);
            return blanks == std::string_view::npos ? 0 : blanks + 1;
        }
    }
    return line.size();
}

// The key and value of a "key=value" line; comment lines (';', '#') have none.
std::optional<std::pair<std::string_view, std::string_view>> KeyValue(std::string_view line)
{
    const std::string_view trimmed = Trimmed(line.substr(0, CommentStart(line)));
    const auto equals = trimmed.find('=');
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#' || equals == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view value = Trimmed(trimmed.substr(equals + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        value = value.substr(1, value.size() - 2);
    }
    return std::make_pair(Trimmed(trimmed.substr(0, equals)), value);
}

}  // namespace

std::vector<std::pair<std::string, std::string>> SectionValues(std::string_view text, std::string_view section)
{
    std::vector<std::pair<std::string, std::string>> values;
    bool inSection = false;
    for (const Line& line : Lines(text)) {
        if (const auto name = SectionName(line.text)) {
            inSection = EqualIgnoringCase(*name, section);
        } else if (const auto entry = KeyValue(line.text); inSection && entry) {
            values.emplace_back(entry->first, entry->second);
        }
    }
    return values;
}

std::optional<std::string> Value(std::string_view text, std::string_view section, std::string_view key)
{
    std::optional<std::string> found;
    for (const auto& [name, value] : SectionValues(text, section)) {
        if (EqualIgnoringCase(name, key)) {
            found = value;
        }
    }
    return found;
}

std::string WithValue(std::string_view text, std::string_view section, std::string_view key, std::string_view value)
{
    const std::string entry = std::string(key) + "=" + std::string(value);
    const std::string lineEnd = text.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
    bool inSection = false;
    std::optional<Line> keyLine;
    std::optional<Line> lastOfSection;  // the entry goes after it when the key is new
    for (const Line& line : Lines(text)) {
        if (const auto name = SectionName(line.text)) {
            inSection = EqualIgnoringCase(*name, section);
            if (inSection) {
                lastOfSection = line;
            }
        } else if (inSection && !Trimmed(line.text).empty()) {
            lastOfSection = line;
            const auto current = KeyValue(line.text);
            if (current && EqualIgnoringCase(current->first, key)) {
                keyLine = line;
            }
        }
    }
    std::string result(text);
    if (keyLine) {
        // The comment after the old value stays, and so does the line's CR.
        const std::string_view rest = keyLine->text.substr(CommentStart(keyLine->text));
        const bool keepCr = !keyLine->text.empty() && keyLine->text.back() == '\r';
        const std::string_view comment = keepCr && !rest.empty() ? rest.substr(0, rest.size() - 1) : rest;
        result.replace(keyLine->begin, keyLine->end - keyLine->begin,
                       entry + std::string(comment) + (keepCr ? "\r" : ""));
    } else if (lastOfSection && lastOfSection->end < text.size()) {
        result.insert(lastOfSection->end + 1, entry + lineEnd);
    } else {
        if (!result.empty() && result.back() != '\n') {
            result += lineEnd;
        }
        if (!lastOfSection) {
            result += "[" + std::string(section) + "]" + lineEnd;
        }
        result += entry + lineEnd;
    }
    return result;
}

}  // namespace fwut::ini
