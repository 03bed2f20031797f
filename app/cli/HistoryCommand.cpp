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

// One table row of a record line.
std::string Row(const json& update)
{
    const auto text = [&](const char* key) { return Printable(update.value(key, std::string())); };
    const auto number = [&](const char* key) { return update.value(key, 0); };
    std::string port = "COM" + std::to_string(number("port"));
    return Format("%-20s  %-6s  %-16.16s  %4d/%-4d  %6.1f s  %s", text("time").c_str(), port.c_str(),
                  text("firmware_version").c_str(), number("pages_accepted"), number("pages"),
                  number("duration_ms") / 1000.0, text("outcome").c_str());
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
        ++tally[update.value("outcome", std::string("unknown"))];
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
