// The checks that every received item goes through, whatever it means: it is
// recorded, its line settings are compared with the expected ones, and the
// pause owed after the previous item is measured.
#pragma once

#include "tools/sim/ItemParser.h"
#include "tools/sim/Transcript.h"

#include <optional>
#include <string>

namespace fwut::sim {

class ItemChecker {
public:
    explicit ItemChecker(Transcript& transcript);

    // Records the item as `what` and checks its line settings and the pause before it.
    void accept(const RxItem& item, const std::string& what, int expectedBaud);
    // Records the item without judging it (bytes skipped after an error).
    void record(const RxItem& item, const std::string& what);
    // The next item, whichever it is, must start at least ms after this item ended.
    void owePause(Millis ms, std::string after);
    void error(Millis at, const std::string& what);
    // Whether a pause measured as `gap` was certainly shorter than `required`:
    // it may have been up to `slack` longer (the earlier moment's slack). A
    // pause that was only possibly too short is noted, not judged.
    bool certainlyShorter(Millis at, Millis gap, Millis slack, Millis required);

    Transcript& transcript() { return m_transcript; }

private:
    void checkLine(const RxItem& item, const std::string& what, int expectedBaud);

    struct OwedPause {
        Millis ms;
        std::string after;
    };

    Transcript& m_transcript;
    std::optional<Millis> m_lastEnd;
    Millis m_lastEndSlack = 0;
    std::optional<OwedPause> m_owed;
};

// "12.3"
std::string formatMillis(Millis value);

}  // namespace fwut::sim
