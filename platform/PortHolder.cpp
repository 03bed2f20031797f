#include "platform/PortHolder.h"

#include "platform/Printable.h"

namespace fwut {

std::string DescribeHolder(const PortHolder& holder)
{
    if (!holder.IsSeen()) {
        return "a process that cannot be seen from here (another user's, or one in another container)";
    }
    return Printable(holder.program) + " (process " + std::to_string(holder.processId) +
           (holder.user.empty() ? std::string() : ", user " + Printable(holder.user)) + ")";
}

}  // namespace fwut
