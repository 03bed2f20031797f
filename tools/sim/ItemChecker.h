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
    void Accept(const RxItem& item, const std::string& what, int expectedBaud);
    // Records the item without judging it (bytes skipped after an error).
    void Record(const RxItem& item, const std::string& what);
    // The next item, whichever it is, must start at least ms after this item ended.
    void OwePause(Millis ms, std::string after);
    void Error(Millis at, const std::string& what);
    // Whether a pause measured as `gap` was certainly shorter than `required`:
    // it may have been up to `slack` longer (the earlier moment's slack). A
    // pause that was only possibly too short is noted, not judged.
    bool CertainlyShorter(Millis at, Millis gap, Millis slack, Millis required);

    Transcript& GetTranscript() { return m_transcript; }

private:
    void CheckLine(const RxItem& item, const std::string& what, int expectedBaud);

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
std::string FormatMillis(Millis value);

}  // namespace fwut::sim
