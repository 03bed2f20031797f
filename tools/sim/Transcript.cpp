#include "tools/sim/Transcript.h"

#include <string>

namespace fwut::sim {

Transcript::Transcript(std::FILE* out) : out_(out)
{
}

void Transcript::received(const RxItem& item, std::string_view what)
{
    std::optional<Millis> gap;
    if (lastReceivedEnd_)
        gap = item.start - *lastReceivedEnd_;
    line(item.start, gap, &item.line, "rx " + std::string(what));
    lastReceivedEnd_ = item.end;
}

void Transcript::sent(Millis at, const LineSample& rate, std::string_view what)
{
    std::optional<Millis> gap;
    if (lastReceivedEnd_)
        gap = at - *lastReceivedEnd_;
    line(at, gap, &rate, "tx " + std::string(what));
}

void Transcript::protocolError(Millis at, std::string_view what)
{
    ++protocolErrors_;
    line(at, std::nullopt, nullptr, "PROTOCOL ERROR: " + std::string(what));
}

void Transcript::note(Millis at, std::string_view what)
{
    line(at, std::nullopt, nullptr, what);
}

void Transcript::plain(std::string_view text)
{
    std::fprintf(out_, "%.*s\n", static_cast<int>(text.size()), text.data());
    std::fflush(out_);
}

void Transcript::line(Millis at, std::optional<Millis> gap, const LineSample* rate, std::string_view text)
{
    char gapText[16] = "";
    if (gap)
        std::snprintf(gapText, sizeof gapText, "%+.1f", *gap);
    const std::string rateText = rate ? "@" + rate->describe() : "";
    std::fprintf(out_, "%9.1f ms %9s  %-7s %.*s\n", at, gapText, rateText.c_str(), static_cast<int>(text.size()),
                 text.data());
    std::fflush(out_);
}

}  // namespace fwut::sim
