// fwut-cli: the firmware update and its file tools, without a window.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <map>
#include <sstream>
#include <string>

#include "app/Version.h"
#include "app/cli/Commands.h"
#include "app/cli/ConsoleOutput.h"
#include "platform/PlatformServices.h"
#include "platform/ProgramStart.h"
#include "platform/SystemText.h"
#include "update/Outcomes.h"

namespace {

using namespace fwut;
using namespace fwut::cli;

// An unset shell variable must not quietly become "no device" or "the
// program's folder".
const CLI::Validator
    kNotEmpty([](const std::string& value) { return value.empty() ? std::string("must not be empty") : std::string(); },
              "NOT EMPTY");

// Numbers are read as decimal digits only: CLI11 alone would take "010" as
// octal 8 and "0x21" as 33, and so update the module on another port.
// Leading zeros are dropped here, so that they mean nothing.
const CLI::Validator kDecimal(
    [](std::string& value) {
        if (value.empty() || value.find_first_not_of("0123456789") != std::string::npos) {
            return std::string("must be a decimal number (only the digits 0 to 9)");
        }
        value.erase(0, std::min(value.find_first_not_of('0'), value.size() - 1));
        return std::string();
    },
    "DECIMAL");

// The exit codes as --help lists them: the names of the outcomes each code
// ends, from the one table of outcomes, and the codes that end no update.
std::string ExitCodeHelp()
{
    std::map<int, std::string> meanings = {
        {kExitInternalError, "internal error"},
        {kExitUsage, "usage error; history: no record named and none set"},
        {kExitOutputNotWritten, "check, ports, history, convert: the output could not be written"},
        {kExitRecordNotRead, "history: the update record could not be read"},
    };
    for (const OutcomeFacts& facts : AllOutcomes()) {
        if (facts.outcome != UpdateOutcome::None) {
            std::string& meaning = meanings[facts.exitCode];
            meaning += (meaning.empty() ? "" : ", ") + std::string(facts.name);
        }
    }
    meanings[kExitTemporaryFile] += "; convert: the image file could not be written";
    meanings[kExitInterrupted] += "; convert, check: stopped, no file changed";
    std::string help = "Exit codes:\n";
    for (const auto& [code, meaning] : meanings) {
        help += Format("  %2d  %s\n", code, meaning.c_str());
    }
    return help;
}

void AddUpdate(CLI::App& app, UpdateOptions& options)
{
    CLI::App* update = app.add_subcommand(
        "update",
        "Writes the firmware named by DIR/FieldGatherer_MM_Psion.txt into the module behind the relay. "
        "Without --port or --device, the port of the last successful update is used, else the lowest "
        "installed one. Ctrl-C cancels the wait for the module, or ends a transfer as a failure.");
    CLI::Option* port = update->add_option("--port", options.port, "COM port number N (1 to 100)")
                            ->type_name("N")
                            ->transform(kDecimal)
                            ->check(CLI::Range(1, 100));
    CLI::Option* device = update->add_option("--device", options.device, "a serial device such as /dev/ttyUSB0 (Linux)")
                              ->type_name("PATH")
                              ->check(kNotEmpty)
                              ->check(CLI::Validator([](const std::string&) { return DevicePathsRefused(); }, ""));
    port->excludes(device);
    update->add_option("--dir", options.folder, "the firmware folder (default: the program's folder)")
        ->type_name("DIR")
        ->check(kNotEmpty);
    update
        ->add_option("--wait-timeout", options.waitTimeoutSeconds,
                     "cancel a wait for the module that lasts longer than S seconds")
        ->type_name("S")
        ->transform(kDecimal)
        ->check(CLI::Range(1, 86400));
    update
        ->add_option("--repeat", options.repeat,
                     "update N modules one after another, each when it answers (0: until Ctrl-C; at most 1000000)")
        ->type_name("N")
        ->transform(kDecimal)
        ->check(CLI::Range(0, 1000000));
    update->add_flag("--json", options.json,
                     "JSON lines on standard output, one object per event (docs/json-output.md)");
    update
        ->add_option("--record", options.recordFile,
                     "append one JSON line per finished update to FILE (default: the setting RecordFile, if any)")
        ->type_name("FILE")
        ->check(kNotEmpty);
}

// The command that runs, and what it ends with; isUpdate says whether it
// was an update, whose output may be dropped.
int RunCommand(int argc, char** argv, bool& isUpdate)
{
    CLI::App app("Writes new firmware into a FieldGatherer Mobile Module through its radio relay.", "fwut-cli");
    app.set_version_flag("--version", fwut::VersionText("fwut-cli"));
    app.require_subcommand(1);
    app.footer(ExitCodeHelp());

    UpdateOptions update;
    AddUpdate(app, update);

    std::string hexPath;
    std::string imagePath;
    CLI::App* convert =
        app.add_subcommand("convert", "Converts an Intel HEX file into the paged image the boot loader takes.");
    convert->add_option("HEXFILE", hexPath, "the Intel HEX file")->required()->check(kNotEmpty);
    convert->add_option("IMAGEFILE", imagePath, "the image to write (never the HEX file itself)")
        ->required()
        ->check(kNotEmpty);

    std::string folder;
    bool json = false;
    CLI::App* check = app.add_subcommand(
        "check", "Reads DIR's firmware description file, shows the firmware and converts it as a dry run.");
    check->add_option("DIR", folder, "the firmware folder")->required()->check(kNotEmpty);
    check->add_flag("--json", json, "JSON lines on standard output");

    CLI::App* ports = app.add_subcommand(
        "ports", "Lists the installed serial ports, their devices and what the system knows of them.");
    ports->add_flag("--json", json, "JSON lines on standard output");

    std::string recordFile;
    CLI::App* history =
        app.add_subcommand("history", "Shows the update record as a table, newest last, with a tally by outcome.");
    history->add_option("FILE", recordFile, "the record (default: the setting RecordFile)")->check(kNotEmpty);
    history->add_flag("--json", json, "the record's updates as JSON lines, after a start line");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        // Its messages repeat the arguments, which may hold any byte.
        std::ostringstream out;
        std::ostringstream err;
        const int code = app.exit(error, out, err);
        ConsoleOutput::Instance().Print(out.str());
        ConsoleOutput::Instance().PrintError(err.str());
        return code == 0 ? kExitSuccess : kExitUsage;
    }
    if (*convert) {
        return RunConvert(hexPath, imagePath);
    }
    if (*check) {
        return RunCheck(folder, json);
    }
    if (*ports) {
        return RunPorts(json);
    }
    if (*history) {
        return RunHistory(recordFile, json);
    }
    isUpdate = true;
    return RunUpdate(update);
}

}  // namespace

