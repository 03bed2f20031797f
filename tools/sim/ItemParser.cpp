#include "tools/sim/ItemParser.h"

#include "tools/sim/RelayProtocol.h"

namespace fwut::sim {

namespace p = protocol;

ItemParser::ItemParser(Sink sink) : m_sink(std::move(sink))
{
}

void ItemParser::push(const RxByte& byte)
{
    if (m_heardAnything && byte.time - m_lastTime >= kQuietGap)
        endOfBurst();
    m_heardAnything = true;
    m_lastTime = byte.time;
    m_pending.push_back(byte);
    if (m_skipping)
        return;
    const Judgement judgement = judge();
    if (judgement.verdict == Verdict::Complete) {
        emit(judgement.kind);
    } else if (judgement.verdict == Verdict::Bad) {
        emit(ItemKind::Invalid, judgement.problem);
        m_skipping = true;
    }
}

void ItemParser::idle(Millis now)
{
    if (m_heardAnything && now - m_lastTime >= kQuietGap)
        endOfBurst();
}

void ItemParser::endOfBurst()
{
    m_heardAnything = false;
    if (m_skipping) {
        m_skipping = false;
        if (!m_pending.empty())
            emit(ItemKind::Skipped);
    } else if (!m_pending.empty()) {
        emit(ItemKind::Incomplete, "incomplete item: " + std::to_string(m_pending.size()) + " bytes, then silence");
    }
}

void ItemParser::emit(ItemKind kind, std::string problem)
{
    RxItem item;
    item.kind = kind;
    item.start = m_pending.front().time;
    item.end = m_pending.back().time;
    item.line = m_pending.front().line;
    item.startSlack = m_pending.front().slack;
    item.endSlack = m_pending.back().slack;
    item.problem = std::move(problem);
    for (const RxByte& byte : m_pending)
        item.bytes.push_back(byte.value);
    if (kind == ItemKind::Frame)
        item.payload.assign(item.bytes.begin() + p::kPayloadOffset, item.bytes.end() - 2);
    m_pending.clear();
    m_sink(item);
}

ItemParser::Judgement ItemParser::judge() const
{
    const std::uint8_t first = m_pending.front().value;
    if (first == static_cast<std::uint8_t>(p::kRateCommand.front()))
        return judgeFixed(p::kRateCommand, ItemKind::RateCommand);
    if (first != '<')
        return bad("unexpected byte " + hexBytes(&first, 1));
    if (m_pending.size() < 2)
        return needMore();
    switch (m_pending[1].value) {
    case '#':
        return judgeFixed(p::kFirstConfig, ItemKind::FirstConfig);
    case 'R':
        return judgeFixed(p::kSecondConfig, ItemKind::SecondConfig);
    case 'W':
        return judgeFixed(p::kClosing, ItemKind::Closing);
    case '$':
        return judgeFrame();
    default:
        return bad("\"<\" followed by an unknown command byte");
    }
}

ItemParser::Judgement ItemParser::judgeFixed(std::string_view text, ItemKind kind) const
{
    for (std::size_t i = 0; i < m_pending.size(); ++i)
        if (m_pending[i].value != static_cast<std::uint8_t>(text[i]))
            return bad("byte " + std::to_string(i) + " differs from the command \"" +
                       std::string(text.substr(text.front() == '\x1B' ? 1 : 0)) + "\"");
    return m_pending.size() == text.size() ? complete(kind) : needMore();
}

ItemParser::Judgement ItemParser::judgeFrame() const
{
    const std::size_t size = m_pending.size();
    for (std::size_t i = 0; i < size && i < p::kFrameHead.size(); ++i)
        if (m_pending[i].value != static_cast<std::uint8_t>(p::kFrameHead[i]))
            return bad("frame head is not \"<$:P\"");
    int lengthDigits = 0;
    for (std::size_t i = p::kLengthDigitsOffset; i < size && i < p::kFixedHeaderOffset; ++i) {
        const std::uint8_t digit = m_pending[i].value;
        if (digit < '0' || digit > '9')
            return bad("frame length digit " + hexBytes(&digit, 1) + " is no digit");
        lengthDigits = lengthDigits * 10 + (digit - '0');
    }
    if (size < static_cast<std::size_t>(p::kFixedHeaderOffset))
        return needMore();
    if (lengthDigits < p::kLengthBeyondPayload + 1 || lengthDigits > p::kLengthBeyondPayload + p::kMaxPayload)
        return bad("frame length digits " + std::to_string(lengthDigits) + " outside 016 to 101");
    return judgeFrameTail(lengthDigits);
}

ItemParser::Judgement ItemParser::judgeFrameTail(int lengthDigits) const
{
    const std::size_t size = m_pending.size();
    for (std::size_t i = p::kFixedHeaderOffset; i < size && i < p::kPayloadLengthOffset; ++i) {
        const std::uint8_t expected = p::kFixedHeader[i - p::kFixedHeaderOffset];
        if (m_pending[i].value != expected)
            return bad("frame byte " + std::to_string(i) + " is " + hexBytes(&m_pending[i].value, 1) +
                       ", the fixed header needs " + hexBytes(&expected, 1));
    }
    if (size <= static_cast<std::size_t>(p::kPayloadLengthOffset))
        return needMore();
    const int payloadLength = m_pending[p::kPayloadLengthOffset].value;
    if (payloadLength + p::kLengthBeyondPayload != lengthDigits)
        return bad("frame length digits " + std::to_string(lengthDigits) + " do not fit the payload length " +
                   std::to_string(payloadLength) + " (digits = length + 15)");
    const std::size_t total = p::kFixedHeaderOffset + static_cast<std::size_t>(lengthDigits);
    if (size < total)
        return needMore();
    if (m_pending[total - 2].value != 0 || m_pending[total - 1].value != 0)
        return bad("frame does not end in the two zero bytes");
    return complete(ItemKind::Frame);
}

}  // namespace fwut::sim
