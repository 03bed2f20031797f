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
    void answerRequest(const RxItem& request);
    // Any frame after the request.
    void onFrame(const RxItem& item);

    bool hangUpWanted() const { return m_hangUpWanted; }
    // Asked once: true when the line should stop taking bytes now.
    bool takeStallWanted() { return std::exchange(m_stallWanted, false); }
    bool endMarkerSeen() const { return m_endMarkerSeen; }
    // Not empty when the program stops in the middle of a page.
    std::string interruptedPage() const;
    const PageStore& pages() const { return m_pages; }
    int rejectionsSent() const { return m_rejectionsSent; }

private:
    enum class Step { Header, Data, Checksum };

    struct Transmission {
        int index = 0;
        int count = 0;  // transmissions of this page so far, this one included
        std::vector<std::uint8_t> data;
        int frames = 0;
        bool faulty = false;
    };

    std::optional<std::string> reasonProgramMustGiveUp() const;
    void onHeader(const RxItem& item, int index);
    void onEndMarker(const RxItem& item);
    void onData(const RxItem& item);
    void onChecksum(const RxItem& item);
    void onUnexpected(const RxItem& item);
    void checkAnswerWasOut(const RxItem& item, const std::string& what);
    void answerPage(Millis at);
    std::string pageName() const;

    const SimOptions& m_options;
    ItemChecker& m_checker;
    ModuleLine& m_line;
    PageStore m_pages;
    std::map<int, int> m_rejectionsLeft;

    Millis m_answerLeaves = 0;  // when the last answer (ready byte or page answer) left
    Step m_step = Step::Header;
    Transmission m_current;
    std::optional<std::vector<std::uint8_t>> m_rejectedData;  // of a rejected page, until it is resent
    bool m_lastPageUnanswered = false;
    bool m_endMarkerSeen = false;
    bool m_hangUpWanted = false;
    bool m_stallWanted = false;
    int m_nextPage = 0;
    int m_rejectionsSent = 0;
};

}  // namespace fwut::sim
