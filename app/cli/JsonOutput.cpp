#include "app/cli/JsonOutput.h"

#include "app/JsonText.h"
#include "app/cli/ConsoleOutput.h"
#include "ui/AboutDlg.h"

namespace fwut::cli {

namespace {

using nlohmann::json;

std::string AnswerName(const events::PageAnswered& page)
{
    if (!page.answered) {
        return "none";
    }
    switch (page.answer) {
    case '!':
        return "accepted";
    case '@':
        return "rejected";
    default:
        return "invalid";
    }
}

json OutcomeLine(const events::Finished& finished)
{
    const OutcomeFacts& facts = FactsOf(finished.outcome);
    return {{"event", "outcome"},
            {"outcome", facts.key},
            {"exit_code", facts.exitCode},
            {"pages_accepted", finished.pagesAccepted},
            {"rejections", finished.rejections},
            {"duration_ms", finished.durationMs},
            {"hint", facts.hint}};
}

}  // namespace

void WriteJsonLine(const json& line)
{
    ConsoleOutput::Instance().Print(JsonLineText(line) + "\n");
}

void WriteJsonStart(const std::string& command)
{
    WriteJsonLine({{"event", "start"},
                   {"schema", kJsonSchema},
                   {"program", "fwut-cli"},
                   {"version", kProgramVersion},
                   {"command", command}});
}

JsonEventWriter::~JsonEventWriter()
{
    WriteHeldMessages();
}

void JsonEventWriter::Message(const std::string& caption, const std::string& text)
{
    m_heldMessages.emplace_back(caption, text);
    if (m_outcomeWritten) {
        WriteHeldMessages();
    }
}

void JsonEventWriter::WriteHeldMessages()
{
    for (const auto& [caption, text] : m_heldMessages) {
        WriteJsonLine({{"event", "message"}, {"caption", caption}, {"text", text}});
    }
    m_heldMessages.clear();
}

void JsonEventWriter::OnUpdateEvent(const UpdateEvent& event)
{
    const json line = std::visit(
        [this](const auto& e) -> json {
            using E = std::decay_t<decltype(e)>;
            if constexpr (std::is_same_v<E, events::UpdateBegan>) {
                m_outcomeWritten = false;
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
                return {{"event", "page-answered"}, {"index", e.index}, {"answer", AnswerName(e)}, {"byte", e.answer}};
            } else if constexpr (std::is_same_v<E, events::LineLost>) {
                return {{"event", "line-lost"}};
            } else if constexpr (std::is_same_v<E, events::Cancelled>) {
                return {{"event", "cancel"}};
            } else {
                return OutcomeLine(e);
            }
        },
        event);
    WriteJsonLine(line);
    if (std::holds_alternative<events::Finished>(event)) {
        m_outcomeWritten = true;
        WriteHeldMessages();
    }
}

}  // namespace fwut::cli
