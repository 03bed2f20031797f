#include "app/cli/JsonOutput.h"

#include "app/cli/ConsoleOutput.h"
#include "app/cli/FailureHints.h"
#include "ui/AboutDlg.h"

namespace fwut::cli {

namespace {

using nlohmann::json;

std::string AnswerName(std::uint8_t answer)
{
    switch (answer) {
    case '!':
        return "accepted";
    case '@':
        return "rejected";
    default:
        return "invalid";
    }
}

}  // namespace

void WriteJsonLine(const json& line)
{
    // Texts from files and devices may hold any byte: escaped, and what is
    // not UTF-8 replaced, rather than a failed or broken line.
    ConsoleOutput::Instance().Print(line.dump(-1, ' ', false, json::error_handler_t::replace) + "\n");
}

void WriteJsonStart(const std::string& command)
{
    WriteJsonLine({{"event", "start"},
                   {"schema", kJsonSchema},
                   {"program", "fwut-cli"},
                   {"version", kProgramVersion},
                   {"command", command}});
}

void JsonEventWriter::OnUpdateEvent(const UpdateEvent& event)
{
    const json line = std::visit(
        [this](const auto& e) -> json {
            using E = std::decay_t<decltype(e)>;
            if constexpr (std::is_same_v<E, events::UpdateBegan>) {
                return {{"event", "update-began"},
                        {"port", e.port},
                        {"firmware_file", e.firmwareFile},
                        {"firmware_version", e.firmwareVersion}};
            } else if constexpr (std::is_same_v<E, events::PortOpened>) {
                return {{"event", "port-opened"},
                        {"port", e.port},
                        {"device", m_ports.DevicePath(e.port)},
                        {"description", m_descriptions.Describe(e.port)}};
            } else if constexpr (std::is_same_v<E, events::RelayPrepared>) {
                return {{"event", "relay-prepared"}};
            } else if constexpr (std::is_same_v<E, events::ImageConverted>) {
                return {{"event", "image-converted"}, {"pages", e.pages}, {"sha256", e.sha256}};
            } else if constexpr (std::is_same_v<E, events::WaitBegan>) {
                return {{"event", "wait-began"}};
            } else if constexpr (std::is_same_v<E, events::Poll>) {
                return {{"event", "poll"}, {"number", e.number}};
            } else if constexpr (std::is_same_v<E, events::ModuleAnswered>) {
                return {{"event", "module-answered"}};
            } else if constexpr (std::is_same_v<E, events::BootLoaderVersion>) {
                return {{"event", "boot-loader-version"}, {"version", e.version}};
            } else if constexpr (std::is_same_v<E, events::PageSent>) {
                return {
                    {"event", "page-sent"}, {"index", e.index}, {"count", e.count}, {"transmission", e.transmission}};
            } else if constexpr (std::is_same_v<E, events::PageAnswered>) {
                return {{"event", "page-answered"},
                        {"index", e.index},
                        {"answer", AnswerName(e.answer)},
                        {"byte", e.answer}};
            } else if constexpr (std::is_same_v<E, events::Cancelled>) {
                return {{"event", "cancel"}};
            } else {
                const int exitCode = m_exitCodeOf(e.outcome);
                const char* hint = FailureHint(exitCode);
                return {{"event", "outcome"},
                        {"outcome", OutcomeKey(e.outcome)},
                        {"exit_code", exitCode},
                        {"pages_accepted", e.pagesAccepted},
                        {"rejections", e.rejections},
                        {"duration_ms", e.durationMs},
                        {"hint", hint != nullptr ? hint : ""}};
            }
        },
        event);
    WriteJsonLine(line);
}

}  // namespace fwut::cli
