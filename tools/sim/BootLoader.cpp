#include "tools/sim/BootLoader.h"

#include "tools/sim/RelayProtocol.h"

#include <algorithm>
#include <numeric>

namespace fwut::sim {

namespace p = protocol;

namespace {

// A trickled reply is judged only when it is clearly inside or outside the
// program's time limits.
constexpr Millis kJudgeMargin = 50;

std::string quotedByte(std::uint8_t byte)
{
    if (byte >= 0x21 && byte < 0x7F)
        return std::string("\"") + static_cast<char>(byte) + "\"";
    return hexBytes(&byte, 1);
}

}  // namespace

BootLoader::BootLoader(const SimOptions& options, ItemChecker& checker, ModuleLine& line)
    : options_(options), checker_(checker), line_(line), rejectionsLeft_(options.rejectPages)
{
}

void BootLoader::answerRequest(const RxItem& request)
{
    if (options_.noVersion) {
        checker_.transcript().note(request.end, "the boot loader does not answer (--no-version)");
        return;
    }
    std::vector<std::uint8_t> bytes(options_.version.begin(), options_.version.end());
    bytes.push_back(p::kCarriageReturn);
    std::string what = "\"" + options_.version + "\" CR";
    if (options_.lfAfterCr) {
        bytes.push_back(p::kLineFeed);
        what += " LF";
    }
    if (!options_.noReady) {
        bytes.push_back(options_.readyByte);
        what += " " + quotedByte(options_.readyByte) +
            (options_.readyByte == p::kAccept ? " (ready)" : " (in place of the ready byte)");
    }
    if (options_.trickleMs > 0)
        what += ", one byte every " + std::to_string(options_.trickleMs) + " ms";
    answerLeaves_ = line_.send(request.end, bytes, options_.trickleMs, what);
}

std::optional<std::string> BootLoader::reasonProgramMustGiveUp() const
{
    if (options_.noVersion)
        return "the boot loader never answered its request";
    if (std::find(p::kAcceptedVersions.begin(), p::kAcceptedVersions.end(), options_.version) ==
        p::kAcceptedVersions.end())
        return "the version \"" + options_.version + "\" is not one the program accepts";
    if (options_.lfAfterCr)
        return "a line feed came where the ready byte belongs";
    if (options_.noReady)
        return "the boot loader sent no ready byte";
    if (options_.readyByte != p::kAccept)
        return "the ready byte was " + quotedByte(options_.readyByte) + " instead of \"!\"";
    const Millis versionTime = static_cast<Millis>(options_.trickleMs) * static_cast<Millis>(options_.version.size());
    if (versionTime > p::kVersionTimeLimit + kJudgeMargin)
        return "the version reply took " + formatMillis(versionTime) + " ms";
    if (options_.trickleMs > p::kReadyTimeLimit + kJudgeMargin)
        return "the ready byte came " + std::to_string(options_.trickleMs) + " ms after the version";
    return std::nullopt;
}

void BootLoader::onFrame(const RxItem& item)
{
    const std::size_t size = item.payload.size();
    if (endMarkerSeen_) {
        onUnexpected(item);
    } else if (step_ == Step::Header && size == 2) {
        const int index = (item.payload[0] << 8) | item.payload[1];
        if (index == p::kEndMarker)
            onEndMarker(item);
        else
            onHeader(item, index);
    } else if (step_ != Step::Header && size == 1) {
        onChecksum(item);
    } else if (step_ == Step::Data) {
        onData(item);
    } else {
        onUnexpected(item);
    }
}

void BootLoader::onHeader(const RxItem& item, int index)
{
    const bool resend = rejectedData_.has_value() && index == current_.index;
    const int expected = rejectedData_ ? current_.index : nextPage_;
    const int count = resend ? current_.count + 1 : 1;
    std::string what = "page " + std::to_string(index) + " header";
    if (resend)
        what += " (transmission " + std::to_string(count) + ")";
    checker_.accept(item, what, p::kWorkingRate);
    checkAnswerWasOut(item, what);
    if (lastPageUnanswered_)
        checker_.error(item.start, what + " although " + pageName() + " was never answered");
    if (index != expected)
        checker_.error(item.start,
                       what + ", expected page " + std::to_string(expected) +
                           (rejectedData_ ? " again after its rejection" : ""));
    if (count > p::kMaxTransmissions)
        checker_.error(item.start, what + ": the program gives up after five transmissions of a page");
    if (!resend)
        rejectedData_.reset();
    current_ = Transmission{index, count, {}, 0, false};
    step_ = Step::Data;
    checker_.owePause(options_.minPause, pageName() + " header");
    if (options_.hangupPage == index) {
        checker_.transcript().note(item.end, "hanging up at " + pageName() + " (--hangup-at-page)");
        hangUpWanted_ = true;
    }
}

void BootLoader::onData(const RxItem& item)
{
    const int size = static_cast<int>(item.payload.size());
    const int expected = std::min(p::kMaxPayload, p::kPageSize - static_cast<int>(current_.data.size()));
    ++current_.frames;
    const std::string what =
        pageName() + " data frame " + std::to_string(current_.frames) + " (" + std::to_string(size) + " bytes)";
    checker_.accept(item, what, p::kWorkingRate);
    if (size != expected) {
        checker_.error(item.start,
                       what + ": expected " + std::to_string(expected) +
                           " bytes (a page goes as frames of 86, 86 and 84)");
        current_.faulty = true;
    }
    current_.data.insert(current_.data.end(), item.payload.begin(), item.payload.end());
    if (current_.data.size() >= static_cast<std::size_t>(p::kPageSize)) {
        step_ = Step::Checksum;
        checker_.owePause(options_.minPause, pageName() + " data");
    }
}

void BootLoader::onChecksum(const RxItem& item)
{
    const std::uint8_t received = item.payload.front();
    const auto sum = static_cast<std::uint8_t>(std::accumulate(current_.data.begin(), current_.data.end(), 0u));
    const std::string what = pageName() + " checksum " + hexBytes(&received, 1);
    checker_.accept(item, what, p::kWorkingRate);
    if (current_.data.size() != static_cast<std::size_t>(p::kPageSize)) {
        checker_.error(item.start,
                       what + " after " + std::to_string(current_.data.size()) + " data bytes, expected 256");
        current_.faulty = true;
    } else if (sum != received) {
        checker_.error(item.start, what + ", but the page data sums to " + hexBytes(&sum, 1));
        current_.faulty = true;
    }
    if (rejectedData_ && *rejectedData_ != current_.data) {
        checker_.error(item.start, pageName() + " was resent with other data than before");
        current_.faulty = true;
    }
    step_ = Step::Header;
    checker_.owePause(options_.minPause, pageName() + " checksum");
    answerPage(item.end);
}

void BootLoader::answerPage(Millis at)
{
    if (options_.silentPage == current_.index) {
        checker_.transcript().note(at, pageName() + " is never answered (--silent-at-page)");
        lastPageUnanswered_ = true;
        return;
    }
    const auto left = rejectionsLeft_.find(current_.index);
    const bool injected = !current_.faulty && left != rejectionsLeft_.end() && left->second > 0;
    if (!current_.faulty && !injected) {
        pages_.store(current_.index, current_.data);
        nextPage_ = current_.index + 1;
        rejectedData_.reset();
        answerLeaves_ = line_.send(at, {p::kAccept}, 0, "\"!\" " + pageName() + " accepted");
        return;
    }
    if (injected)
        --left->second;
    rejectedData_ = current_.data;
    ++rejectionsSent_;
    answerLeaves_ =
        line_.send(at, {p::kReject}, 0, "\"@\" " + pageName() + " rejected" + (injected ? " (--reject-page)" : ""));
}

void BootLoader::onEndMarker(const RxItem& item)
{
    const std::string what = "end marker FF FF";
    checker_.accept(item, what, p::kWorkingRate);
    checkAnswerWasOut(item, what);
    if (lastPageUnanswered_)
        checker_.error(item.start, what + " although " + pageName() + " was never answered");
    else if (rejectedData_)
        checker_.error(item.start, what + " although " + pageName() + " was rejected and not sent again");
    else if (pages_.empty())
        checker_.error(item.start, what + " before any page was accepted");
    endMarkerSeen_ = true;
    checker_.owePause(options_.minPause, "end marker");
}

void BootLoader::onUnexpected(const RxItem& item)
{
    const std::string what = "frame with payload " + hexBytes(item.payload.data(), item.payload.size(), 8);
    checker_.accept(item, what, p::kWorkingRate);
    std::string expected = "the closing command";
    if (!endMarkerSeen_ && step_ == Step::Header)
        expected = "a page header or the end marker";
    else if (step_ == Step::Data)
        expected = "the data of " + pageName();
    else if (step_ == Step::Checksum)
        expected = "the checksum of " + pageName();
    checker_.error(item.start, "expected " + expected + ", received a " + what);
}

void BootLoader::checkAnswerWasOut(const RxItem& item, const std::string& what)
{
    if (const auto reason = reasonProgramMustGiveUp())
        checker_.error(item.start, what + " although " + *reason);
    else if (item.start < answerLeaves_)
        checker_.error(item.start, what + " came before the boot loader's answer had been sent");
}

std::string BootLoader::interruptedPage() const
{
    return step_ == Step::Header ? std::string() : pageName();
}

std::string BootLoader::pageName() const
{
    return "page " + std::to_string(current_.index);
}

}  // namespace fwut::sim
