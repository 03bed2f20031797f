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
    : m_options(options), m_checker(checker), m_line(line), m_rejectionsLeft(options.rejectPages)
{
}

void BootLoader::answerRequest(const RxItem& request)
{
    if (m_options.noVersion) {
        m_checker.transcript().note(request.end, "the boot loader does not answer (--no-version)");
        return;
    }
    std::vector<std::uint8_t> bytes(m_options.version.begin(), m_options.version.end());
    bytes.push_back(p::kCarriageReturn);
    std::string what = "\"" + m_options.version + "\" CR";
    if (m_options.lfAfterCr) {
        bytes.push_back(p::kLineFeed);
        what += " LF";
    }
    if (!m_options.noReady) {
        bytes.push_back(m_options.readyByte);
        what += " " + quotedByte(m_options.readyByte) +
            (m_options.readyByte == p::kAccept ? " (ready)" : " (in place of the ready byte)");
    }
    if (m_options.trickleMs > 0)
        what += ", one byte every " + std::to_string(m_options.trickleMs) + " ms";
    m_answerLeaves = m_line.send(request.end, bytes, m_options.trickleMs, what);
}

std::optional<std::string> BootLoader::reasonProgramMustGiveUp() const
{
    if (m_options.noVersion)
        return "the boot loader never answered its request";
    if (std::find(p::kAcceptedVersions.begin(), p::kAcceptedVersions.end(), m_options.version) ==
        p::kAcceptedVersions.end())
        return "the version \"" + m_options.version + "\" is not one the program accepts";
    if (m_options.lfAfterCr)
        return "a line feed came where the ready byte belongs";
    if (m_options.noReady)
        return "the boot loader sent no ready byte";
    if (m_options.readyByte != p::kAccept)
        return "the ready byte was " + quotedByte(m_options.readyByte) + " instead of \"!\"";
    const Millis versionTime = static_cast<Millis>(m_options.trickleMs) * static_cast<Millis>(m_options.version.size());
    if (versionTime > p::kVersionTimeLimit + kJudgeMargin)
        return "the version reply took " + formatMillis(versionTime) + " ms";
    if (m_options.trickleMs > p::kReadyTimeLimit + kJudgeMargin)
        return "the ready byte came " + std::to_string(m_options.trickleMs) + " ms after the version";
    return std::nullopt;
}

void BootLoader::onFrame(const RxItem& item)
{
    const std::size_t size = item.payload.size();
    if (m_endMarkerSeen) {
        onUnexpected(item);
    } else if (m_step == Step::Header && size == 2) {
        const int index = (item.payload[0] << 8) | item.payload[1];
        if (index == p::kEndMarker)
            onEndMarker(item);
        else
            onHeader(item, index);
    } else if (m_step != Step::Header && size == 1) {
        onChecksum(item);
    } else if (m_step == Step::Data) {
        onData(item);
    } else {
        onUnexpected(item);
    }
}

void BootLoader::onHeader(const RxItem& item, int index)
{
    const bool resend = m_rejectedData.has_value() && index == m_current.index;
    const int expected = m_rejectedData ? m_current.index : m_nextPage;
    const int count = resend ? m_current.count + 1 : 1;
    std::string what = "page " + std::to_string(index) + " header";
    if (resend)
        what += " (transmission " + std::to_string(count) + ")";
    m_checker.accept(item, what, p::kWorkingRate);
    checkAnswerWasOut(item, what);
    if (m_lastPageUnanswered)
        m_checker.error(item.start, what + " although " + pageName() + " was never answered");
    if (index != expected)
        m_checker.error(item.start,
                       what + ", expected page " + std::to_string(expected) +
                           (m_rejectedData ? " again after its rejection" : ""));
    if (count > p::kMaxTransmissions)
        m_checker.error(item.start, what + ": the program gives up after five transmissions of a page");
    if (!resend)
        m_rejectedData.reset();
    m_current = Transmission{index, count, {}, 0, false};
    m_step = Step::Data;
    m_checker.owePause(m_options.minPause, pageName() + " header");
    if (m_options.hangupPage == index) {
        m_checker.transcript().note(item.end, "hanging up at " + pageName() + " (--hangup-at-page)");
        m_hangUpWanted = true;
    }
    if (m_options.stallPage == index && !resend) {
        m_checker.transcript().note(item.end, "the line stops taking bytes at " + pageName() + " (--stall-at-page)");
        m_stallWanted = true;
    }
}

