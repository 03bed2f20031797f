// The fault plans a session may draw with --random-faults: each is a way the
// module or the line misbehaves, and the exit code fwut-cli must end with.
#pragma once

#include "tools/sim/SimOptions.h"

#include <string>
#include <vector>

namespace fwut::sim {

struct FaultPlan {
    std::string name;
    int exitCode;
    void (*apply)(SimOptions&);
};

// The plans name pages 0 and 1 only, so a firmware of two pages or more serves them all.
const std::vector<FaultPlan>& FaultPlans();

}  // namespace fwut::sim
