// Hands each event of an update to several readers, in the order added.
#pragma once

#include <vector>

#include "update/UpdateEvents.h"

namespace fwut {

class EventFanOut final : public UpdateEventSink {
public:
    void Add(UpdateEventSink& sink) { m_sinks.push_back(&sink); }
    void OnUpdateEvent(const UpdateEvent& event) override
    {
        for (UpdateEventSink* sink : m_sinks) {
            sink->OnUpdateEvent(event);
        }
    }

private:
    std::vector<UpdateEventSink*> m_sinks;
};

}  // namespace fwut
