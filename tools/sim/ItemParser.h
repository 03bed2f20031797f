// Cuts the byte stream from the program into items: the relay's plain
// commands and relay packet frames. It checks each frame's layout byte for
// byte; what an item means in the session is not its business.
#pragma once

#include "tools/sim/SimTypes.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace fwut::sim {

enum class ItemKind {
    RateCommand,
    FirstConfig,
    SecondConfig,
    Closing,
    Frame,
    Invalid,  // bytes that are no item, or a frame with a layout error
    Incomplete,  // an item whose bytes stopped coming
    Skipped,  // bytes dropped after an invalid item, up to the next quiet gap
};

struct RxItem {
    ItemKind kind = ItemKind::Invalid;
    std::vector<std::uint8_t> bytes;  // everything received for the item
    std::vector<std::uint8_t> payload;  // frames only
    Millis start = 0;  // first byte's arrival
    Millis end = 0;  // last byte's arrival
    Millis startSlack = 0;  // how much earlier the first byte may have arrived
    Millis endSlack = 0;  // and the last
    LineSample line;  // at the first byte
    std::string problem;  // Invalid and Incomplete only
    Millis stall = 0;  // the longest silence inside the item that was tolerated
};

class ItemParser {
public:
    // One program write arrives as one burst, so a silence this long inside an
    // item means the item was cut short; after an invalid item, bytes are
    // skipped until such a silence.
    static constexpr Millis kQuietGap = 5;

    using Sink = std::function<void(const RxItem&)>;
    // A silence shorter than stallTolerance inside an item that goes on is
    // taken as the sending machine stalled, not as a cut item.
    explicit ItemParser(Sink sink, Millis quietGap = kQuietGap, Millis stallTolerance = 0);

    void Push(const RxByte& byte);
    // Lets an unfinished item time out while nothing arrives.
    void Idle(Millis now);

private:
    enum class Verdict { NeedMore, Complete, Bad };
    struct Judgement {
        Verdict verdict;
        ItemKind kind;
        std::string problem;
    };
    static Judgement NeedMore() { return {Verdict::NeedMore, ItemKind::Invalid, {}}; }
    static Judgement Complete(ItemKind kind) { return {Verdict::Complete, kind, {}}; }
    static Judgement Bad(std::string problem) { return {Verdict::Bad, ItemKind::Invalid, std::move(problem)}; }

    Judgement Judge() const;
    Judgement JudgeFixed(std::string_view text, ItemKind kind) const;
    Judgement JudgeFrame() const;
    Judgement JudgeFrameTail(int lengthDigits) const;
    bool Tolerated(Millis silence) const;
    void EndOfBurst();
    void Emit(ItemKind kind, std::string problem = {});

    Sink m_sink;
    Millis m_quietGap;
    Millis m_stallTolerance;
    Millis m_longestStall = 0;  // inside the pending item
    std::vector<RxByte> m_pending;
    bool m_skipping = false;
    bool m_heardAnything = false;  // since the last silence
    Millis m_lastTime = 0;
};

}  // namespace fwut::sim
