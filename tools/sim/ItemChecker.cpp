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

void ItemChecker::accept(const RxItem& item, const std::string& what, int expectedBaud)
{
    m_transcript.received(item, what);
    checkLine(item, what, expectedBaud);
    if (m_owed && m_lastEnd && certainlyShorter(item.start, item.start - *m_lastEnd, m_lastEndSlack, m_owed->ms))
        error(item.start,
              what + " came " + formatMillis(item.start - *m_lastEnd) + " ms after the " + m_owed->after +
                  "; the pause must be at least " + formatMillis(m_owed->ms) + " ms");
    m_owed.reset();
    m_lastEnd = item.end;
    m_lastEndSlack = item.endSlack;
}

void ItemChecker::checkLine(const RxItem& item, const std::string& what, int expectedBaud)
{
    if (item.line.baud == expectedBaud && item.line.isEightNoneOne())
        return;
    if (item.startSlack > kTrustedSlack)
        m_transcript.note(item.start,
                         "line settings " + item.line.describe() +
                             " not judged: the simulator had not looked at the line for " +
                             formatMillis(item.startSlack) + " ms before");
    else
        error(item.start,
              what + " arrived at " + item.line.describe() + ", expected " + std::to_string(expectedBaud) +
                  " baud 8N1");
}

void ItemChecker::record(const RxItem& item, const std::string& what)
{
    m_transcript.received(item, what);
    m_owed.reset();
    m_lastEnd = item.end;
    m_lastEndSlack = item.endSlack;
}

void ItemChecker::owePause(Millis ms, std::string after)
{
    m_owed = OwedPause{ms, std::move(after)};
}

void ItemChecker::error(Millis at, const std::string& what)
{
    m_transcript.protocolError(at, what);
}

bool ItemChecker::certainlyShorter(Millis at, Millis gap, Millis slack, Millis required)
{
    if (gap >= required)
        return false;
    if (gap + slack < required)
        return true;
    m_transcript.note(at,
                     "pause of " + formatMillis(gap) + " ms not judged: the simulator had not looked at the line for " +
                         formatMillis(slack) + " ms before");
    return false;
}

std::string formatMillis(Millis value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

}  // namespace fwut::sim