int main(int argc, char** argv)
{
    fwut::program::Start();
    if (const auto position = fwut::text::ArgumentTheCodePageCannotHold(); position && *position < argc) {
        // The path the program got names another file: refused before anything
        // is opened. The text it got is not the one given, so it is not quoted.
        ConsoleOutput::Instance().PrintError("fwut-cli: argument " + std::to_string(*position) +
                                             " holds characters that this system's code page cannot hold; use a "
                                             "name without them.\n");
        return fwut::kExitUsage;
    }
    bool isUpdate = false;
    int exitCode = RunCommand(argc, argv, isUpdate);
    // An update's outcome and its hint are the last text; a reader that
    // takes none of it keeps the program no longer than this, and the
    // update's exit code stays its outcome's (the module got what it says),
    // with a short wait for the note. The other commands have written
    // everything by now, or say that they could not.
    constexpr unsigned kFinalOutputWaitMs = 2000;
    constexpr unsigned kNoteWaitMs = 200;
    ConsoleOutput& output = ConsoleOutput::Instance();
    if (!output.Finish(kFinalOutputWaitMs)) {
        output.PrintError("fwut-cli: the output could not be written: " + output.Problem() + ".\n");
        if (isUpdate) {
            output.Finish(kNoteWaitMs);
        } else if (exitCode == kExitSuccess) {
            exitCode = kExitOutputNotWritten;
        }
    }
    return exitCode;
}
