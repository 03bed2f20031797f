#include "platform/PortHolder.h"

namespace fwut {

std::string DescribeHolder(const PortHolder& holder)
{
    return holder.program + " (process " + std::to_string(holder.processId) +
           (holder.user.empty() ? std::string() : ", user " + holder.user) + ")";
}

}  // namespace fwut
