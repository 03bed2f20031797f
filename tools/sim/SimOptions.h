// The simulator's command line: where it serves, how the simulated module
// behaves (faults included) and how strictly the program's pauses are judged.
#pragma once

#include "tools/sim/SimTypes.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace fwut::sim {

struct SimOptions {
    std::string linkPath;
    std::string transcriptPath;  // empty: the transcript goes to stderr
    std::string imageOutPath;  // empty: the flashed image is not written
    bool once = false;
    bool throttle = false;

    int answerAfter = 2;
    bool neverAnswer = false;
    std::vector<std::uint8_t> garbageBeforeD0;

    std::string version = "FG-DMM-2.32";
    bool noVersion = false;
    int trickleMs = 0;
    bool lfAfterCr = false;
    bool noReady = false;
    std::uint8_t readyByte = '!';

    std::map<int, int> rejectPages;  // page index -> number of "@" answers before "!"
    std::optional<int> silentPage;
    std::optional<int> doubledAnswerPage;  // its answer byte goes out twice
    std::optional<int> hangupPage;
    std::optional<int> stallPage;
    // Each session draws its faults from the fault plans (FaultPlans.h).
    std::optional<unsigned> randomFaultsSeed;

    Millis minPause = 15;
    Millis minPollGap = 400;
    Millis quietGap = 5;  // a silence this long inside an item cuts it short
    Millis stallTolerance = 0;  // unless it is shorter than this and the item goes on whole
};

struct ParsedCommandLine {
    SimOptions options;
    bool helpWanted = false;
    std::string error;  // not empty: a usage error
};

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args);
std::string UsageText();

}  // namespace fwut::sim
