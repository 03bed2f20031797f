// fwut-cli history: the update record as a table, newest last, and a tally
// by outcome; with --json, the record's lines as they are.
#include <cstdio>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <string>

#include "app/ExitCodes.h"
#include "app/Printable.h"
#include "app/cli/Commands.h"
#include "app/cli/ConsoleOutput.h"
#include "app/cli/JsonOutput.h"
#include "platform/PlatformServices.h"
#include "app/FWUT_UpdateApp.h"

namespace fwut::cli {

namespace {

using nlohmann::json;

// A record line's field; one of another type (a line edited by hand, or
// from another program) counts as missing instead of ending the command.
std::string TextField(const json& update, const char* key, const char* missing = "")
{
    const auto field = update.find(key);
    return field != update.end() && field->is_string() ? field->get<std::string>() : std::string(missing);
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
    return Format("%-20s  %-6s  %-16.16s  %4lld/%-4lld  %6.1f s  %s", text("time").c_str(), port.c_str(),
                  text("firmware_version").c_str(), number("pages_accepted"), number("pages"),
                  static_cast<double>(number("duration_ms")) / 1000.0,
                  Printable(TextField(update, "outcome", "unknown")).c_str());
}

}  // namespace

int RunHistory(const std::string& recordFile, bool asJson)
{
    std::string path = recordFile;
    if (path.empty()) {
        const auto services = CreatePlatformServices(kApplicationName);
        path = services->Settings().GetProfileString("Settings", "RecordFile", "");
    }
    if (path.empty()) {
        std::fputs("fwut-cli history: no record: name its file, or set RecordFile in the settings.\n", stderr);
        return kExitUsage;
    }
    std::ifstream record(path, std::ios::binary);
    if (!record) {
        std::fprintf(stderr, "fwut-cli history: cannot read %s.\n", Printable(path).c_str());
        return kExitFirmwareFile;
    }
    if (asJson) {
        WriteJsonStart("history");
    } else {
        ConsoleOutput::Instance().Print(Format("%-20s  %-6s  %-16s  %9s  %8s  %s\n", "time (UTC)", "port", "firmware",
                                               "pages", "duration", "outcome"));
    }
    std::map<std::string, int> tally;
    int count = 0;
    int unreadable = 0;
    for (std::string line; std::getline(record, line);) {
        const json update = json::parse(line, nullptr, false);
        if (!update.is_object()) {
            ++unreadable;
            continue;
        }
        ++count;
        ++tally[TextField(update, "outcome", "unknown")];
        ConsoleOutput::Instance().Print((asJson ? line : Row(update)) + "\n");
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
    ConsoleOutput::Instance().Print(summary + "\n");
    return kExitSuccess;
}

}  // namespace fwut::cli
