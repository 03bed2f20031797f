#include "platform/win32/Win32Shell.h"

#include "platform/Win32Types.h"

#include <shellapi.h>

namespace fwut {

void Win32Shell::Open(const std::string& target)
{
    ::ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace fwut
