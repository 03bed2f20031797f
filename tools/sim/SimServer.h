// The simulator's loop: it serves the pseudo-terminal, stamps every received
// byte with its arrival time and line settings, hands the items to the
// current session and sends the session's answers when they fall due.
#pragma once

#include "tools/sim/DeviceLink.h"
#include "tools/sim/ItemParser.h"
#include "tools/sim/ModuleLine.h"
#include "tools/sim/PseudoTerminal.h"
#include "tools/sim/SimOptions.h"
#include "tools/sim/Transcript.h"
#include "tools/sim/UpdateSession.h"
#include "tools/sim/Wire.h"

#include <chrono>
#include <csignal>
#include <memory>
#include <optional>
#include <random>

namespace fwut::sim {

class SimServer : private ModuleLine {
public:
    SimServer(const SimOptions& options, Transcript& transcript);

    // Serves until --once ends it, a hang-up is injected or `stopRequested`
    // becomes nonzero. Returns the exit status.
    int Run(const volatile std::sig_atomic_t& stopRequested);

private:
    Millis Send(Millis at, const std::vector<std::uint8_t>& bytes, Millis spacing, std::string_view what) override;

    bool SetUp();
    void WaitForActivity();
    void Receive();
    void DeliverDue();
    void TransmitDue();
    void OnItem(const RxItem& item);
    void StartSession();
    void FinishSession();
    void WriteImage();
    void ShutDown();
    void EndStallWhenDue();
    Millis Now() const;

    const SimOptions& m_options;
    Transcript& m_transcript;
    const std::chrono::steady_clock::time_point m_start;
    std::unique_ptr<PseudoTerminal> m_pty;
    std::unique_ptr<DeviceLink> m_link;
    Wire m_wire;
    ItemParser m_parser;
    std::unique_ptr<UpdateSession> m_session;
    // The options of the current session: the simulator's own, or with a drawn fault plan.
    std::unique_ptr<SimOptions> m_sessionOptions;
    std::mt19937 m_random;
    std::optional<Millis> m_stallEnds;
    int m_sessionsStarted = 0;
    int m_sessionsHeard = 0;
    int m_sessionsCompleted = 0;
    bool m_imageWriteFailed = false;
    bool m_finished = false;
    Millis m_lineLastEmpty = 0;
};

}  // namespace fwut::sim
