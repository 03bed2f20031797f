// One update session as the relay and the module see it, from the first rate
// command to the closing command "<W": the rate commands and their line
// rates, the configuration commands and their pauses, the wake-up polls and
// the module's answer; from the boot-loader request on, the boot loader takes
// over.
#pragma once

#include "tools/sim/BootLoader.h"
#include "tools/sim/ItemChecker.h"
#include "tools/sim/ModuleLine.h"
#include "tools/sim/SimOptions.h"

#include <optional>
#include <string>

namespace fwut::sim {

enum class SessionStep {
    Continue,
    Ended,  // the closing command arrived
    Restart,  // the item starts a new session: hand it to a fresh one
    HangUp,  // fault injection: drop the line now
    Stall,  // fault injection: take no more bytes for a while
};

class UpdateSession {
public:
    UpdateSession(int number, const SimOptions& options, Transcript& transcript, ModuleLine& line);

    SessionStep OnItem(const RxItem& item);

    bool HeardAnything() const { return m_itemsReceived > 0; }
    // Closed by "<W" after the end marker.
    bool Completed() const { return m_closed && m_bootLoader.EndMarkerSeen(); }
    const PageStore& Pages() const { return m_bootLoader.Pages(); }
    // How the session ended, when it did not end with the closing command.
    void SetEnding(std::string ending);
    std::string Summary() const;

private:
    // In the order of a session; a later phase never goes back.
    enum class Phase { Idle, FirstRate, SecondRate, FirstConfig, Waiting, Answered, AnsweredPolled, Transfer };

    bool StartsNewSession(const RxItem& item) const;
    void OnRateCommand(const RxItem& item);
    void OnConfig(const RxItem& item, Phase required, Phase next, const std::string& what, Millis pauseAfter);
    void OnClosing(const RxItem& item);
    void OnFrame(const RxItem& item);
    void OnPoll(const RxItem& item);
    void CheckPollGap(const RxItem& item, Millis gap);
    void AnswerPoll(const RxItem& item);
    void OnRequest(const RxItem& item);
    void OnBadBytes(const RxItem& item);
    void ExpectedOther(const RxItem& item, const std::string& what);
    std::string Expecting() const;
    std::string WhereWeAre() const;

    int m_number;
    const SimOptions& m_options;
    ItemChecker m_checker;
    ModuleLine& m_line;
    BootLoader m_bootLoader;
    Phase m_phase = Phase::Idle;
    int m_itemsReceived = 0;
    int m_polls = 0;
    int m_answeredPoll = 0;
    std::optional<Millis> m_lastPollStart;
    Millis m_lastPollStartSlack = 0;
    Millis m_lastPollEnd = 0;
    Millis m_lastPollEndSlack = 0;
    std::optional<Millis> m_shortestPollGap;
    std::optional<Millis> m_longestPollGap;
    bool m_closed = false;
    std::string m_ending;
};

}  // namespace fwut::sim
