#include "platform/SystemText.h"

#include <shellapi.h>

#include <vector>

namespace fwut::text {

namespace {

// From one code page to another through UTF-16; a text that does not convert stays as it is.
std::string Recode(std::string_view text, UINT from, UINT to)
{
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int wideLength = MultiByteToWideChar(from, 0, text.data(), size, nullptr, 0);
    if (wideLength <= 0) {
        return std::string(text);
    }
    std::vector<wchar_t> wide(static_cast<std::size_t>(wideLength));
    MultiByteToWideChar(from, 0, text.data(), size, wide.data(), wideLength);
    const int length = WideCharToMultiByte(to, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (length <= 0) {
        return std::string(text);
    }
    std::string converted(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(to, 0, wide.data(), wideLength, converted.data(), length, nullptr, nullptr);
    return converted;
}

}  // namespace

std::string SystemToUtf8(std::string_view text)
{
    return Recode(text, CP_ACP, CP_UTF8);
}

std::string Utf8ToSystem(std::string_view utf8)
{
    return Recode(utf8, CP_UTF8, CP_ACP);
}

std::optional<int> ArgumentTheCodePageCannotHold()
{
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr) {
        return std::nullopt;
    }
    std::optional<int> found;
    for (int i = 1; i < count && !found; ++i) {
        BOOL lost = FALSE;
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, arguments[i], -1, nullptr, 0, nullptr, &lost);
        if (lost) {
            found = i;
        }
    }
    LocalFree(arguments);
    return found;
}

}  // namespace fwut::text
