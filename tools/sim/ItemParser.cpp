#include "tools/sim/ItemParser.h"

#include "tools/sim/RelayProtocol.h"

namespace fwut::sim {

namespace p = protocol;

ItemParser::ItemParser(Sink sink) : sink_(std::move(sink))
{
}

void ItemParser::push(const RxByte& byte)
{
    if (heardAnything_ && byte.time - lastTime_ >= kQuietGap)
        endOfBurst();
    heardAnything_ = true;
    lastTime_ = byte.time;
    pending_.push_back(byte);
    if (skipping_)
        return;
    const Judgement judgement = judge();
    if (judgement.verdict == Verdict::Complete) {
        emit(judgement.kind);
    } else if (judgement.verdict == Verdict::Bad) {
        emit(ItemKind::Invalid, judgement.problem);
        skipping_ = true;
    }
}

void ItemParser::idle(Millis now)
{
    if (heardAnything_ && now - lastTime_ >= kQuietGap)
        endOfBurst();
}

void ItemParser::endOfBurst()
{
    heardAnything_ = false;
    if (skipping_) {
        skipping_ = false;
        if (!pending_.empty())
            emit(ItemKind::Skipped);
    } else if (!pending_.empty()) {
        emit(ItemKind::Incomplete, "incomplete item: " + std::to_string(pending_.size()) + " bytes, then silence");
    }
}

void ItemParser::emit(ItemKind kind, std::string problem)
{
    RxItem item;
    item.kind = kind;
    item.start = pending_.front().time;
    item.end = pending_.back().time;
    item.line = pending_.front().line;
    item.startSlack = pending_.front().slack;
    item.endSlack = pending_.back().slack;
    item.problem = std::move(problem);
    for (const RxByte& byte : pending_)
        item.bytes.push_back(byte.value);
    if (kind == ItemKind::Frame)
        item.payload.assign(item.bytes.begin() + p::kPayloadOffset, item.bytes.end() - 2);
    pending_.clear();
    sink_(item);
}

ItemParser::Judgement ItemParser::judge() const
{
    const std::uint8_t first = pending_.front().value;
    if (first == static_cast<std::uint8_t>(p::kRateCommand.front()))
        return judgeFixed(p::kRateCommand, ItemKind::RateCommand);
    if (first != '<')
        return bad("unexpected byte " + hexBytes(&first, 1));
    if (pending_.size() < 2)
        return needMore();
    switch (pending_[1].value) {
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
    for (std::size_t i = 0; i < pending_.size(); ++i)
        if (pending_[i].value != static_cast<std::uint8_t>(text[i]))
            return bad("byte " + std::to_string(i) + " differs from the command \"" +
                       std::string(text.substr(text.front() == '\x1B' ? 1 : 0)) + "\"");
    return pending_.size() == text.size() ? complete(kind) : needMore();
}

ItemParser::Judgement ItemParser::judgeFrame() const
{
    const std::size_t size = pending_.size();
    for (std::size_t i = 0; i < size && i < p::kFrameHead.size(); ++i)
        if (pending_[i].value != static_cast<std::uint8_t>(p::kFrameHead[i]))
            return bad("frame head is not \"<$:P\"");
    int lengthDigits = 0;
    for (std::size_t i = p::kLengthDigitsOffset; i < size && i < p::kFixedHeaderOffset; ++i) {
        const std::uint8_t digit = pending_[i].value;
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
    const std::size_t size = pending_.size();
    for (std::size_t i = p::kFixedHeaderOffset; i < size && i < p::kPayloadLengthOffset; ++i) {
        const std::uint8_t expected = p::kFixedHeader[i - p::kFixedHeaderOffset];
        if (pending_[i].value != expected)
            return bad("frame byte " + std::to_string(i) + " is " + hexBytes(&pending_[i].value, 1) +
                       ", the fixed header needs " + hexBytes(&expected, 1));
    }
    if (size <= static_cast<std::size_t>(p::kPayloadLengthOffset))
        return needMore();
    const int payloadLength = pending_[p::kPayloadLengthOffset].value;
    if (payloadLength + p::kLengthBeyondPayload != lengthDigits)
        return bad("frame length digits " + std::to_string(lengthDigits) + " do not fit the payload length " +
                   std::to_string(payloadLength) + " (digits = length + 15)");
    const std::size_t total = p::kFixedHeaderOffset + static_cast<std::size_t>(lengthDigits);
    if (size < total)
        return needMore();
    if (pending_[total - 2].value != 0 || pending_[total - 1].value != 0)
        return bad("frame does not end in the two zero bytes");
    return complete(ItemKind::Frame);
}

}  // namespace fwut::sim
