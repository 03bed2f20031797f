#include "app/UpdateRecord.h"

#include <ctime>
#include <nlohmann/json.hpp>

#include "app/JsonText.h"
#include "platform/Files.h"
#include "platform/SystemNames.h"
#include "ui/AboutDlg.h"

namespace fwut {

UpdateRecordWriter::UpdateRecordWriter(std::string path, std::string program, SerialCommKey& ports,
                                       PortDescriptions& descriptions)
    : m_path(std::move(path)), m_program(std::move(program)), m_ports(ports), m_descriptions(descriptions)
{
}

// Looked at when the port is chosen and again once it is open, while the
// device is there: an adapter may be gone by the end.
void UpdateRecordWriter::NoteDevice(int port)
{
    if (std::string device = m_ports.DevicePath(port); !device.empty()) {
        m_device = std::move(device);
        m_description = m_descriptions.Describe(port);
    }
}

void UpdateRecordWriter::OnUpdateEvent(const UpdateEvent& event)
{
    if (const auto* began = std::get_if<events::UpdateBegan>(&event)) {
        m_began = *began;
        m_image = {};
        m_bootLoader.clear();
        m_device.clear();
        m_description.clear();
        m_device = began->device;
        NoteDevice(began->port);
    } else if (std::holds_alternative<events::PortOpened>(event)) {
        NoteDevice(m_began.port);
    } else if (const auto* image = std::get_if<events::ImageConverted>(&event)) {
        m_image = *image;
    } else if (const auto* version = std::get_if<events::BootLoaderVersion>(&event)) {
        m_bootLoader = version->version;
    } else if (const auto* finished = std::get_if<events::Finished>(&event)) {
        Append(*finished);
    }
}

void UpdateRecordWriter::Append(const events::Finished& finished)
{
    const OutcomeFacts& outcome = FactsOf(finished.outcome);
    const nlohmann::json line = {
        {"event", "update-record"},
        {"time", UtcTimestamp()},
        {"host", files::HostName()},
        {"user", files::UserName()},
        {"program", m_program},
        {"version", kProgramVersion},
        {"port", m_began.port},
        {"device", m_device},
        {"description", m_description},
        {"firmware_file", m_began.firmwareFile},
        {"firmware_version", m_began.firmwareVersion},
        {"image_sha256", m_image.sha256},
        {"pages", m_image.pages},
        {"boot_loader", m_bootLoader},
        {"outcome", outcome.key},
        {"exit_code", outcome.exitCode},
        {"pages_accepted", finished.pagesAccepted},
        {"rejections", finished.rejections},
        {"duration_ms", finished.durationMs},
    };
    // Made readable by its user alone, and only in a folder of the user's:
    // root run with a user's HOME must not leave that user a record of root's.
    const files::NewFileRules rules{.privateToUser = true, .inOwnFolderOnly = true};
    files::AppendLine(m_path, JsonLineText(line), rules, m_problem);
}

std::unique_ptr<UpdateRecordWriter> RecordFromSettings(SettingsStore& settings, std::string program,
                                                       SerialCommKey& ports, PortDescriptions& descriptions)
{
    const std::string path = settings.GetProfileString(settings::kSection, settings::kRecordFile, "");
    if (path.empty()) {
        return nullptr;
    }
    return std::make_unique<UpdateRecordWriter>(path, std::move(program), ports, descriptions);
}

std::string UtcTimestamp()
{
    const std::time_t now = std::time(nullptr);
    char text[32] = {};
    std::tm utc{};
#ifdef _WIN32
    gmtime_s(&utc, &now);
#else
    gmtime_r(&now, &utc);
#endif
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

}  // namespace fwut