void BootLoader::onData(const RxItem& item)
{
    const int size = static_cast<int>(item.payload.size());
    const int expected = std::min(p::kMaxPayload, p::kPageSize - static_cast<int>(m_current.data.size()));
    ++m_current.frames;
    const std::string what =
        pageName() + " data frame " + std::to_string(m_current.frames) + " (" + std::to_string(size) + " bytes)";
    m_checker.accept(item, what, p::kWorkingRate);
    if (size != expected) {
        m_checker.error(item.start,
                       what + ": expected " + std::to_string(expected) +
                           " bytes (a page goes as frames of 86, 86 and 84)");
        m_current.faulty = true;
    }
    m_current.data.insert(m_current.data.end(), item.payload.begin(), item.payload.end());
    if (m_current.data.size() >= static_cast<std::size_t>(p::kPageSize)) {
        m_step = Step::Checksum;
        m_checker.owePause(m_options.minPause, pageName() + " data");
    }
}

void BootLoader::onChecksum(const RxItem& item)
{
    const std::uint8_t received = item.payload.front();
    const auto sum = static_cast<std::uint8_t>(std::accumulate(m_current.data.begin(), m_current.data.end(), 0u));
    const std::string what = pageName() + " checksum " + hexBytes(&received, 1);
    m_checker.accept(item, what, p::kWorkingRate);
    if (m_current.data.size() != static_cast<std::size_t>(p::kPageSize)) {
        m_checker.error(item.start,
                       what + " after " + std::to_string(m_current.data.size()) + " data bytes, expected 256");
        m_current.faulty = true;
    } else if (sum != received) {
        m_checker.error(item.start, what + ", but the page data sums to " + hexBytes(&sum, 1));
        m_current.faulty = true;
    }
    if (m_rejectedData && *m_rejectedData != m_current.data) {
        m_checker.error(item.start, pageName() + " was resent with other data than before");
        m_current.faulty = true;
    }
    m_step = Step::Header;
    m_checker.owePause(m_options.minPause, pageName() + " checksum");
    answerPage(item.end);
}

void BootLoader::answerPage(Millis at)
{
    if (m_options.silentPage == m_current.index) {
        m_checker.transcript().note(at, pageName() + " is never answered (--silent-at-page)");
        m_lastPageUnanswered = true;
        return;
    }
    const auto left = m_rejectionsLeft.find(m_current.index);
    const bool injected = !m_current.faulty && left != m_rejectionsLeft.end() && left->second > 0;
    if (!m_current.faulty && !injected) {
        m_pages.store(m_current.index, m_current.data);
        m_nextPage = m_current.index + 1;
        m_rejectedData.reset();
        m_answerLeaves = m_line.send(at, {p::kAccept}, 0, "\"!\" " + pageName() + " accepted");
        return;
    }
    if (injected)
        --left->second;
    m_rejectedData = m_current.data;
    ++m_rejectionsSent;
    m_answerLeaves =
        m_line.send(at, {p::kReject}, 0, "\"@\" " + pageName() + " rejected" + (injected ? " (--reject-page)" : ""));
}

void BootLoader::onEndMarker(const RxItem& item)
{
    const std::string what = "end marker FF FF";
    m_checker.accept(item, what, p::kWorkingRate);
    checkAnswerWasOut(item, what);
    if (m_lastPageUnanswered)
        m_checker.error(item.start, what + " although " + pageName() + " was never answered");
    else if (m_rejectedData)
        m_checker.error(item.start, what + " although " + pageName() + " was rejected and not sent again");
    else if (m_pages.empty())
        m_checker.error(item.start, what + " before any page was accepted");
    m_endMarkerSeen = true;
    m_checker.owePause(m_options.minPause, "end marker");
}

void BootLoader::onUnexpected(const RxItem& item)
{
    const std::string what = "frame with payload " + hexBytes(item.payload.data(), item.payload.size(), 8);
    m_checker.accept(item, what, p::kWorkingRate);
    std::string expected = "the closing command";
    if (!m_endMarkerSeen && m_step == Step::Header)
        expected = "a page header or the end marker";
    else if (m_step == Step::Data)
        expected = "the data of " + pageName();
    else if (m_step == Step::Checksum)
        expected = "the checksum of " + pageName();
    m_checker.error(item.start, "expected " + expected + ", received a " + what);
}

void BootLoader::checkAnswerWasOut(const RxItem& item, const std::string& what)
{
    if (const auto reason = reasonProgramMustGiveUp())
        m_checker.error(item.start, what + " although " + *reason);
    else if (item.start < m_answerLeaves)
        m_checker.error(item.start, what + " came before the boot loader's answer had been sent");
}

std::string BootLoader::interruptedPage() const
{
    return m_step == Step::Header ? std::string() : pageName();
}

std::string BootLoader::pageName() const
{
    return "page " + std::to_string(m_current.index);
}

}  // namespace fwut::sim
