#include "platform/PortHolder.h"

namespace fwut {

// Windows names no holder of a COM port to an unprivileged program.
std::optional<PortHolder> FindPortHolder(const std::string&)
{
    return std::nullopt;
}

std::optional<PortHolder> FindPortLocker(const std::string&)
{
    return std::nullopt;
}

bool IsProcessRunning(const std::string&)
{
    return false;
}

}  // namespace fwut
