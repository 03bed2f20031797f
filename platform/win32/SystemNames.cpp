#include "platform/SystemNames.h"

#include <windows.h>

namespace fwut::files {

std::string HostName()
{
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof name;
    return ::GetComputerNameA(name, &size) ? std::string(name, size) : std::string();
}

std::string UserName()
{
    char name[257] = {};
    DWORD size = sizeof name;
    return ::GetUserNameA(name, &size) && size > 0 ? std::string(name, size - 1) : std::string();
}

}  // namespace fwut::files
