#include "platform/SystemNames.h"

#include <pwd.h>
#include <unistd.h>

namespace fwut::files {

std::string HostName()
{
    char name[256] = {};
    return ::gethostname(name, sizeof name - 1) == 0 ? std::string(name) : std::string();
}

std::string UserName()
{
    const passwd* entry = ::getpwuid(::geteuid());
    return entry != nullptr ? std::string(entry->pw_name) : std::to_string(::geteuid());
}

}  // namespace fwut::files
