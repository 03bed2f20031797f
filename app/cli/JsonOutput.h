// fwut-cli --json: every line on standard output is one JSON object with an
// "event" name (JSON Lines); the first line also carries the "schema"
// version. docs/json-output.md is the contract: names and meanings stay,
// fields may be added, a changed meaning raises kJsonSchema.
#pragma once

#include <functional>
#include <nlohmann/json.hpp>
#include <string>

#include "platform/PortDescriptions.h"
#include "platform/SerialCommKey.h"
#include "update/UpdateEvents.h"

namespace fwut::cli {

inline constexpr int kJsonSchema = 1;

// Writes one line through the console writer.
void WriteJsonLine(const nlohmann::json& line);
// The first line of a command's output.
void WriteJsonStart(const std::string& command);

// The update's events as JSON lines.
class JsonEventWriter final : public UpdateEventSink {
public:
    JsonEventWriter(SerialCommKey& ports, PortDescriptions& descriptions, std::function<int(UpdateOutcome)> exitCodeOf)
        : m_ports(ports), m_descriptions(descriptions), m_exitCodeOf(std::move(exitCodeOf))
    {
    }

    void OnUpdateEvent(const UpdateEvent& event) override;

private:
    SerialCommKey& m_ports;
    PortDescriptions& m_descriptions;
    std::function<int(UpdateOutcome)> m_exitCodeOf;
};

}  // namespace fwut::cli
