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

std::string QuotedByte(std::uint8_t byte)
{
    if (byte >= 0x21 && byte < 0x7F) {
        return std::string("\"") + static_cast<char>(byte) + "\"";
    }
    return HexBytes(&byte, 1);
}

}  // namespace

BootLoader::BootLoader(const SimOptions& options, ItemChecker& checker, ModuleLine& line)
    : m_options(options), m_checker(checker), m_line(line), m_rejectionsLeft(options.rejectPages)
{
}

void BootLoader::AnswerRequest(const RxItem& request)
{
    if (m_options.noVersion) {
        m_checker.GetTranscript().Note(request.end, "the boot loader does not answer (--no-version)");
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
        what += " " + QuotedByte(m_options.readyByte) +
                (m_options.readyByte == p::kAccept ? " (ready)" : " (in place of the ready byte)");
    }
    if (m_options.trickleMs > 0) {
        what += ", one byte every " + std::to_string(m_options.trickleMs) + " ms";
    }
    m_answerLeaves = m_line.Send(request.end, bytes, m_options.trickleMs, what);
}

std::optional<std::string> BootLoader::ReasonProgramMustGiveUp() const
{
    if (m_options.noVersion) {
        return "the boot loader never answered its request";
    }
    if (std::find(p::kAcceptedVersions.begin(), p::kAcceptedVersions.end(), m_options.version) ==
        p::kAcceptedVersions.end()) {
        return "the version \"" + m_options.version + "\" is not one the program accepts";
    }
    if (m_options.lfAfterCr) {
        return "a line feed came where the ready byte belongs";
    }
    if (m_options.noReady) {
        return "the boot loader sent no ready byte";
    }
    if (m_options.readyByte != p::kAccept) {
        return "the ready byte was " + QuotedByte(m_options.readyByte) + " instead of \"!\"";
    }
    const Millis versionTime = static_cast<Millis>(m_options.trickleMs) * static_cast<Millis>(m_options.version.size());
    if (versionTime > p::kVersionTimeLimit + kJudgeMargin) {
        return "the version reply took " + FormatMillis(versionTime) + " ms";
    }
    if (m_options.trickleMs > p::kReadyTimeLimit + kJudgeMargin) {
        return "the ready byte came " + std::to_string(m_options.trickleMs) + " ms after the version";
    }
    return std::nullopt;
}

void BootLoader::OnFrame(const RxItem& item)
{
    const std::size_t size = item.payload.size();
    if (m_endMarkerSeen) {
        OnUnexpected(item);
    } else if (m_step == Step::Header && size == 2) {
        const int index = (item.payload[0] << 8) | item.payload[1];
        if (index == p::kEndMarker) {
            OnEndMarker(item);
        } else {
            OnHeader(item, index);
        }
    } else if (m_step != Step::Header && size == 1) {
        OnChecksum(item);
    } else if (m_step == Step::Data) {
        OnData(item);
    } else {
        OnUnexpected(item);
    }
}

void BootLoader::OnHeader(const RxItem& item, int index)
{
    const bool resend = m_rejectedData.has_value() && index == m_current.index;
    const int expected = m_rejectedData ? m_current.index : m_nextPage;
    const int count = resend ? m_current.count + 1 : 1;
    std::string what = "page " + std::to_string(index) + " header";
    if (resend) {
        what += " (transmission " + std::to_string(count) + ")";
    }
    m_checker.Accept(item, what, p::kWorkingRate);
    CheckAnswerWasOut(item, what);
    if (m_lastPageUnanswered) {
        m_checker.Error(item.start, what + " although " + PageName() + " was never answered");
    }
    if (index != expected) {
        m_checker.Error(item.start, what + ", expected page " + std::to_string(expected) +
                                        (m_rejectedData ? " again after its rejection" : ""));
    }
    if (count > p::kMaxTransmissions) {
        m_checker.Error(item.start, what + ": the program gives up after five transmissions of a page");
    }
    if (!resend) {
        m_rejectedData.reset();
    }
    m_current = Transmission{index, count, {}, 0, false};
    m_step = Step::Data;
    m_checker.OwePause(m_options.minPause, PageName() + " header");
    if (m_options.hangupPage == index) {
        m_checker.GetTranscript().Note(item.end, "hanging up at " + PageName() + " (--hangup-at-page)");
        m_hangUpWanted = true;
    }
    if (m_options.stallPage == index && !resend) {
        m_checker.GetTranscript().Note(item.end, "the line stops taking bytes at " + PageName() + " (--stall-at-page)");
        m_stallWanted = true;
    }
}

void BootLoader::OnData(const RxItem& item)
{
    const int size = static_cast<int>(item.payload.size());
    const int expected = std::min(p::kMaxPayload, p::kPageSize - static_cast<int>(m_current.data.size()));
    ++m_current.frames;
    const std::string what =
        PageName() + " data frame " + std::to_string(m_current.frames) + " (" + std::to_string(size) + " bytes)";
    m_checker.Accept(item, what, p::kWorkingRate);
    if (size != expected) {
        m_checker.Error(item.start, what + ": expected " + std::to_string(expected) +
                                        " bytes (a page goes as frames of 86, 86 and 84)");
        m_current.faulty = true;
    }
    m_current.data.insert(m_current.data.end(), item.payload.begin(), item.payload.end());
    if (m_current.data.size() >= static_cast<std::size_t>(p::kPageSize)) {
        m_step = Step::Checksum;
        m_checker.OwePause(m_options.minPause, PageName() + " data");
    }
}

