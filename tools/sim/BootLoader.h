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
#include <vector>

namespace fwut::sim {

class BootLoader {
public:
    BootLoader(const SimOptions& options, ItemChecker& checker, ModuleLine& line);

    // The request has been recorded by the caller; answer it as configured.
    void answerRequest(const RxItem& request);
    // Any frame after the request.
    void onFrame(const RxItem& item);

    bool hangUpWanted() const { return hangUpWanted_; }
    bool endMarkerSeen() const { return endMarkerSeen_; }
    // Not empty when the program stops in the middle of a page.
    std::string interruptedPage() const;
    const PageStore& pages() const { return pages_; }
    int rejectionsSent() const { return rejectionsSent_; }

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

    const SimOptions& options_;
    ItemChecker& checker_;
    ModuleLine& line_;
    PageStore pages_;
    std::map<int, int> rejectionsLeft_;

    Millis answerLeaves_ = 0;  // when the last answer (ready byte or page answer) left
    Step step_ = Step::Header;
    Transmission current_;
    std::optional<std::vector<std::uint8_t>> rejectedData_;  // of a rejected page, until it is resent
    bool lastPageUnanswered_ = false;
    bool endMarkerSeen_ = false;
    bool hangUpWanted_ = false;
    int nextPage_ = 0;
    int rejectionsSent_ = 0;
};

}  // namespace fwut::sim
