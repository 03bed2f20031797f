#include "tools/sim/Transcript.h"

#include <string>

namespace fwut::sim {

Transcript::Transcript(std::FILE* out) : m_out(out)
{
}

void Transcript::Received(const RxItem& item, std::string_view what)
{
    std::optional<Millis> gap;
    if (m_lastReceivedEnd) {
        gap = item.start - *m_lastReceivedEnd;
    }
    Line(item.start, gap, &item.line, "rx " + std::string(what));
    m_lastReceivedEnd = item.end;
}

void Transcript::Sent(Millis at, const LineSample& rate, std::string_view what)
{
    std::optional<Millis> gap;
    if (m_lastReceivedEnd) {
        gap = at - *m_lastReceivedEnd;
    }
    Line(at, gap, &rate, "tx " + std::string(what));
}

void Transcript::ProtocolError(Millis at, std::string_view what)
{
    ++m_protocolErrors;
    Line(at, std::nullopt, nullptr, "PROTOCOL ERROR: " + std::string(what));
}

void Transcript::Note(Millis at, std::string_view what)
{
    Line(at, std::nullopt, nullptr, what);
}

void Transcript::Plain(std::string_view text)
{
    std::fprintf(m_out, "%.*s\n", static_cast<int>(text.size()), text.data());
    std::fflush(m_out);
}

void Transcript::Line(Millis at, std::optional<Millis> gap, const LineSample* rate, std::string_view text)
{
    char gapText[16] = "";
    if (gap) {
        std::snprintf(gapText, sizeof gapText, "%+.1f", *gap);
    }
    const std::string rateText = rate ? "@" + rate->Describe() : "";
    std::fprintf(m_out, "%9.1f ms %9s  %-7s %.*s\n", at, gapText, rateText.c_str(), static_cast<int>(text.size()),
                 text.data());
    std::fflush(m_out);
}

}  // namespace fwut::sim
