#include "tools/sim/UpdateSession.h"

#include "tools/sim/RelayProtocol.h"

#include <algorithm>

namespace fwut::sim {

namespace p = protocol;

namespace {

const std::string kRequestName = "boot-loader request \"" + std::string(p::kBootLoaderRequest) + "\"";

bool isPoll(const RxItem& item)
{
    return item.payload.size() == 1 && item.payload.front() == p::kWakeUpByte;
}

bool isRequest(const RxItem& item)
{
    return std::string(item.payload.begin(), item.payload.end()) == p::kBootLoaderRequest;
}

}  // namespace

UpdateSession::UpdateSession(int number, const SimOptions& options, Transcript& transcript, ModuleLine& line)
    : number_(number), options_(options), checker_(transcript), line_(line), bootLoader_(options, checker_, line)
{
}

SessionStep UpdateSession::onItem(const RxItem& item)
{
    if (startsNewSession(item))
        return SessionStep::Restart;
    if (itemsReceived_++ == 0)
        checker_.transcript().note(item.start, "session " + std::to_string(number_) + " begins");
    switch (item.kind) {
    case ItemKind::RateCommand:
        onRateCommand(item);
        break;
    case ItemKind::FirstConfig:
        onConfig(item, Phase::SecondRate, Phase::FirstConfig, "first configuration command \"<#:M<#:P\"",
                 p::kAfterFirstConfig);
        break;
    case ItemKind::SecondConfig:
        onConfig(item, Phase::FirstConfig, Phase::Waiting, "second configuration command \"<RS<#:C14\"",
                 p::kAfterSecondConfig);
        break;
    case ItemKind::Closing:
        onClosing(item);
        return SessionStep::Ended;
    case ItemKind::Frame:
        onFrame(item);
        break;
    case ItemKind::Skipped:
        checker_.record(item, std::to_string(item.bytes.size()) + " bytes skipped up to the next pause");
        break;
    case ItemKind::Invalid:
    case ItemKind::Incomplete:
        onBadBytes(item);
        break;
    }
    return bootLoader_.hangUpWanted() ? SessionStep::HangUp : SessionStep::Continue;
}

// A start whose firmware check failed leaves the port open after the rate
// commands, and a program that was stopped sends no "<W": the next start's
// rate command at the working rate then opens a new session.
bool UpdateSession::startsNewSession(const RxItem& item) const
{
    return item.kind == ItemKind::RateCommand && item.line.baud == p::kWorkingRate && phase_ != Phase::Idle &&
        phase_ != Phase::FirstRate;
}

void UpdateSession::onRateCommand(const RxItem& item)
{
    if (phase_ == Phase::Idle) {
        checker_.accept(item, "rate command", p::kWorkingRate);
        phase_ = Phase::FirstRate;
        checker_.owePause(p::kAfterFirstRateCommand, "first rate command");
    } else if (phase_ == Phase::FirstRate) {
        checker_.accept(item, "rate command", p::kSecondRate);
        phase_ = Phase::SecondRate;
        checker_.owePause(p::kAfterSecondRateCommand, "second rate command");
    } else {
        expectedOther(item, "rate command");
    }
}

void UpdateSession::onConfig(const RxItem& item, Phase required, Phase next, const std::string& what, Millis pauseAfter)
{
    if (phase_ != required) {
        expectedOther(item, what);
    } else {
        checker_.accept(item, what, p::kWorkingRate);
    }
    if (phase_ < next) {
        phase_ = next;
        checker_.owePause(pauseAfter, what);
    }
}

void UpdateSession::onClosing(const RxItem& item)
{
    checker_.accept(item, "closing command \"<W\"", p::kWorkingRate);
    if (phase_ == Phase::Idle)
        checker_.error(item.start, "closing command outside a session");
    else if (const std::string page = bootLoader_.interruptedPage(); !page.empty())
        checker_.error(item.start, "closing command in the middle of " + page);
    ending_ = "closed by \"<W\" " + whereWeAre();
    closed_ = true;
}

void UpdateSession::onFrame(const RxItem& item)
{
    if (phase_ == Phase::Transfer)
        bootLoader_.onFrame(item);
    else if (isPoll(item))
        onPoll(item);
    else if (isRequest(item))
        onRequest(item);
    else
        expectedOther(item, "frame with payload " + hexBytes(item.payload.data(), item.payload.size(), 8));
}

void UpdateSession::onPoll(const RxItem& item)
{
    ++polls_;
    std::string what = "wake-up poll " + std::to_string(polls_);
    std::optional<Millis> gap;
    if (lastPollStart_) {
        gap = item.start - *lastPollStart_;
        what += " (" + formatMillis(*gap) + " ms after the previous poll)";
    }
    if (phase_ == Phase::Answered)
        what += ", follows the answer";
    checker_.accept(item, what, p::kWorkingRate);
    if (gap)
        checkPollGap(item, *gap);
    lastPollStart_ = item.start;
    lastPollStartSlack_ = item.startSlack;
    lastPollEnd_ = item.end;
    lastPollEndSlack_ = item.endSlack;
    if (phase_ < Phase::Waiting)
        checker_.error(item.start, "expected " + expecting() + ", received a wake-up poll");
    else if (phase_ == Phase::Waiting && !options_.neverAnswer && polls_ == options_.answerAfter)
        answerPoll(item);
    else if (phase_ == Phase::Answered)
        phase_ = Phase::AnsweredPolled;
    else if (phase_ == Phase::AnsweredPolled)
        checker_.error(item.start, "wake-up poll after the module had answered and one more poll had followed");
}

void UpdateSession::checkPollGap(const RxItem& item, Millis gap)
{
    shortestPollGap_ = std::min(gap, shortestPollGap_.value_or(gap));
    longestPollGap_ = std::max(gap, longestPollGap_.value_or(gap));
    if (checker_.certainlyShorter(item.start, gap, lastPollStartSlack_, options_.minPollGap))
        checker_.error(item.start,
                       "wake-up poll " + std::to_string(polls_) +
                           " came too soon: one poll per 500 ms tick, at least " + formatMillis(options_.minPollGap) +
                           " ms apart");
}

void UpdateSession::answerPoll(const RxItem& item)
{
    std::vector<std::uint8_t> bytes = options_.garbageBeforeD0;
    std::string what;
    if (!bytes.empty())
        what = hexBytes(bytes.data(), bytes.size()) + " (--garbage-before-d0), then ";
    bytes.push_back(p::kModuleReady);
    line_.send(item.end, bytes, 0, what + "D0 (module ready)");
    answeredPoll_ = polls_;
    phase_ = Phase::Answered;
}

void UpdateSession::onRequest(const RxItem& item)
{
    checker_.accept(item, kRequestName, p::kWorkingRate);
    if (phase_ < Phase::Answered) {
        checker_.error(item.start, kRequestName + " before the module answered");
        return;
    }
    if (phase_ == Phase::Answered)
        checker_.error(item.start, kRequestName + " without the wake-up poll that follows the module's answer");
    if (checker_.certainlyShorter(item.start, item.start - lastPollEnd_, lastPollEndSlack_, p::kPollToRequest))
        checker_.error(item.start,
                       kRequestName + " came " + formatMillis(item.start - lastPollEnd_) +
                           " ms after the last wake-up poll; the transfer waits 100 ms first");
    phase_ = Phase::Transfer;
    bootLoader_.answerRequest(item);
}

void UpdateSession::onBadBytes(const RxItem& item)
{
    checker_.record(item, "bytes " + hexBytes(item.bytes.data(), item.bytes.size()));
    checker_.error(item.start, item.problem);
}

void UpdateSession::expectedOther(const RxItem& item, const std::string& what)
{
    checker_.accept(item, what, p::kWorkingRate);
    checker_.error(item.start, "expected " + expecting() + ", received a " + what);
}

std::string UpdateSession::expecting() const
{
    switch (phase_) {
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

std::string UpdateSession::whereWeAre() const
{
    switch (phase_) {
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
    return bootLoader_.endMarkerSeen() ? "after the end marker" : "during the transfer";
}

void UpdateSession::setEnding(std::string ending)
{
    if (ending_.empty())
        ending_ = std::move(ending);
}

std::string UpdateSession::summary() const
{
    std::string text = "session " + std::to_string(number_) + ": " + (ending_.empty() ? "unfinished" : ending_) + "; " +
        countOf(polls_, "wake-up poll");
    if (shortestPollGap_)
        text += " (" + formatMillis(*shortestPollGap_) + " to " + formatMillis(*longestPollGap_) + " ms apart)";
    text += answeredPoll_ > 0 ? ", answered poll " + std::to_string(answeredPoll_) : ", none answered";
    if (phase_ == Phase::Transfer)
        text += "; " + countOf(pages().count(), "page") + " accepted, " +
            countOf(bootLoader_.rejectionsSent(), "rejection") + " sent";
    return text;
}

}  // namespace fwut::sim
