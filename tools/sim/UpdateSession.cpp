#include "tools/sim/UpdateSession.h"

#include "tools/sim/RelayProtocol.h"

#include <algorithm>

namespace fwut::sim {

namespace p = protocol;

namespace {

const std::string kRequestName = "boot-loader request \"" + std::string(p::kBootLoaderRequest) + "\"";

bool IsPoll(const RxItem& item)
{
    return item.payload.size() == 1 && item.payload.front() == p::kWakeUpByte;
}

bool IsRequest(const RxItem& item)
{
    return std::string(item.payload.begin(), item.payload.end()) == p::kBootLoaderRequest;
}

}  // namespace

UpdateSession::UpdateSession(int number, const SimOptions& options, Transcript& transcript, ModuleLine& line)
    : m_number(number), m_options(options), m_checker(transcript), m_line(line), m_bootLoader(options, m_checker, line)
{
}

SessionStep UpdateSession::OnItem(const RxItem& item)
{
    if (StartsNewSession(item)) {
        return SessionStep::Restart;
    }
    if (m_itemsReceived++ == 0) {
        m_checker.GetTranscript().Note(item.start, "session " + std::to_string(m_number) + " begins");
    }
    switch (item.kind) {
    case ItemKind::RateCommand:
        OnRateCommand(item);
        break;
    case ItemKind::FirstConfig:
        OnConfig(item, Phase::SecondRate, Phase::FirstConfig, "first configuration command \"<#:M<#:P\"",
                 p::kAfterFirstConfig);
        break;
    case ItemKind::SecondConfig:
        OnConfig(item, Phase::FirstConfig, Phase::Waiting, "second configuration command \"<RS<#:C14\"",
                 p::kAfterSecondConfig);
        break;
    case ItemKind::Closing:
        OnClosing(item);
        return SessionStep::Ended;
    case ItemKind::Frame:
        OnFrame(item);
        break;
    case ItemKind::Skipped:
        m_checker.Record(item, std::to_string(item.bytes.size()) + " bytes skipped up to the next pause");
        break;
    case ItemKind::Invalid:
    case ItemKind::Incomplete:
        OnBadBytes(item);
        break;
    }
    if (m_bootLoader.TakeStallWanted()) {
        return SessionStep::Stall;
    }
    return m_bootLoader.HangUpWanted() ? SessionStep::HangUp : SessionStep::Continue;
}

// A start whose firmware check failed leaves the port open after the rate
// commands, and a program that was stopped sends no "<W": the next start's
// rate command at the working rate then opens a new session.
bool UpdateSession::StartsNewSession(const RxItem& item) const
{
    return item.kind == ItemKind::RateCommand && item.line.baud == p::kWorkingRate && m_phase != Phase::Idle &&
           m_phase != Phase::FirstRate;
}

void UpdateSession::OnRateCommand(const RxItem& item)
{
    if (m_phase == Phase::Idle) {
        m_checker.Accept(item, "rate command", p::kWorkingRate);
        m_phase = Phase::FirstRate;
        m_checker.OwePause(p::kAfterFirstRateCommand, "first rate command");
    } else if (m_phase == Phase::FirstRate) {
        m_checker.Accept(item, "rate command", p::kSecondRate);
        m_phase = Phase::SecondRate;
        m_checker.OwePause(p::kAfterSecondRateCommand, "second rate command");
    } else {
        ExpectedOther(item, "rate command");
    }
}

void UpdateSession::OnConfig(const RxItem& item, Phase required, Phase next, const std::string& what, Millis pauseAfter)
{
    if (m_phase != required) {
        ExpectedOther(item, what);
    } else {
        m_checker.Accept(item, what, p::kWorkingRate);
    }
    if (m_phase < next) {
        m_phase = next;
        m_checker.OwePause(pauseAfter, what);
    }
}

void UpdateSession::OnClosing(const RxItem& item)
{
    m_checker.Accept(item, "closing command \"<W\"", p::kWorkingRate);
    if (m_phase == Phase::Idle) {
        m_checker.Error(item.start, "closing command outside a session");
    } else if (const std::string page = m_bootLoader.InterruptedPage(); !page.empty()) {
        m_checker.Error(item.start, "closing command in the middle of " + page);
    }
    m_ending = "closed by \"<W\" " + WhereWeAre();
    m_closed = true;
}

void UpdateSession::OnFrame(const RxItem& item)
{
    if (m_phase == Phase::Transfer) {
        m_bootLoader.OnFrame(item);
    } else if (IsPoll(item)) {
        OnPoll(item);
    } else if (IsRequest(item)) {
        OnRequest(item);
    } else {
        ExpectedOther(item, "frame with payload " + HexBytes(item.payload.data(), item.payload.size(), 8));
    }
}

void UpdateSession::OnPoll(const RxItem& item)
{
    ++m_polls;
    std::string what = "wake-up poll " + std::to_string(m_polls);
    std::optional<Millis> gap;
    if (m_lastPollStart) {
        gap = item.start - *m_lastPollStart;
        what += " (" + FormatMillis(*gap) + " ms after the previous poll)";
    }
    if (m_phase == Phase::Answered) {
        what += ", follows the answer";
    }
    m_checker.Accept(item, what, p::kWorkingRate);
    // The first tick of the wait may come late (the start kept the program's
    // thread busy) while the next keeps the timer's own period, so the gap
    // between the first two polls may be short.
    if (gap && m_polls > 2) {
        CheckPollGap(item, *gap);
    }
    m_lastPollStart = item.start;
    m_lastPollStartSlack = item.startSlack;
    m_lastPollEnd = item.end;
    m_lastPollEndSlack = item.endSlack;
    if (m_phase < Phase::Waiting) {
        m_checker.Error(item.start, "expected " + Expecting() + ", received a wake-up poll");
    } else if (m_phase == Phase::Waiting && !m_options.neverAnswer && m_polls == m_options.answerAfter) {
        AnswerPoll(item);
    } else if (m_phase == Phase::Answered) {
        m_phase = Phase::AnsweredPolled;
    } else if (m_phase == Phase::AnsweredPolled) {
        m_checker.Error(item.start, "wake-up poll after the module had answered and one more poll had followed");
    }
}

void UpdateSession::CheckPollGap(const RxItem& item, Millis gap)
{
    m_shortestPollGap = std::min(gap, m_shortestPollGap.value_or(gap));
    m_longestPollGap = std::max(gap, m_longestPollGap.value_or(gap));
    if (m_checker.CertainlyShorter(item.start, gap, m_lastPollStartSlack, m_options.minPollGap)) {
        m_checker.Error(item.start, "wake-up poll " + std::to_string(m_polls) +
                                        " came too soon: one poll per 500 ms tick, at least " +
                                        FormatMillis(m_options.minPollGap) + " ms apart");
    }
}

void UpdateSession::AnswerPoll(const RxItem& item)
{
    std::vector<std::uint8_t> bytes = m_options.garbageBeforeD0;
    std::string what;
    if (!bytes.empty()) {
        what = HexBytes(bytes.data(), bytes.size()) + " (--garbage-before-d0), then ";
    }
    bytes.push_back(p::kModuleReady);
    m_line.Send(item.end, bytes, 0, what + "D0 (module ready)");
    m_answeredPoll = m_polls;
    m_phase = Phase::Answered;
}

void UpdateSession::OnRequest(const RxItem& item)
{
    m_checker.Accept(item, kRequestName, p::kWorkingRate);
    if (m_phase < Phase::Answered) {
        m_checker.Error(item.start, kRequestName + " before the module answered");
        return;
    }
    if (m_phase == Phase::Answered) {
        m_checker.Error(item.start, kRequestName + " without the wake-up poll that follows the module's answer");
    }
    if (m_checker.CertainlyShorter(item.start, item.start - m_lastPollEnd, m_lastPollEndSlack, p::kPollToRequest)) {
        m_checker.Error(item.start, kRequestName + " came " + FormatMillis(item.start - m_lastPollEnd) +
                                        " ms after the last wake-up poll; the transfer waits 100 ms first");
    }
    m_phase = Phase::Transfer;
    m_bootLoader.AnswerRequest(item);
}

void UpdateSession::OnBadBytes(const RxItem& item)
{
    m_checker.Record(item, "bytes " + HexBytes(item.bytes.data(), item.bytes.size()));
    m_checker.Error(item.start, item.problem);
}

void UpdateSession::ExpectedOther(const RxItem& item, const std::string& what)
{
    m_checker.Accept(item, what, p::kWorkingRate);
    m_checker.Error(item.start, "expected " + Expecting() + ", received a " + what);
}

std::string UpdateSession::Expecting() const
{
    switch (m_phase) {
    case Phase::Idle:
        return "the rate command at 57600";
    case Phase::FirstRate:
        return "the rate command at 19200";
    case Phase::SecondRate:
        return "the first configuration command";
    case Phase::FirstConfig:
        return "the second configuration command";
    case Phase::Waiting:
        return "a wake-up poll";
    case Phase::Answered:
        return "the wake-up poll that follows the answer";
    case Phase::AnsweredPolled:
        return "the boot-loader request";
    case Phase::Transfer:
        break;
    }
    return "boot-loader frames or the closing command";
}

std::string UpdateSession::WhereWeAre() const
{
    switch (m_phase) {
    case Phase::Idle:
        return "before the session began";
    case Phase::FirstRate:
    case Phase::SecondRate:
        return "after the rate commands";
    case Phase::FirstConfig:
        return "during the configuration";
    case Phase::Waiting:
    case Phase::Answered:
    case Phase::AnsweredPolled:
        return "while waiting for the module";
    case Phase::Transfer:
        break;
    }
    return m_bootLoader.EndMarkerSeen() ? "after the end marker" : "during the transfer";
}

void UpdateSession::SetEnding(std::string ending)
{
    if (m_ending.empty()) {
        m_ending = std::move(ending);
    }
}

std::string UpdateSession::Summary() const
{
    std::string text = "session " + std::to_string(m_number) + ": " + (m_ending.empty() ? "unfinished" : m_ending) +
                       "; " + CountOf(m_polls, "wake-up poll");
    if (m_shortestPollGap) {
        text += " (" + FormatMillis(*m_shortestPollGap) + " to " + FormatMillis(*m_longestPollGap) + " ms apart)";
    }
    text += m_answeredPoll > 0 ? ", answered poll " + std::to_string(m_answeredPoll) : ", none answered";
    if (m_phase == Phase::Transfer) {
        text += "; " + CountOf(Pages().Count(), "page") + " accepted, " +
                CountOf(m_bootLoader.RejectionsSent(), "rejection") + " sent";
    }
    return text;
}

}  // namespace fwut::sim
