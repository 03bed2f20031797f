#include "tools/sim/FaultPlans.h"

namespace fwut::sim {

const std::vector<FaultPlan>& FaultPlans()
{
    static const std::vector<FaultPlan> plans = {
        {"none", 0, [](SimOptions&) {}},
        {"page 1 rejected four times", 0, [](SimOptions& o) { o.rejectPages[1] = 4; }},
        {"bytes before the ready byte D0", 0,
         [](SimOptions& o) {
             o.garbageBeforeD0 = {0x55, 0xAA, 0x00};
         }},
        {"no version reply", 5, [](SimOptions& o) { o.noVersion = true; }},
        {"version trickled too slowly", 5, [](SimOptions& o) { o.trickleMs = 300; }},
        {"version FG-DMM-2.33", 6, [](SimOptions& o) { o.version = "FG-DMM-2.33"; }},
        {"no ready byte", 7, [](SimOptions& o) { o.noReady = true; }},
        {"ready byte 3F", 8, [](SimOptions& o) { o.readyByte = 0x3F; }},
        {"line feed after the version's CR", 8, [](SimOptions& o) { o.lfAfterCr = true; }},
        {"page 1 rejected five times", 8, [](SimOptions& o) { o.rejectPages[1] = 5; }},
        {"the answer to page 0 repeated", 0, [](SimOptions& o) { o.doubledAnswerPage = 0; }},
        {"page 1 never answered", 5, [](SimOptions& o) { o.silentPage = 1; }},
        {"line stops at page 1", 5, [](SimOptions& o) { o.stallPage = 1; }},
    };
    return plans;
}

}  // namespace fwut::sim
