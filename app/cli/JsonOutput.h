// fwut-cli --json: every line on standard output is one JSON object with an
// "event" name (JSON Lines); the first line also carries the "schema"
// version. docs/json-output.md is the contract: names and meanings stay,
// fields may be added, a changed meaning raises kJsonSchema.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "platform/PortDescriptions.h"
#include "platform/SerialCommKey.h"
#include "update/UpdateEvents.h"

namespace fwut::cli {

inline constexpr int kJsonSchema = 2;

// Writes one line through the console writer.
void WriteJsonLine(const nlohmann::json& line);
// The first line of a command's output.
void WriteJsonStart(const std::string& command);

// The update's events as JSON lines, and the window's message boxes as
// "message" lines, each after the outcome of its update.
class JsonEventWriter final : public UpdateEventSink {
public:
    JsonEventWriter(SerialCommKey& ports, PortDescriptions& descriptions) : m_ports(ports), m_descriptions(descriptions)
    {
    }
    ~JsonEventWriter() override;

    void OnUpdateEvent(const UpdateEvent& event) override;
    // A message box; held until the outcome of its update is written.
    void Message(const std::string& caption, const std::string& text);

private:
    void WriteHeldMessages();

    SerialCommKey& m_ports;
    PortDescriptions& m_descriptions;
    bool m_outcomeWritten = false;
    std::vector<std::pair<std::string, std::string>> m_heldMessages;
};

}  // namespace fwut::cli