void BootLoader::OnChecksum(const RxItem& item)
{
    const std::uint8_t received = item.payload.front();
    const auto sum = static_cast<std::uint8_t>(std::accumulate(m_current.data.begin(), m_current.data.end(), 0u));
    const std::string what = PageName() + " checksum " + HexBytes(&received, 1);
    m_checker.Accept(item, what, p::kWorkingRate);
    if (m_current.data.size() != static_cast<std::size_t>(p::kPageSize)) {
        m_checker.Error(item.start,
                        what + " after " + std::to_string(m_current.data.size()) + " data bytes, expected 256");
        m_current.faulty = true;
    } else if (sum != received) {
        m_checker.Error(item.start, what + ", but the page data sums to " + HexBytes(&sum, 1));
        m_current.faulty = true;
    }
    if (m_rejectedData && !m_rejectedData->empty() && *m_rejectedData != m_current.data) {
        m_checker.Error(item.start, PageName() + " was resent with other data than before");
        m_current.faulty = true;
    }
    m_step = Step::Header;
    m_checker.OwePause(m_options.minPause, PageName() + " checksum");
    AnswerPage(item.end);
}

void BootLoader::AnswerPage(Millis at)
{
    if (m_options.silentPage == m_current.index) {
        m_checker.GetTranscript().Note(at, PageName() + " is never answered (--silent-at-page)");
        m_lastPageUnanswered = true;
        return;
    }
    const auto left = m_rejectionsLeft.find(m_current.index);
    const bool injected = !m_current.faulty && left != m_rejectionsLeft.end() && left->second > 0;
    if (!m_current.faulty && !injected) {
        m_pages.Store(m_current.index, m_current.data);
        m_nextPage = m_current.index + 1;
        m_rejectedData.reset();
        SendAnswer(at, p::kAccept, PageName() + " accepted");
        return;
    }
    if (injected) {
        --left->second;
    }
    // What a broken transmission brought is no measure for its resend.
    m_rejectedData = m_current.faulty ? std::vector<std::uint8_t>{} : m_current.data;
    ++m_rejectionsSent;
    SendAnswer(at, p::kReject, PageName() + " rejected" + (injected ? " (--reject-page)" : ""));
}

void BootLoader::SendAnswer(Millis at, std::uint8_t answer, const std::string& what)
{
    std::vector<std::uint8_t> bytes = {answer};
    std::string text = "\"" + std::string(1, static_cast<char>(answer)) + "\" " + what;
    if (m_options.doubledAnswerPage == m_current.index) {
        bytes.push_back(answer);
        text += " (sent twice, --double-answer-at-page)";
    }
    m_answerLeaves = m_line.Send(at, bytes, 0, text);
}

void BootLoader::OnEndMarker(const RxItem& item)
{
    const std::string what = "end marker FF FF";
    m_checker.Accept(item, what, p::kWorkingRate);
    CheckAnswerWasOut(item, what);
    if (m_lastPageUnanswered) {
        m_checker.Error(item.start, what + " although " + PageName() + " was never answered");
    } else if (m_rejectedData) {
        m_checker.Error(item.start, what + " although " + PageName() + " was rejected and not sent again");
    } else if (m_pages.Empty()) {
        m_checker.Error(item.start, what + " before any page was accepted");
    }
    m_endMarkerSeen = true;
    m_checker.OwePause(m_options.minPause, "end marker");
}

void BootLoader::OnUnexpected(const RxItem& item)
{
    const std::string what = "frame with payload " + HexBytes(item.payload.data(), item.payload.size(), 8);
    m_checker.Accept(item, what, p::kWorkingRate);
    std::string expected = "the closing command";
    if (!m_endMarkerSeen && m_step == Step::Header) {
        expected = "a page header or the end marker";
    } else if (m_step == Step::Data) {
        expected = "the data of " + PageName();
    } else if (m_step == Step::Checksum) {
        expected = "the checksum of " + PageName();
    }
    m_checker.Error(item.start, "expected " + expected + ", received a " + what);
}

void BootLoader::CheckAnswerWasOut(const RxItem& item, const std::string& what)
{
    if (const auto reason = ReasonProgramMustGiveUp()) {
        m_checker.Error(item.start, what + " although " + *reason);
    } else if (item.start < m_answerLeaves) {
        m_checker.Error(item.start, what + " came before the boot loader's answer had been sent");
    }
}

std::string BootLoader::InterruptedPage() const
{
    return m_step == Step::Header ? std::string() : PageName();
}

std::string BootLoader::PageName() const
{
    return "page " + std::to_string(m_current.index);
}

}  // namespace fwut::sim
