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

    void Received(const RxItem& item, std::string_view what);
    void Sent(Millis at, const LineSample& line, std::string_view what);
    void ProtocolError(Millis at, std::string_view what);
    void Note(Millis at, std::string_view what);
    // A line without time, for summaries.
    void Plain(std::string_view text);

    int ProtocolErrors() const { return m_protocolErrors; }
    std::optional<Millis> LastReceivedEnd() const { return m_lastReceivedEnd; }

private:
    void Line(Millis at, std::optional<Millis> gap, const LineSample* rate, std::string_view text);

    std::FILE* m_out;
    int m_protocolErrors = 0;
    std::optional<Millis> m_lastReceivedEnd;
};

}  // namespace fwut::sim
