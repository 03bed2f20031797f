// The update record: one JSON line per update, whatever its outcome (one that
// could not begin included), appended to a file the user names, so that
// support can tell what was flashed into which module, when and with what
// result.
#pragma once

#include <memory>
#include <string>

#include "platform/PortDescriptions.h"
#include "platform/SerialCommKey.h"
#include "platform/SettingsStore.h"
#include "update/UpdateEvents.h"

namespace fwut {

class UpdateRecordWriter final : public UpdateEventSink {
public:
    UpdateRecordWriter(std::string path, std::string program, SerialCommKey& ports, PortDescriptions& descriptions);

    void OnUpdateEvent(const UpdateEvent& event) override;

    // Why the last update's line could not be written; empty after a success.
    const std::string& LastProblem() const { return m_problem; }
    const std::string& Path() const { return m_path; }

private:
    void NoteDevice(int port);
    void Append(const events::Finished& finished);

    std::string m_path;
    std::string m_program;
    SerialCommKey& m_ports;
    PortDescriptions& m_descriptions;
    std::string m_problem;
    // What this update has told so far.
    events::UpdateBegan m_began;
    events::ImageConverted m_image;
    std::string m_bootLoader;
    std::string m_device;
    std::string m_description;
};

// The record the settings ask for (a path in "Settings", "RecordFile"); none
// when the setting is unset or cannot be used (the settings' ReadProblems()
// then say why).
std::unique_ptr<UpdateRecordWriter> RecordFromSettings(SettingsStore& settings, std::string program,
                                                       SerialCommKey& ports, PortDescriptions& descriptions);

// The UTC time as ISO 8601 ("2026-12-08T10:32:05Z").
std::string UtcTimestamp();

}  // namespace fwut
