// Finding and reading another program's windows, with waits that give up
// after a time limit.
#pragma once

#include "platform/Win32Types.h"

#include <functional>
#include <string>

namespace fwut::driver {

constexpr DWORD kDefaultWaitMs = 30000;

// Polls until found() returns a window or the time is up; nullptr then.
HWND WaitFor(const std::function<HWND()>& found, DWORD limitMs = kDefaultWaitMs);
bool WaitUntil(const std::function<bool()>& done, DWORD limitMs = kDefaultWaitMs);

// A visible top-level window with exactly this title.
HWND FindVisibleWindow(const std::string& title);
// A visible dialog (class #32770) owned by owner.
HWND FindOwnedDialog(HWND owner);

std::string TextOf(HWND window);
std::string ItemText(HWND dialog, int id);

// Clicks a button as the operator would, without waiting for the handler.
void PostClick(HWND dialog, int id);

}  // namespace fwut::driver
