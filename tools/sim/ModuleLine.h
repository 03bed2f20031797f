// What the simulated relay and module can do to the line: send bytes to the
// program. The server behind it paces them (trickle, emulated wire) and
// records them in the transcript.
#pragma once

#include "tools/sim/SimTypes.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace fwut::sim {

class ModuleLine {
public:
    virtual ~ModuleLine() = default;

    // Queues bytes for the program from time `at` on, at least `spacing` ms
    // apart (0: as fast as the line allows). Returns when the last byte leaves.
    virtual Millis Send(Millis at, const std::vector<std::uint8_t>& bytes, Millis spacing, std::string_view what) = 0;
};

}  // namespace fwut::sim
