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
    Ended,    // the closing command arrived
    Restart,  // the item starts a new session: hand it to a fresh one
    HangUp,   // fault injection: drop the line now
    Stall,    // fault injection: take no more bytes for a while
};

class UpdateSession {
public:
    UpdateSession(int number, const SimOptions& options, Transcript& transcript, ModuleLine& line);

    SessionStep onItem(const RxItem& item);

    bool heardAnything() const { return m_itemsReceived > 0; }
    // Closed by "<W" after the end marker.
    bool completed() const { return m_closed && m_bootLoader.endMarkerSeen(); }
    const PageStore& pages() const { return m_bootLoader.pages(); }
    // How the session ended, when it did not end with the closing command.
    void setEnding(std::string ending);
    std::string summary() const;

private:
    // In the order of a session; a later phase never goes back.
    enum class Phase { Idle, FirstRate, SecondRate, FirstConfig, Waiting, Answered, AnsweredPolled, Transfer };

    bool startsNewSession(const RxItem& item) const;
    void onRateCommand(const RxItem& item);
    void onConfig(const RxItem& item, Phase required, Phase next, const std::string& what, Millis pauseAfter);
    void onClosing(const RxItem& item);
    void onFrame(const RxItem& item);
    void onPoll(const RxItem& item);
    void checkPollGap(const RxItem& item, Millis gap);
    void answerPoll(const RxItem& item);
    void onRequest(const RxItem& item);
    void onBadBytes(const RxItem& item);
    void expectedOther(const RxItem& item, const std::string& what);
    std::string expecting() const;
    std::string whereWeAre() const;

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
