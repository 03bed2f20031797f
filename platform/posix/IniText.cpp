#include "platform/posix/IniText.h"

#include <algorithm>

#include "platform/AsciiCase.h"

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

// Where a comment in line begins at or after from ("5 ; the bench adapter",
// "= ; none yet"), the blanks before its ';' or '#' included; npos when it
// has none. Without a blank before it the mark is part of the value, as in a
// device path.
std::size_t CommentStart(std::string_view line, std::size_t from)
{
    for (std::size_t i = std::max<std::size_t>(from, 1); i < line.size(); ++i) {
        if ((line[i] == ';' || line[i] == '#') && (line[i - 1] == ' ' || line[i - 1] == '\t')) {
            const auto blanks = line.find_last_not_of(" \t", i - 1);
            return blanks == std::string_view::npos || blanks < from ? from : blanks + 1;
        }
    }
    return std::string_view::npos;
}

// A "key=value" line read: the entry, and where the comment after its value
// begins (the line's size when it has none).
struct ParsedLine {
    Entry entry;
    std::size_t commentStart;
};

std::optional<ParsedLine> Parse(std::string_view line)
{
    const std::string_view trimmed = Trimmed(line);
    const auto equals = line.find('=');
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#' || equals == std::string_view::npos) {
        return std::nullopt;
    }
    ParsedLine parsed{Entry{std::string(Trimmed(line.substr(0, equals))), {}, {}, false}, line.size()};
    const std::size_t valueStart = line.find_first_not_of(kBlanks, equals + 1);
    if (valueStart == std::string_view::npos) {
        return parsed;
    }
    if (line[valueStart] == '"') {
        const std::size_t closing = line.find('"', valueStart + 1);
        if (closing == std::string_view::npos) {
            parsed.entry.problem = "its double quote is not closed";
            return parsed;
        }
        parsed.entry.value = std::string(line.substr(valueStart + 1, closing - valueStart - 1));
        const std::size_t comment = CommentStart(line, closing);
        const std::size_t restEnd = comment == std::string_view::npos ? line.size() : comment;
        if (!Trimmed(line.substr(closing + 1, restEnd - closing - 1)).empty()) {
            parsed.entry.problem = "text follows its closing double quote";
        }
        parsed.commentStart = restEnd;
        return parsed;
    }
    // A comment right where the value would start ("= ; none yet") leaves an
    // empty value, which nothing cut; the blanks before it stay with it, so
    // that a value written there later stays apart from it.
    const std::size_t comment = CommentStart(line, valueStart);
    const std::size_t valueEnd = comment == std::string_view::npos ? line.size() : comment;
    parsed.entry.cutAtComment = comment != std::string_view::npos && comment > valueStart;
    parsed.entry.value = std::string(Trimmed(line.substr(valueStart, valueEnd - valueStart)));
    parsed.commentStart = comment == valueStart ? equals + 1 : valueEnd;
    return parsed;
}

}  // namespace

std::vector<Entry> SectionEntries(std::string_view text, std::string_view section)
{
    std::vector<Entry> entries;
    bool inSection = false;
    for (const Line& line : Lines(text)) {
        if (const auto name = SectionName(line.text)) {
            inSection = EqualsIgnoringCase(*name, section);
        } else if (inSection) {
            if (auto parsed = Parse(line.text)) {
                entries.push_back(std::move(parsed->entry));
            }
        }
    }
    return entries;
}

std::optional<Entry> Find(std::string_view text, std::string_view section, std::string_view key)
{
    std::optional<Entry> found;
    for (Entry& entry : SectionEntries(text, section)) {
        if (EqualsIgnoringCase(entry.key, key)) {
            found = std::move(entry);
        }
    }
    return found;
}

std::optional<std::string> Value(std::string_view text, std::string_view section, std::string_view key)
{
    const std::optional<Entry> entry = Find(text, section, key);
    if (!entry || !entry->problem.empty()) {
        return std::nullopt;
    }
    return entry->value;
}

std::string PathProblem(const Entry& entry)
{
    if (!entry.problem.empty()) {
        return entry.problem;
    }
    if (entry.cutAtComment) {
        return "a blank and a comment mark (\" #\" or \" ;\") follow its value outside double quotes, so the path "
               "may be cut short; put the path in double quotes";
    }
    return {};
}

std::string WithValue(std::string_view text, std::string_view section, std::string_view key, std::string_view value)
{
    const std::string entry = std::string(key) + "=" + std::string(value);
    const std::string lineEnd = text.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
    bool inSection = false;
    std::optional<Line> keyLine;
    std::size_t keyComment = 0;
    std::optional<Line> lastOfSection;  // the entry goes after it when the key is new
    for (const Line& line : Lines(text)) {
        if (const auto name = SectionName(line.text)) {
            inSection = EqualsIgnoringCase(*name, section);
            if (inSection) {
                lastOfSection = line;
            }
        } else if (inSection && !Trimmed(line.text).empty()) {
            lastOfSection = line;
            const auto current = Parse(line.text);
            if (current && EqualsIgnoringCase(current->entry.key, key)) {
                keyLine = line;
                keyComment = current->commentStart;
            }
        }
    }
    std::string result(text);
    if (keyLine) {
        // The comment after the old value stays, and so does the line's CR.
        const std::string_view rest = keyLine->text.substr(keyComment);
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
