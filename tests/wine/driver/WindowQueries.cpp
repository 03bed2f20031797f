#include "tests/wine/driver/WindowQueries.h"

#include <algorithm>
#include <vector>

namespace fwut::driver {

namespace {

constexpr DWORD kPollMs = 50;

struct OwnedSearch {
    HWND owner;
    HWND found;
};

BOOL CALLBACK MatchOwnedDialog(HWND window, LPARAM context)
{
    auto* search = reinterpret_cast<OwnedSearch*>(context);
    char className[16] = {};
    ::GetClassNameA(window, className, sizeof className);
    if (::GetWindow(window, GW_OWNER) == search->owner && ::IsWindowVisible(window) &&
        std::string(className) == "#32770") {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND WaitFor(const std::function<HWND()>& found, DWORD limitMs)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (const HWND window = found()) {
            return window;
        }
        if (::GetTickCount() - start >= limitMs) {
            return nullptr;
        }
        ::Sleep(kPollMs);
    }
}

bool WaitUntil(const std::function<bool()>& done, DWORD limitMs)
{
    return WaitFor([&] { return done() ? ::GetDesktopWindow() : nullptr; }, limitMs) != nullptr;
}

HWND FindVisibleWindow(const std::string& title)
{
    const HWND window = ::FindWindowA(nullptr, title.c_str());
    return window != nullptr && ::IsWindowVisible(window) ? window : nullptr;
}

HWND FindOwnedDialog(HWND owner)
{
    OwnedSearch search{owner, nullptr};
    ::EnumWindows(MatchOwnedDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// WM_GETTEXT, which reaches every kind of control (a rich-edit field keeps its
// text to itself); the window's caption when its thread does not answer.
std::string TextOf(HWND window)
{
    std::vector<char> text(4096, '\0');
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                               2000, &length)) {
        length =
            static_cast<DWORD_PTR>(std::max(0, ::GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
    }
    return std::string(text.data(), std::min<std::size_t>(length, text.size() - 1));
}

std::string ItemText(HWND dialog, int id)
{
    return TextOf(::GetDlgItem(dialog, id));
}

void PostClick(HWND dialog, int id)
{
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

}  // namespace fwut::driver
