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

namespace fwut::sim {

class SimServer : private ModuleLine {
public:
    SimServer(const SimOptions& options, Transcript& transcript);

    // Serves until --once ends it, a hang-up is injected or `stopRequested`
    // becomes nonzero. Returns the exit status.
    int run(const volatile std::sig_atomic_t& stopRequested);

private:
    Millis send(Millis at, const std::vector<std::uint8_t>& bytes, Millis spacing, std::string_view what) override;

    bool setUp();
    void waitForActivity();
    void receive();
    void deliverDue();
    void transmitDue();
    void onItem(const RxItem& item);
    void startSession();
    void finishSession();
    void writeImage();
    void shutDown();
    Millis now() const;

    const SimOptions& options_;
    Transcript& transcript_;
    const std::chrono::steady_clock::time_point start_;
    std::unique_ptr<PseudoTerminal> pty_;
    std::unique_ptr<DeviceLink> link_;
    Wire wire_;
    ItemParser parser_;
    std::unique_ptr<UpdateSession> session_;
    int sessionsStarted_ = 0;
    int sessionsHeard_ = 0;
    int sessionsCompleted_ = 0;
    bool imageWriteFailed_ = false;
    bool finished_ = false;
    Millis lineLastEmpty_ = 0;
};

}  // namespace fwut::sim
