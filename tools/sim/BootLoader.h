// The simulated module's boot loader, from the request on: it answers the
// request with its version and ready byte, takes the pages (header, data in
// frames of 86, 86 and 84 bytes, checksum) with their pauses, accepts or
// rejects each, and expects the end marker. Faults come from the options.
#pragma once

#include "tools/sim/ItemChecker.h"
#include "tools/sim/ModuleLine.h"
#include "tools/sim/PageStore.h"
#include "tools/sim/SimOptions.h"

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace fwut::sim {

class BootLoader {
public:
    BootLoader(const SimOptions& options, ItemChecker& checker, ModuleLine& line);

    // The request has been recorded by the caller; answer it as configured.
    void AnswerRequest(const RxItem& request);
    // Any frame after the request.
    void OnFrame(const RxItem& item);

    bool HangUpWanted() const { return m_hangUpWanted; }
    // Asked once: true when the line should stop taking bytes now.
    bool TakeStallWanted() { return std::exchange(m_stallWanted, false); }
    bool EndMarkerSeen() const { return m_endMarkerSeen; }
    // Not empty when the program stops in the middle of a page.
    std::string InterruptedPage() const;
    const PageStore& Pages() const { return m_pages; }
    int RejectionsSent() const { return m_rejectionsSent; }

private:
    enum class Step { Header, Data, Checksum };

    struct Transmission {
        int index = 0;
        int count = 0;  // transmissions of this page so far, this one included
        std::vector<std::uint8_t> data;
        int frames = 0;
        bool faulty = false;
    };

    std::optional<std::string> ReasonProgramMustGiveUp() const;
    void OnHeader(const RxItem& item, int index);
    void OnEndMarker(const RxItem& item);
    void OnData(const RxItem& item);
    void OnChecksum(const RxItem& item);
    void OnUnexpected(const RxItem& item);
    void CheckAnswerWasOut(const RxItem& item, const std::string& what);
    void AnswerPage(Millis at);
    void SendAnswer(Millis at, std::uint8_t answer, const std::string& what);
    std::string PageName() const;

    const SimOptions& m_options;
    ItemChecker& m_checker;
    ModuleLine& m_line;
    PageStore m_pages;
    std::map<int, int> m_rejectionsLeft;

    Millis m_answerLeaves = 0;  // when the last answer (ready byte or page answer) left
    Step m_step = Step::Header;
    Transmission m_current;
    // Of a rejected page, until it is resent; empty when it arrived broken.
    std::optional<std::vector<std::uint8_t>> m_rejectedData;
    bool m_lastPageUnanswered = false;
    bool m_endMarkerSeen = false;
    bool m_hangUpWanted = false;
    bool m_stallWanted = false;
    int m_nextPage = 0;
    int m_rejectionsSent = 0;
};

}  // namespace fwut::sim
