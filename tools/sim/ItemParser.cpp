#include "tools/sim/ItemParser.h"

#include "tools/sim/RelayProtocol.h"

#include <algorithm>

namespace fwut::sim {

namespace p = protocol;

ItemParser::ItemParser(Sink sink, Millis quietGap, Millis stallTolerance)
    : m_sink(std::move(sink)), m_quietGap(quietGap), m_stallTolerance(stallTolerance)
{
}

void ItemParser::Push(const RxByte& byte)
{
    const Millis silence = byte.time - m_lastTime;
    if (m_heardAnything && silence >= m_quietGap) {
        if (Tolerated(silence)) {
            m_longestStall = std::max(m_longestStall, silence);
        } else {
            EndOfBurst();
        }
    }
    m_heardAnything = true;
    m_lastTime = byte.time;
    m_pending.push_back(byte);
    if (m_skipping) {
        return;
    }
    const Judgement judgement = Judge();
    if (judgement.verdict == Verdict::Complete) {
        Emit(judgement.kind);
    } else if (judgement.verdict == Verdict::Bad) {
        Emit(ItemKind::Invalid, judgement.problem);
        m_skipping = true;
    }
}

void ItemParser::Idle(Millis now)
{
    if (m_heardAnything && now - m_lastTime >= m_quietGap && !Tolerated(now - m_lastTime)) {
        EndOfBurst();
    }
}

// Pending bytes that are not being skipped are the valid start of an item.
bool ItemParser::Tolerated(Millis silence) const
{
    return silence < m_stallTolerance && !m_skipping && !m_pending.empty();
}

void ItemParser::EndOfBurst()
{
    m_heardAnything = false;
    if (m_skipping) {
        m_skipping = false;
        if (!m_pending.empty()) {
            Emit(ItemKind::Skipped);
        }
    } else if (!m_pending.empty()) {
        Emit(ItemKind::Incomplete, "incomplete item: " + std::to_string(m_pending.size()) + " bytes, then silence");
    }
}

void ItemParser::Emit(ItemKind kind, std::string problem)
{
    RxItem item;
    item.kind = kind;
    item.start = m_pending.front().time;
    item.end = m_pending.back().time;
    item.line = m_pending.front().line;
    item.startSlack = m_pending.front().slack;
    item.endSlack = m_pending.back().slack;
    item.problem = std::move(problem);
    item.stall = m_longestStall;
    m_longestStall = 0;
    for (const RxByte& byte : m_pending) {
        item.bytes.push_back(byte.value);
    }
    if (kind == ItemKind::Frame) {
        item.payload.assign(item.bytes.begin() + p::kPayloadOffset, item.bytes.end() - 2);
    }
    m_pending.clear();
    m_sink(item);
}

ItemParser::Judgement ItemParser::Judge() const
{
    const std::uint8_t first = m_pending.front().value;
    if (first == static_cast<std::uint8_t>(p::kRateCommand.front())) {
        return JudgeFixed(p::kRateCommand, ItemKind::RateCommand);
    }
    if (first != '<') {
        return Bad("unexpected byte " + HexBytes(&first, 1));
    }
    if (m_pending.size() < 2) {
        return NeedMore();
    }
    switch (m_pending[1].value) {
    case '#':
        return JudgeFixed(p::kFirstConfig, ItemKind::FirstConfig);
    case 'R':
        return JudgeFixed(p::kSecondConfig, ItemKind::SecondConfig);
    case 'W':
        return JudgeFixed(p::kClosing, ItemKind::Closing);
    case '$':
        return JudgeFrame();
    default:
        return Bad("\"<\" followed by an unknown command byte");
    }
}

ItemParser::Judgement ItemParser::JudgeFixed(std::string_view text, ItemKind kind) const
{
    for (std::size_t i = 0; i < m_pending.size(); ++i) {
        if (m_pending[i].value != static_cast<std::uint8_t>(text[i])) {
            return Bad("byte " + std::to_string(i) + " differs from the command \"" +
                       std::string(text.substr(text.front() == '\x1B' ? 1 : 0)) + "\"");
        }
    }
    return m_pending.size() == text.size() ? Complete(kind) : NeedMore();
}

ItemParser::Judgement ItemParser::JudgeFrame() const
{
    const std::size_t size = m_pending.size();
    for (std::size_t i = 0; i < size && i < p::kFrameHead.size(); ++i) {
        if (m_pending[i].value != static_cast<std::uint8_t>(p::kFrameHead[i])) {
            return Bad("frame head is not \"<$:P\"");
        }
    }
    int lengthDigits = 0;
    for (std::size_t i = p::kLengthDigitsOffset; i < size && i < p::kFixedHeaderOffset; ++i) {
        const std::uint8_t digit = m_pending[i].value;
        if (digit < '0' || digit > '9') {
            return Bad("frame length digit " + HexBytes(&digit, 1) + " is no digit");
        }
        lengthDigits = lengthDigits * 10 + (digit - '0');
    }
    if (size < static_cast<std::size_t>(p::kFixedHeaderOffset)) {
        return NeedMore();
    }
    if (lengthDigits < p::kLengthBeyondPayload + 1 || lengthDigits > p::kLengthBeyondPayload + p::kMaxPayload) {
        return Bad("frame length digits " + std::to_string(lengthDigits) + " outside 016 to 101");
    }
    return JudgeFrameTail(lengthDigits);
}

ItemParser::Judgement ItemParser::JudgeFrameTail(int lengthDigits) const
{
    const std::size_t size = m_pending.size();
    for (std::size_t i = p::kFixedHeaderOffset; i < size && i < p::kPayloadLengthOffset; ++i) {
        const std::uint8_t expected = p::kFixedHeader[i - p::kFixedHeaderOffset];
        if (m_pending[i].value != expected) {
            return Bad("frame byte " + std::to_string(i) + " is " + HexBytes(&m_pending[i].value, 1) +
                       ", the fixed header needs " + HexBytes(&expected, 1));
        }
    }
    if (size <= static_cast<std::size_t>(p::kPayloadLengthOffset)) {
        return NeedMore();
    }
    const int payloadLength = m_pending[p::kPayloadLengthOffset].value;
    if (payloadLength + p::kLengthBeyondPayload != lengthDigits) {
        return Bad("frame length digits " + std::to_string(lengthDigits) + " do not fit the payload length " +
                   std::to_string(payloadLength) + " (digits = length + 15)");
    }
    const std::size_t total = p::kFixedHeaderOffset + static_cast<std::size_t>(lengthDigits);
    if (size < total) {
        return NeedMore();
    }
    if (m_pending[total - 2].value != 0 || m_pending[total - 1].value != 0) {
        return Bad("frame does not end in the two zero bytes");
    }
    return Complete(ItemKind::Frame);
}

}  // namespace fwut::sim
