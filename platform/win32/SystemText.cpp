#include "platform/SystemText.h"

#include <shellapi.h>

#include <algorithm>

#include "platform/win32/WideText.h"

namespace fwut::text {

namespace {

std::wstring ToWide(std::string_view text, UINT from)
{
    const int size = static_cast<int>(text.size());
    const int length = text.empty() ? 0 : MultiByteToWideChar(from, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(length, 0)), L'\0');
    if (length > 0) {
        MultiByteToWideChar(from, 0, text.data(), size, wide.data(), length);
    }
    return wide;
}

std::string FromWide(std::wstring_view wide, UINT to)
{
    // Best-fit letters would show another text than the one given. Code pages
    // without best fit (UTF-8, also as the ANSI code page) refuse the flag.
    DWORD flags = to == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int size = static_cast<int>(wide.size());
    int length = wide.empty() ? 0 : WideCharToMultiByte(to, flags, wide.data(), size, nullptr, 0, nullptr, nullptr);
    if (length == 0 && !wide.empty() && flags != 0 && GetLastError() == ERROR_INVALID_FLAGS) {
        flags = 0;
        length = WideCharToMultiByte(to, flags, wide.data(), size, nullptr, 0, nullptr, nullptr);
    }
    std::string text(static_cast<std::size_t>(std::max(length, 0)), '\0');
    if (length > 0) {
        WideCharToMultiByte(to, flags, wide.data(), size, text.data(), length, nullptr, nullptr);
    }
    return text;
}

// From one code page to another through UTF-16; a text that does not convert stays as it is.
std::string Recode(std::string_view text, UINT from, UINT to)
{
    const std::wstring wide = ToWide(text, from);
    if (wide.empty()) {
        return std::string(text);
    }
    const std::string converted = FromWide(wide, to);
    return converted.empty() ? std::string(text) : converted;
}

}  // namespace

std::wstring SystemToWide(std::string_view text)
{
    return ToWide(text, CP_ACP);
}

std::string WideToSystem(std::wstring_view text)
{
    return FromWide(text, CP_ACP);
}

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
