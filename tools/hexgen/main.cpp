// fwut-hexgen: writes a deterministic Intel HEX file to standard output or to
// the file given with --output.
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Files.h"
#include "platform/Printable.h"
#include "platform/ProgramStart.h"
#include "tools/hexgen/HexGenerator.h"

namespace {

using fwut::hexgen::HexGenOptions;
using fwut::hexgen::RecordOrder;

constexpr const char* kUsage =
    "usage: fwut-hexgen [--pages N] [--seed S] [--record-bytes B] [--fill]\n"
    "                   [--descending | --shuffle] [--crlf] [--output FILE]\n"
    "  --pages N         the image covers N pages of 256 bytes (1..256, default 1)\n"
    "  --seed S          seed of the data and placement (default 1)\n"
    "  --record-bytes B  data bytes per record, at most (1..255, default 16)\n"
    "  --fill            write every byte; otherwise about two random records per page\n"
    "  --descending      records in descending address order (default ascending)\n"
    "  --shuffle         records in random order\n"
    "  --crlf            CR LF line ends (default LF)\n"
    "  --output FILE     write FILE instead of standard output\n";

std::optional<unsigned long long> ParseNumber(const char* text, unsigned long long low, unsigned long long high)
{
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text, &end, 0);
    if (end == text || *end != '\0' || value < low || value > high)
        return std::nullopt;
    return value;
}

struct Command {
    HexGenOptions options;
    std::string output;
};

// Fills one option from argv[i], taking its value from argv[i + 1]; false on any mistake.
bool ParseOption(int argc, char** argv, int& i, Command& command)
{
    const std::string_view name = argv[i];
    const bool hasValue = i + 1 < argc;
    const auto number = [&](unsigned long long low, unsigned long long high) {
        return hasValue ? ParseNumber(argv[++i], low, high) : std::nullopt;
    };
    auto& options = command.options;
    if (name == "--fill")
        options.fill = true;
    else if (name == "--descending")
        options.order = RecordOrder::Descending;
    else if (name == "--shuffle")
        options.order = RecordOrder::Shuffled;
    else if (name == "--crlf")
        options.crlf = true;
    else if (name == "--output" && hasValue)
        command.output = argv[++i];
    else if (name == "--pages") {
        const auto value = number(1, fwut::hexgen::kMaxPages);
        options.pages = static_cast<unsigned>(value.value_or(0));
        return value.has_value();
    } else if (name == "--record-bytes") {
        const auto value = number(1, fwut::hexgen::kMaxRecordBytes);
        options.recordBytes = static_cast<unsigned>(value.value_or(0));
        return value.has_value();
    } else if (name == "--seed") {
        const auto value = number(0, ~0ull);
        options.seed = value.value_or(0);
        return value.has_value();
    } else
        return false;
    return true;
}

// Standard output, or a file that the new text replaces whole.
std::string WriteAll(const std::string& text, const std::string& path)
{
    if (path.empty()) {
        const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
        return written && std::fflush(stdout) == 0 ? std::string() : std::string("standard output failed");
    }
    fwut::files::ReplacementFile file;
    return file.Create(path) && file.Write(text.data(), text.size()) && file.Commit() ? std::string() : file.Problem();
}

}  // namespace

int main(int argc, char** argv)
{
    fwut::program::Start();
    Command command;
    for (int i = 1; i < argc; ++i) {
        const char* option = argv[i];
        if (!ParseOption(argc, argv, i, command)) {
            std::fprintf(stderr, "fwut-hexgen: bad option '%s'\n%s", fwut::Printable(option).c_str(), kUsage);
            return 2;
        }
    }
    if (const std::string problem = WriteAll(fwut::hexgen::GenerateHex(command.options), command.output);
        !problem.empty()) {
        std::fprintf(stderr, "fwut-hexgen: cannot write the output: %s\n", problem.c_str());
        return 1;
    }
    return 0;
}
