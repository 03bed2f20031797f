#include "platform/win32/Win32TopLevelWindows.h"

namespace fwut {
namespace {

HWND AsHwnd(WindowRef window)
{
    return reinterpret_cast<HWND>(window);
}

WindowRef AsRef(HWND window)
{
    return reinterpret_cast<WindowRef>(window);
}

}  // namespace

WindowRef Win32TopLevelWindows::GetTopWindow()
{
    return AsRef(::GetTopWindow(nullptr));
}

WindowRef Win32TopLevelWindows::GetNextWindow(WindowRef window)
{
    return AsRef(::GetWindow(AsHwnd(window), GW_HWNDNEXT));
}

bool Win32TopLevelWindows::IsWindow(WindowRef window)
{
    return ::IsWindow(AsHwnd(window)) != FALSE;
}

bool Win32TopLevelWindows::IsWindowVisible(WindowRef window)
{
    return ::IsWindowVisible(AsHwnd(window)) != FALSE;
}

int Win32TopLevelWindows::GetWindowTextA(WindowRef window, char* buffer, int capacity)
{
    return ::GetWindowTextA(AsHwnd(window), buffer, capacity);
}

bool Win32TopLevelWindows::PostMessageA(WindowRef window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::PostMessageA(AsHwnd(window), message, wParam, lParam) != FALSE;
}

}  // namespace fwut
