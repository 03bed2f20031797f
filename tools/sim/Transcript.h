// The simulator's record of a run: every received item and every answer with
// its time, the gap since the program's previous write and the line rate, the
// protocol errors, and the summaries.
#pragma once

#include "tools/sim/ItemParser.h"
#include "tools/sim/SimTypes.h"

#include <cstdio>
#include <optional>
#include <string_view>

namespace fwut::sim {

class Transcript {
public:
    explicit Transcript(std::FILE* out);

    void received(const RxItem& item, std::string_view what);
    void sent(Millis at, const LineSample& line, std::string_view what);
    void protocolError(Millis at, std::string_view what);
    void note(Millis at, std::string_view what);
    // A line without time, for summaries.
    void plain(std::string_view text);

    int protocolErrors() const { return m_protocolErrors; }
    std::optional<Millis> lastReceivedEnd() const { return m_lastReceivedEnd; }

private:
    void line(Millis at, std::optional<Millis> gap, const LineSample* rate, std::string_view text);

    std::FILE* m_out;
    int m_protocolErrors = 0;
    std::optional<Millis> m_lastReceivedEnd;
};

}  // namespace fwut::sim
