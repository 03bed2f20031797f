// fwut-cli history: the update record as a table, newest last, and a tally
// by outcome; with --json, the record's updates written anew as JSON lines,
// each an "update-record" event.
// Only what parses as one JSON object, and nothing after it, is an update;
// any other line is counted as unreadable.
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "app/FWUT_UpdateApp.h"
#include "app/JsonText.h"
#include "app/cli/Commands.h"
#include "app/cli/ConsoleOutput.h"
#include "app/cli/JsonOutput.h"
#include "platform/Files.h"
#include "platform/PlatformServices.h"
#include "platform/Printable.h"
#include "platform/SystemText.h"
#include "update/Outcomes.h"

namespace fwut::cli {

namespace {

using nlohmann::json;

// A record may grow for years; beyond this it is no record of this program's.
constexpr std::size_t kMaxRecordBytes = std::size_t{1} << 30;
// A record line is flat. A line nested deeper is no update of ours, and is
// refused before it is parsed: the parser's memory grows with the depth.
constexpr int kMaxDepth = 16;

// A record line's field; one of another type (a line edited by hand, or
// from another program) counts as missing instead of ending the command.
std::string TextField(const json& update, const char* key, const char* missing = "")
{
    const auto field = update.find(key);
    return field != update.end() && field->is_string() ? text::Utf8ToSystem(field->get<std::string>())
                                                       : std::string(missing);
}

long long NumberField(const json& update, const char* key)
{
    const auto field = update.find(key);
    return field != update.end() && field->is_number_integer() ? field->get<long long>() : 0;
}

// One table row of a record line.
std::string Row(const json& update)
{
    const auto text = [&](const char* key) { return Printable(TextField(update, key)); };
    const auto number = [&](const char* key) { return NumberField(update, key); };
    const long long portNumber = number("port");
    const std::string port = portNumber > 0 ? "COM" + std::to_string(portNumber) : "-";
    return Format("%-20s  %-6s  %-16.16s  %4lld/%-4lld  %6.1f s  %s\n", text("time").c_str(), port.c_str(),
                  text("firmware_version").c_str(), number("pages_accepted"), number("pages"),
                  static_cast<double>(number("duration_ms")) / 1000.0,
                  Printable(TextField(update, "outcome", "unknown")).c_str());
}

// Whether the brackets of a JSON text, outside its strings, nest deeper than limit.
bool NestsDeeperThan(std::string_view line, int limit)
{
    int depth = 0;
    bool inString = false;
    bool escaped = false;
    for (const char c : line) {
        if (inString) {
            inString = escaped || c != '"';
            escaped = !escaped && c == '\\';
        } else if (c == '"') {
            inString = true;
        } else if ((c == '[' || c == '{') && ++depth > limit) {
            return true;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return false;
}

// The update a line holds, or a discarded value. A NUL byte or anything but
// blanks after the object makes the line unreadable.
json ParseLine(std::string_view line)
{
    if (line.find('\0') != std::string_view::npos || NestsDeeperThan(line, kMaxDepth)) {
        return json(json::value_t::discarded);
    }
    json update = json::parse(line.begin(), line.end(), nullptr, false);
    return update.is_object() ? update : json(json::value_t::discarded);
}

// The record's path: named, or from the settings.
std::string RecordPath(const std::string& named)
{
    if (!named.empty()) {
        return named;
    }
    const auto services = CreatePlatformServices(kApplicationName);
    SettingsStore& settings = services->Settings();
    const std::string path = settings.GetProfileString(settings::kSection, settings::kRecordFile, "");
    for (const std::string& problem : settings.ReadProblems()) {
        ConsoleOutput::Instance().PrintError("fwut-cli history: " + problem + "\n");
    }
    return path;
}

}  // namespace

int RunHistory(const std::string& recordFile, bool asJson)
{
    ConsoleOutput& out = ConsoleOutput::Instance();
    const std::string path = RecordPath(recordFile);
    if (path.empty()) {
        out.PrintError("fwut-cli history: no record: name its file, or set RecordFile in the settings.\n");
        return kExitUsage;
    }
    std::string text;
    std::string problem;
    if (!files::ReadPlainFile(path, kMaxRecordBytes, text, problem)) {
        out.PrintError("fwut-cli history: cannot read " + Printable(path) + ": " + problem + ".\n");
        return kExitRecordNotRead;
    }
    if (asJson) {
        WriteJsonStart("history");
    } else {
        out.Print(Format("%-20s  %-6s  %-16s  %9s  %8s  %s\n", "time (UTC)", "port", "firmware", "pages", "duration",
                         "outcome"));
    }
    std::map<std::string, int> tally;
    int count = 0;
    int unreadable = 0;
    int lineNumber = 0;
    for (std::size_t begin = 0; begin < text.size();) {
        const std::size_t end = std::min(text.find('\n', begin), text.size());
        json update = ParseLine(std::string_view(text).substr(begin, end - begin));
        begin = end + 1;
        ++lineNumber;
        if (update.is_discarded()) {
            ++unreadable;
            if (asJson) {
                WriteJsonLine({{"event", "unreadable-line"}, {"line", lineNumber}});
            }
            continue;
        }
        ++count;
        ++tally[TextField(update, "outcome", "unknown")];
        if (asJson) {
            update["event"] = "update-record";
            out.Print(JsonLineTextOfUtf8(update) + "\n");
        } else {
            out.Print(Row(update));
        }
    }
    if (asJson) {
        return kExitSuccess;
    }
    std::string summary = Format("\n%d update%s", count, count == 1 ? "" : "s");
    const char* separator = ": ";
    for (const auto& [outcome, times] : tally) {
        summary += separator + std::to_string(times) + " " + Printable(outcome);
        separator = ", ";
    }
    summary += ".";
    if (unreadable > 0) {
        summary += Format(" %d line%s not readable.", unreadable, unreadable == 1 ? "" : "s");
    }
    out.Print(summary + "\n");
    return kExitSuccess;
}

}  // namespace fwut::cli
