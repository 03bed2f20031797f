#include "platform/SystemText.h"

namespace fwut::text {

std::string SystemToUtf8(std::string_view text)
{
    return std::string(text);
}

std::string Utf8ToSystem(std::string_view utf8)
{
    return std::string(utf8);
}

// The arguments are the bytes the caller gave.
std::optional<int> ArgumentTheCodePageCannotHold()
{
    return std::nullopt;
}

}  // namespace fwut::text
