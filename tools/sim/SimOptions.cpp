#include "tools/sim/SimOptions.h"

#include "tools/sim/RelayProtocol.h"

#include <algorithm>
#include <charconv>
#include <functional>
#include <string_view>

namespace fwut::sim {

namespace {

using Apply = std::function<std::string(SimOptions&, const std::string&)>;

struct OptionEntry {
    std::string_view name;
    std::string_view valueName;  // empty: a switch
    std::string_view help;
    Apply apply;
};

std::optional<int> ToInt(std::string_view text, int base = 10)
{
    int value = 0;
    const auto* end = text.data() + text.size();
    const auto [last, status] = std::from_chars(text.data(), end, value, base);
    if (text.empty() || status != std::errc() || last != end) {
        return std::nullopt;
    }
    return value;
}

Apply IntAtLeast(int minimum, std::function<void(SimOptions&, int)> store)
{
    return [minimum, store](SimOptions& options, const std::string& text) -> std::string {
        const auto value = ToInt(text);
        if (!value || *value < minimum) {
            return "needs a whole number of at least " + std::to_string(minimum) + ", not \"" + text + "\"";
        }
        store(options, *value);
        return {};
    };
}

Apply TextInto(std::string SimOptions::*member)
{
    return [member](SimOptions& options, const std::string& text) -> std::string {
        options.*member = text;
        return {};
    };
}

Apply Flag(std::function<void(SimOptions&)> store)
{
    return [store](SimOptions& options, const std::string&) -> std::string {
        store(options);
        return {};
    };
}

// "55AA", "55 AA", "55,aa" and "0x55 0xAA" all give the bytes 55 AA.
std::optional<std::vector<std::uint8_t>> ParseHexBytes(std::string text)
{
    for (std::size_t at = text.find("0x"); at != std::string::npos; at = text.find("0x")) {
        text.erase(at, 2);
    }
    std::string digits;
    for (char c : text) {
        if (c == ' ' || c == ',' || c == ':') {
            continue;
        }
        digits += c;
    }
    if (digits.empty() || digits.size() % 2 != 0) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        const auto value = ToInt(std::string_view(digits).substr(i, 2), 16);
        if (!value) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<std::uint8_t>(*value));
    }
    return bytes;
}

std::string ApplyRejectPage(SimOptions& options, const std::string& text)
{
    const auto colon = text.find(':');
    const auto page = ToInt(std::string_view(text).substr(0, colon));
    const auto count = colon == std::string::npos ? std::nullopt : ToInt(std::string_view(text).substr(colon + 1));
    if (!page || !count || *page < 0 || *page > 0xFFFE || *count < 1) {
        return "needs PAGE:COUNT (page 0 to 65534, count at least 1), not \"" + text + "\"";
    }
    options.rejectPages[*page] = *count;
    return {};
}

std::string ApplyReadyByte(SimOptions& options, const std::string& text)
{
    const auto bytes = ParseHexBytes(text);
    if (!bytes || bytes->size() != 1) {
        return "needs one byte in hexadecimal, not \"" + text + "\"";
    }
    options.readyByte = bytes->front();
    return {};
}

std::string ApplyGarbage(SimOptions& options, const std::string& text)
{
    const auto bytes = ParseHexBytes(text);
    if (!bytes) {
        return "needs bytes in hexadecimal (\"55AA\" or \"55 AA\"), not \"" + text + "\"";
    }
    options.garbageBeforeD0 = *bytes;
    return {};
}

