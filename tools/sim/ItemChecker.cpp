#include "tools/sim/ItemChecker.h"

#include <cstdio>

namespace fwut::sim {

namespace {

// The line settings are sampled when bytes are read. The program keeps its
// settings for 30 ms after each write, so a sample taken within this long of
// the bytes' arrival is theirs; a later one may not be.
constexpr Millis kTrustedSlack = 25;

}  // namespace

ItemChecker::ItemChecker(Transcript& transcript) : m_transcript(transcript)
{
}

void ItemChecker::Accept(const RxItem& item, const std::string& what, int expectedBaud)
{
    m_transcript.Received(item, what);
    CheckLine(item, what, expectedBaud);
    if (m_owed && m_lastEnd && CertainlyShorter(item.start, item.start - *m_lastEnd, m_lastEndSlack, m_owed->ms)) {
        Error(item.start, what + " came " + FormatMillis(item.start - *m_lastEnd) + " ms after the " + m_owed->after +
                              "; the pause must be at least " + FormatMillis(m_owed->ms) + " ms");
    }
    m_owed.reset();
    m_lastEnd = item.end;
    m_lastEndSlack = item.endSlack;
}

void ItemChecker::CheckLine(const RxItem& item, const std::string& what, int expectedBaud)
{
    if (item.line.baud == expectedBaud && item.line.IsEightNoneOne()) {
        return;
    }
    if (item.startSlack > kTrustedSlack) {
        m_transcript.Note(item.start, "line settings " + item.line.Describe() +
                                          " not judged: the simulator had not looked at the line for " +
                                          FormatMillis(item.startSlack) + " ms before");
    } else {
        Error(item.start, what + " arrived at " + item.line.Describe() + ", expected " + std::to_string(expectedBaud) +
                              " baud 8N1");
    }
}

void ItemChecker::Record(const RxItem& item, const std::string& what)
{
    m_transcript.Received(item, what);
    m_owed.reset();
    m_lastEnd = item.end;
    m_lastEndSlack = item.endSlack;
}

void ItemChecker::OwePause(Millis ms, std::string after)
{
    m_owed = OwedPause{ms, std::move(after)};
}

void ItemChecker::Error(Millis at, const std::string& what)
{
    m_transcript.ProtocolError(at, what);
}

bool ItemChecker::CertainlyShorter(Millis at, Millis gap, Millis slack, Millis required)
{
    if (gap >= required) {
        return false;
    }
    if (gap + slack < required) {
        return true;
    }
    m_transcript.Note(at, "pause of " + FormatMillis(gap) +
                              " ms not judged: the simulator had not looked at the line for " + FormatMillis(slack) +
                              " ms before");
    return false;
}

std::string FormatMillis(Millis value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

}  // namespace fwut::sim
