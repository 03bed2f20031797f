// The relay and the module for deterministic dialog tests: it watches what
// the dialog writes to a ScriptedSerialApi and answers at virtual moments,
// as the boot loader would, with the faults a test asks for.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/doubles/ScriptedSerialApi.h"
#include "tests/doubles/VirtualClock.h"

namespace fwut::test {

class FakeModule {
public:
    struct Frame {
        DWORD tick;
        std::vector<std::uint8_t> payload;
    };

    FakeModule(ScriptedSerialApi& port, VirtualClock& clock);

    // Faults and variations.
    int answerAfterPolls = 2;  // 0: never answers
    std::vector<std::uint8_t> beforeReady;  // bytes sent just before D0
    std::vector<std::uint8_t> afterReady;  // bytes sent just after D0
    std::string versionResponse = "FG-DMM-2.32\r";
    bool answerVersion = true;
    DWORD versionDelayMs = 0;  // from the request to the version response
    DWORD versionCharIntervalMs = 0;  // trickles the version response
    std::vector<std::uint8_t> readyResponse = {'!'};
    DWORD readyDelayMs = 0;  // from the version response to the ready byte
    // The answer to each page transmission, in order; "!" once the list is used up.
    std::vector<char> pageAnswers;
    int silentAtPage = -1;
    DWORD pageAnswerDelayMs = 0;  // from the checksum to the page's answer
    DWORD answerLatencyMs = 2;

    const std::vector<Frame>& Frames() const { return m_frames; }
    int Polls() const { return m_polls; }
    // The image as the module took it, page by accepted page.
    const std::vector<std::uint8_t>& Flashed() const { return m_flashed; }
    std::vector<std::vector<std::uint8_t>> Transmissions(int page) const;
    bool EndMarkerSeen() const { return m_endMarker; }
    // Input waiting in the port each time a wake-up poll was written.
    const std::vector<std::size_t>& InputWaitingAtPolls() const { return m_inputAtPolls; }

private:
    void OnWrite(const std::vector<std::uint8_t>& bytes);
    void OnFrame(const std::vector<std::uint8_t>& payload);
    void Answer(const std::vector<std::uint8_t>& bytes, DWORD delayMs = 0);
    void AnswerPage();

    ScriptedSerialApi& m_port;
    VirtualClock& m_clock;
    std::vector<Frame> m_frames;
    int m_polls = 0;
    bool m_requested = false;
    bool m_endMarker = false;
    int m_pageIndex = -1;
    std::vector<std::uint8_t> m_pageData;
    std::vector<std::pair<int, std::vector<std::uint8_t>>> m_transmissions;
    std::size_t m_answerIndex = 0;
    std::vector<std::uint8_t> m_flashed;
    std::vector<std::size_t> m_inputAtPolls;
};

}  // namespace fwut::test