const std::vector<OptionEntry>& OptionTable()
{
    static const std::vector<OptionEntry> table = {
        {"--link", "PATH",
         "symbolic link to the pseudo-terminal's slave side, for the program to open (required; a symbolic link "
         "already there is replaced)",
         TextInto(&SimOptions::linkPath)},
        {"--transcript", "FILE", "write the transcript to FILE instead of stderr",
         TextInto(&SimOptions::transcriptPath)},
        {"--image-out", "FILE",
         "after a session that flashed pages, write the image (pages 0 to the highest, 256 bytes each) to FILE",
         TextInto(&SimOptions::imageOutPath)},
        {"--once", "", "exit after the first session ends (default: serve session after session)",
         Flag([](SimOptions& o) { o.once = true; })},
        {"--throttle", "",
         "emulate the serial wire's pace (line rate / 10 bytes per second) in both directions; pauses are still "
         "judged on the program's writes",
         Flag([](SimOptions& o) { o.throttle = true; })},
        {"--answer-after", "N", "answer the Nth wake-up poll with D0 (default 2)",
         IntAtLeast(1, [](SimOptions& o, int v) { o.answerAfter = v; })},
        {"--never-answer", "", "never answer a wake-up poll", Flag([](SimOptions& o) { o.neverAnswer = true; })},
        {"--garbage-before-d0", "HEXBYTES", "send these bytes right before the D0", ApplyGarbage},
        {"--version", "TEXT", "the boot loader's version text (default FG-DMM-2.32)", TextInto(&SimOptions::version)},
        {"--no-version", "", "never answer the boot-loader request", Flag([](SimOptions& o) { o.noVersion = true; })},
        {"--trickle-version", "MS", "send the version reply one byte every MS ms",
         IntAtLeast(1, [](SimOptions& o, int v) { o.trickleMs = v; })},
        {"--lf-after-cr", "", "send a line feed right after the version's carriage return, before the ready byte",
         Flag([](SimOptions& o) { o.lfAfterCr = true; })},
        {"--no-ready", "", "send the version but no ready byte", Flag([](SimOptions& o) { o.noReady = true; })},
        {"--ready-byte", "HEX", "send this byte instead of the ready byte \"!\"", ApplyReadyByte},
        {"--reject-page", "P:N", "answer \"@\" N times to page P, then \"!\" (may be repeated)", ApplyRejectPage},
        {"--silent-at-page", "P", "never answer page P", IntAtLeast(0, [](SimOptions& o, int v) { o.silentPage = v; })},
        {"--double-answer-at-page", "P",
         "send the answer to page P twice, like a relay that repeats a byte (\"!!\" or \"@@\")",
         IntAtLeast(0, [](SimOptions& o, int v) { o.doubledAnswerPage = v; })},
        {"--hangup-at-page", "P",
         "when the header of page P arrives, close the pseudo-terminal and exit, like an unplugged adapter",
         IntAtLeast(0, [](SimOptions& o, int v) { o.hangupPage = v; })},
        {"--stall-at-page", "P",
         "when the header of page P arrives, take no more bytes from the program for 10 s, like an adapter "
         "whose driver hangs",
         IntAtLeast(0, [](SimOptions& o, int v) { o.stallPage = v; })},
        {"--random-faults", "SEED",
         "give each session a fault plan drawn at random (seeded) from the list of plans, and note the plan and "
         "the exit code fwut-cli should end with in the transcript",
         IntAtLeast(0, [](SimOptions& o, int v) { o.randomFaultsSeed = static_cast<unsigned>(v); })},
        {"--min-pause", "MS",
         "shortest accepted pause after a page header, page data, checksum and end marker (default 15)",
         IntAtLeast(0, [](SimOptions& o, int v) { o.minPause = v; })},
        {"--min-poll-gap", "MS", "shortest accepted time between two wake-up polls (default 400)",
         IntAtLeast(0, [](SimOptions& o, int v) { o.minPollGap = v; })},
        {"--quiet-gap", "MS",
         "a silence this long inside an item means the item was cut short (default 5; more for a line through an "
         "emulated machine whose processor may be kept from running for a few milliseconds)",
         IntAtLeast(1, [](SimOptions& o, int v) { o.quietGap = v; })},
        {"--stall-tolerance", "MS",
         "a silence inside an item shorter than this, after which the item goes on and is whole, is a stall of the "
         "(emulated) machine the program runs on: noted in the transcript, no cut item (default 0: every silence "
         "of --quiet-gap cuts)",
         IntAtLeast(0, [](SimOptions& o, int v) { o.stallTolerance = v; })},
        {"--help", "", "show this text and exit", Flag([](SimOptions&) {})},
    };
    return table;
}

