// One account of each update: the dialog tells every thing that happens,
// once, as it happens, to one sink. The command line's console, its JSON
// writer and the update record are readers of this one story; none of them
// rebuilds it from the window's texts.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "platform/Win32Types.h"
#include "update/Outcomes.h"

namespace fwut {

namespace events {

struct UpdateBegan {
    int port = -1;  // the port chosen, before it is opened
    std::string firmwareFile;  // the HEX file's name, as the description file gives it
    std::string firmwareVersion;
    std::string device;  // a device named for a run that got no port; else the port's own
};
struct PortOpened {
    int port = -1;
};
struct RelayPrepared { };
struct ImageConverted {
    int pages = 0;
    std::string sha256;  // of the page image as it will be sent
};
struct WaitBegan { };
struct Poll {
    int number = 0;  // 1 for the first wake-up poll of this wait
};
struct ModuleAnswered { };
struct BootLoaderVersion {
    std::string version;  // the reply up to its carriage return, accepted or not
};
struct PageSent {
    int index = 0;  // 0 for the first page
    int count = 0;  // pages in the image
    int transmission = 1;  // 1 for the first, up to 5
};
struct PageAnswered {
    int index = 0;
    bool answered = false;  // false: no answer came in time, or none was awaited
    std::uint8_t answer = 0;  // '!' accepted, '@' rejected, else invalid; 0 when none came
};
// The adapter vanished or stopped taking bytes during the wait.
struct LineLost { };
struct Cancelled { };
struct Finished {
    UpdateOutcome outcome = UpdateOutcome::None;
    int pagesAccepted = 0;
    int rejections = 0;
    DWORD durationMs = 0;  // from the start to the outcome
};

}  // namespace events

using UpdateEvent =
    std::variant<events::UpdateBegan, events::PortOpened, events::RelayPrepared, events::ImageConverted,
                 events::WaitBegan, events::Poll, events::ModuleAnswered, events::BootLoaderVersion, events::PageSent,
                 events::PageAnswered, events::LineLost, events::Cancelled, events::Finished>;

class UpdateEventSink {
public:
    virtual ~UpdateEventSink() = default;
    virtual void OnUpdateEvent(const UpdateEvent& event) = 0;
};

}  // namespace fwut
