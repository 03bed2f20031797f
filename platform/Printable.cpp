#include "platform/Printable.h"

#include <algorithm>
#include <cstdio>

#include "platform/SystemText.h"

namespace fwut {
namespace {

// Invisible characters that reorder, hide or break what a terminal shows (a
// file name that reads backwards, one with hidden tags, a break inside one
// line): Unicode's format characters, line and paragraph separators, and the
// fillers that show as nothing. Shown escaped, like controls.
constexpr struct {
    char32_t first;
    char32_t last;
} kInvisible[] = {
    {0x00AD, 0x00AD},   {0x034F, 0x034F},   {0x0600, 0x0605},   {0x061C, 0x061C},   {0x06DD, 0x06DD},
    {0x070F, 0x070F},   {0x0890, 0x0891},   {0x08E2, 0x08E2},   {0x115F, 0x1160},   {0x180E, 0x180E},
    {0x200B, 0x200F},   {0x2028, 0x202E},   {0x2060, 0x206F},   {0x3164, 0x3164},   {0xFEFF, 0xFEFF},
    {0xFFA0, 0xFFA0},   {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD}, {0x110CD, 0x110CD}, {0x13430, 0x1343F},
    {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0000, 0xE007F},
};

bool IsInvisible(char32_t code)
{
    return std::ranges::any_of(kInvisible,
                               [code](const auto& range) { return code >= range.first && code <= range.last; });
}

// The length of the well-formed UTF-8 sequence at text[at], with the
// character it encodes, or 0 (overlong forms, surrogates and what lies
// beyond U+10FFFF are not well formed).
std::size_t SequenceLength(std::string_view text, std::size_t at, char32_t& code)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
    }
    if (length == 0 || at + length > text.size()) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) {
            return 0;
        }
    }
    const bool overlong = (lead == 0xE0 && byte(1) < 0xA0) || (lead == 0xF0 && byte(1) < 0x90);
    const bool surrogateOrBeyond = (lead == 0xED && byte(1) >= 0xA0) || (lead == 0xF4 && byte(1) >= 0x90);
    if (overlong || surrogateOrBeyond) {
        return 0;
    }
    code = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        code = (code << 6) | (byte(i) & 0x3F);
    }
    return length;
}

// C1 controls (U+0080 to U+009F) count as controls.
bool IsPrintable(char32_t code)
{
    return code >= 0xA0 && !IsInvisible(code);
}

void AppendEscaped(std::string& printable, std::string_view bytes)
{
    for (const char byte : bytes) {
        char escaped[5];
        std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(byte));
        printable += escaped;
    }
}

}  // namespace

std::string Printable(std::string_view text, bool keepLineEnds)
{
    // Judged character by character in UTF-8, and given back in the system's
    // own encoding, as every other text the program prints.
    const std::string utf8 = text::SystemToUtf8(text);
    text = utf8;
    std::string printable;
    printable.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const auto c = static_cast<unsigned char>(text[at]);
        if ((c >= 0x20 && c < 0x7F) || c == '\t' || (c == '\n' && keepLineEnds)) {
            printable += static_cast<char>(c);
            ++at;
            continue;
        }
        char32_t code = 0;
        const std::size_t length = c >= 0x80 ? SequenceLength(text, at, code) : 0;
        if (length != 0 && IsPrintable(code)) {
            printable.append(text, at, length);
            at += length;
            continue;
        }
        // A character as the bytes the system gave for it; a byte that
        // begins none alone.
        AppendEscaped(printable, length != 0 ? text::Utf8ToSystem(text.substr(at, length)) : text.substr(at, 1));
        at += std::max<std::size_t>(length, 1);
    }
    return text::Utf8ToSystem(printable);
}

}  // namespace fwut