const OptionEntry* FindOption(std::string_view name)
{
    for (const auto& entry : OptionTable()) {
        if (entry.name == name) {
            return &entry;
        }
    }
    return nullptr;
}

// The help text of an option, in a column of its own after `headWidth` characters.
std::string Wrapped(std::string_view help, std::size_t headWidth)
{
    constexpr std::size_t kColumn = 26;
    constexpr std::size_t kWidth = 96;
    std::string text =
        headWidth + 1 < kColumn ? std::string(kColumn - headWidth, ' ') : "\n" + std::string(kColumn, ' ');
    std::size_t lineLength = kColumn;
    std::size_t start = 0;
    while (start < help.size()) {
        std::size_t end = help.find(' ', start);
        if (end == std::string_view::npos) {
            end = help.size();
        }
        const std::string_view word = help.substr(start, end - start);
        if (lineLength > kColumn && lineLength + 1 + word.size() > kWidth) {
            text += "\n" + std::string(kColumn, ' ');
            lineLength = kColumn;
        } else if (lineLength > kColumn) {
            text += ' ';
            ++lineLength;
        }
        text += word;
        lineLength += word.size();
        start = end + 1;
    }
    return text;
}

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args)
{
    ParsedCommandLine parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> value;
        if (const auto equals = name.find('='); equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
        }
        const OptionEntry* entry = FindOption(name);
        if (!entry) {
            parsed.error = "unknown option \"" + args[i] + "\"";
            return parsed;
        }
        if (name == "--help") {
            parsed.helpWanted = true;
        }
        if (!entry->valueName.empty() && !value) {
            if (i + 1 >= args.size()) {
                parsed.error = name + " needs a value " + std::string(entry->valueName);
                return parsed;
            }
            value = args[++i];
        }
        if (entry->valueName.empty() && value) {
            parsed.error = name + " takes no value";
            return parsed;
        }
        if (const auto problem = entry->apply(parsed.options, value.value_or("")); !problem.empty()) {
            parsed.error = name + " " + problem;
            return parsed;
        }
    }
    if (!parsed.helpWanted && parsed.options.linkPath.empty()) {
        parsed.error = "--link PATH is required";
    }
    return parsed;
}

std::string UsageText()
{
    std::string text =
        "Usage: fwut-sim --link PATH [options]\n"
        "\n"
        "Plays the relay and the Mobile Module's boot loader on a pseudo-terminal, checks every\n"
        "byte the update program sends (commands, frames, line rates, pauses) and answers as the\n"
        "module would. Each received item and each answer goes to the transcript with its time,\n"
        "the gap since the program's previous write and the line rate.\n"
        "\n"
        "Options:\n";
    for (const auto& entry : OptionTable()) {
        std::string head = "  " + std::string(entry.name);
        if (!entry.valueName.empty()) {
            head += " " + std::string(entry.valueName);
        }
        text += head + Wrapped(entry.help, head.size()) + "\n";
    }
    const auto ms = [](Millis value) { return std::to_string(static_cast<int>(value)) + " ms"; };
    text += "\nPauses always checked: " + ms(protocol::kAfterFirstRateCommand) + " after the first rate command, " +
            ms(protocol::kAfterSecondRateCommand) + " after the second,\n" + ms(protocol::kAfterFirstConfig) +
            " after the first configuration command, " + ms(protocol::kAfterSecondConfig) + " after the second, " +
            ms(protocol::kPollToRequest) + " from the\nlast wake-up poll to the boot-loader request.\n";
    text +=
        "\n"
        "Exit status: 0 when everything received followed the protocol, 1 after a protocol error\n"
        "(or when the image could not be written), 2 for a usage error or when the\n"
        "pseudo-terminal or its link cannot be set up. SIGTERM, SIGINT and SIGHUP end it cleanly.\n";
    return text;
}

}  // namespace fwut::sim
