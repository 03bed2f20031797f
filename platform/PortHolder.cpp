#include "platform/PortHolder.h"

#include "platform/Printable.h"

namespace fwut {

std::string DescribeHolder(const PortHolder& holder)
{
    if (!holder.IsSeen()) {
#ifdef _WIN32
        return "a program that could not be looked at from here (another user's, a service, or one whose handles "
               "did not answer in time)";
#else
        return "a process that cannot be seen from here (another user's, or one in another container)";
#endif
    }
    return (holder.program.empty() ? std::string("a program") : Printable(holder.program)) + " (process " +
           std::to_string(holder.processId) +
           (holder.user.empty() ? std::string() : ", user " + Printable(holder.user)) + ")";
}

}  // namespace fwut
