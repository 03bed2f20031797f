#include "app/UpdateRecord.h"

#include <ctime>
#include <nlohmann/json.hpp>

#include "app/ExitCodes.h"
#include "platform/RecordFile.h"
#include "ui/AboutDlg.h"

namespace fwut {

UpdateRecordWriter::UpdateRecordWriter(std::string path, std::string program, SerialCommKey& ports,
                                       PortDescriptions& descriptions, std::function<int(UpdateOutcome)> exitCodeOf)
    : m_path(std::move(path)), m_program(std::move(program)), m_ports(ports), m_descriptions(descriptions),
      m_exitCodeOf(std::move(exitCodeOf))
{
}

void UpdateRecordWriter::OnUpdateEvent(const UpdateEvent& event)
{
    if (const auto* began = std::get_if<events::UpdateBegan>(&event)) {
        m_began = *began;
        m_image = {};
        m_bootLoader.clear();
        m_device.clear();
        m_description.clear();
    } else if (std::holds_alternative<events::PortOpened>(event)) {
        // Now, while the device is there: an adapter may be gone by the end.
        m_device = m_ports.DevicePath(m_began.port);
        m_description = m_descriptions.Describe(m_began.port);
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
    // Texts from files and devices may hold any byte; the library escapes
    // them, and replaces what is not UTF-8 rather than failing.
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
        {"outcome", OutcomeKey(finished.outcome)},
        {"exit_code", m_exitCodeOf(finished.outcome)},
        {"pages_accepted", finished.pagesAccepted},
        {"rejections", finished.rejections},
        {"duration_ms", finished.durationMs},
    };
    m_problem.clear();
    files::AppendRecordLine(m_path, line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n",
                            m_problem);
}

std::unique_ptr<UpdateRecordWriter> RecordFromSettings(SettingsStore& settings, std::string program,
                                                       SerialCommKey& ports, PortDescriptions& descriptions)
{
    const std::string path = settings.GetProfileString("Settings", "RecordFile", "");
    if (path.empty()) {
        return nullptr;
    }
    return std::make_unique<UpdateRecordWriter>(path, std::move(program), ports, descriptions, cli::ExitCodeFor);
}

std::string UtcTimestamp()
{
    const std::time_t now = std::time(nullptr);
    char text[32] = {};
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", std::gmtime(&now));
    return text;
}

}  // namespace fwut
