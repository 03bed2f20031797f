#include "app/CommandLine.h"

#include <cctype>
#include <climits>

namespace fwut {

namespace {

// Reads a decimal number as the C runtime's atoi does (leading white space,
// an optional sign, digits up to the first non-digit, 0 without digits), but
// saturating instead of overflowing.
long ReadDecimal(const char* text)
{
    while (std::isspace(static_cast<unsigned char>(*text))) {
        ++text;
    }
    bool negative = false;
    if (*text == '+' || *text == '-') {
        negative = *text == '-';
        ++text;
    }
    long value = 0;
    while (std::isdigit(static_cast<unsigned char>(*text))) {
        if (value < LONG_MAX / 10) {
            value = value * 10 + (*text - '0');
        }
        ++text;
    }
    return negative ? -value : value;
}

}  // namespace

void CCommandLine::ParseParam(const char* param, bool isFlag, bool /*isLast*/)
{
    if (!isFlag || param[0] != 'C') {
        return;
    }
    const long port = ReadDecimal(param + 1);
    if (port >= 1 && port <= 100) {
        m_comPortOverride = static_cast<std::int8_t>(port);
    }
}

void CCommandLine::ParseArguments(const std::vector<std::string>& arguments)
{
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool isFlag = !argument.empty() && (argument[0] == '-' || argument[0] == '/');
        ParseParam(argument.c_str() + (isFlag ? 1 : 0), isFlag, i + 1 == arguments.size());
    }
}

std::vector<std::string> SplitCommandLine(const std::string& commandLine)
{
    std::vector<std::string> arguments;
    std::size_t i = 0;
    const std::size_t n = commandLine.size();

    // The program name: quotes group, backslashes are taken literally.
    std::string program;
    bool quoted = false;
    while (i < n && (quoted || (commandLine[i] != ' ' && commandLine[i] != '\t'))) {
        if (commandLine[i] == '"') {
            quoted = !quoted;
        } else {
            program += commandLine[i];
        }
        ++i;
    }
    arguments.push_back(program);

    for (;;) {
        while (i < n && (commandLine[i] == ' ' || commandLine[i] == '\t')) {
            ++i;
        }
        if (i >= n) {
            break;
        }
        std::string argument;
        quoted = false;
        while (i < n && (quoted || (commandLine[i] != ' ' && commandLine[i] != '\t'))) {
            std::size_t backslashes = 0;
            while (i < n && commandLine[i] == '\\') {
                ++backslashes;
                ++i;
            }
            if (i < n && commandLine[i] == '"') {
                argument.append(backslashes / 2, '\\');
                if (backslashes % 2 == 1) {
                    argument += '"';
                } else if (quoted && i + 1 < n && commandLine[i + 1] == '"') {
                    argument += '"';  // "" inside quotes is a literal quote
                    ++i;
                } else {
                    quoted = !quoted;
                }
                ++i;
            } else {
                argument.append(backslashes, '\\');
                if (i < n && (quoted || (commandLine[i] != ' ' && commandLine[i] != '\t'))) {
                    argument += commandLine[i];
                    ++i;
                }
            }
        }
        arguments.push_back(argument);
    }
    return arguments;
}

std::string ProgramPathFromCommandLine(const std::string& commandLine)
{
    if (!commandLine.empty() && commandLine[0] == '"') {
        std::string text = commandLine;
        text[0] = ' ';
        const std::size_t quote = text.find('"');
        if (quote == std::string::npos) {
            return std::string();
        }
        // The quote is no white space, so the path starts at or before it.
        const std::size_t start = text.find_first_not_of(" \t\r\n\v\f");
        return text.substr(start, quote - start);
    }
    const std::size_t blank = commandLine.find(' ');
    return blank == std::string::npos ? commandLine : commandLine.substr(0, blank);
}

std::string FolderOfPath(const std::string& path, char separator)
{
    const std::size_t last = path.rfind(separator);
    return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

std::string ApplicationNameOfPath(const std::string& path)
{
    const std::size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot != 0) {
        name.erase(dot);
    }
    return name;
}

}  // namespace fwut
