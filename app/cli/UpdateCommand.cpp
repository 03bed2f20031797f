// fwut-cli update: the desktop program's own update, driven through a console
// window: the same dialog logic, the same settings, the same messages.
#include <csignal>
#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "app/FWUT_UpdateApp.h"
#include "app/cli/Commands.h"
#include "app/EventFanOut.h"
#include "app/UpdateRecord.h"
#include "app/cli/ConsoleOutput.h"
#include "app/cli/JsonOutput.h"
#include "app/ExitCodes.h"
#include "app/cli/InstalledPorts.h"
#include "app/cli/FailureHints.h"
#include "app/PortAdvice.h"
#include "platform/ConsoleSignals.h"
#include "platform/PlatformServices.h"
#include "app/cli/ConsoleWindow.h"
#include "app/Printable.h"
#include "resources/resource.h"
#include "ui/FWUT_UpdateDlg.h"

namespace fwut::cli {

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

// With --json, standard output carries JSON lines only.
bool g_jsonLines = false;

// All the update's text goes through the writer that never holds it up.
void Out(std::string text)
{
    if (!g_jsonLines) {
        ConsoleOutput::Instance().Print(std::move(text));
    }
}

// Something the user should know that changes no outcome.
void Warn(const std::string& text)
{
    if (g_jsonLines) {
        WriteJsonLine({{"event", "warning"}, {"text", text}});
    } else {
        Out(text + "\n");
    }
}

void Err(std::string text)
{
    ConsoleOutput::Instance().Print(std::move(text), true);
}
CFWUT_UpdateDlg* g_dialog = nullptr;

void OnInterruptRequest()
{
    g_interrupted = 1;
    // A transfer blocks the loop; it checks this flag at its next wait.
    if (g_dialog != nullptr) {
        g_dialog->RequestInterrupt();
    }
}

const char* OutcomeName(int exitCode)
{
    switch (exitCode) {
    case kExitSuccess:
        return "succeeded";
    case kExitFirmwareFile:
        return "firmware file problem";
    case kExitPortNotOpened:
        return "serial port not usable";
    case kExitNoResponse:
        return "no response";
    case kExitInvalidVersionResponse:
        return "invalid version response";
    case kExitNoReadyResponse:
        return "no ready response";
    case kExitInvalidReadyResponse:
        return "invalid ready response";
    case kExitTemporaryFile:
        return "temporary image problem";
    case kExitCancelled:
        return "cancelled";
    case kExitInterrupted:
        return "interrupted";
    default:
        return "internal error";
    }
}

// The settings as the update writes them: it keeps a COM number that a
// device got for this run only out of the store, and remembers why the port
// of a successful update could not be saved.
class WatchedSettings final : public SettingsStore {
public:
    WatchedSettings(SettingsStore& store, bool portIsForThisRun) : m_store(store), m_portIsForThisRun(portIsForThisRun)
    {
    }

    int GetProfileInt(const char* section, const char* entry, int defaultValue) override
    {
        return m_store.GetProfileInt(section, entry, defaultValue);
    }

    bool WriteProfileInt(const char* section, const char* entry, int value) override
    {
        m_writeFailed = true;
        if (m_portIsForThisRun) {
            m_problem = "COM" + std::to_string(value) + " is the device's number for this run only";
            return false;
        }
        m_writeFailed = !m_store.WriteProfileInt(section, entry, value);
        m_problem = m_writeFailed ? m_store.LastWriteProblem() : std::string();
        return !m_writeFailed;
    }

    std::string LastWriteProblem() const override { return m_problem; }

    std::string GetProfileString(const char* section, const char* entry, const std::string& defaultValue) override
    {
        return m_store.GetProfileString(section, entry, defaultValue);
    }

    // Whether the last update's write failed; forgets it for the next update.
    bool TakeWriteFailure() { return std::exchange(m_writeFailed, false); }

private:
    SettingsStore& m_store;
    bool m_portIsForThisRun;
    bool m_writeFailed = false;
    std::string m_problem;
};

// The JSON output's outcome line carries the hint instead.
void PrintHint(int exitCode)
{
    if (const char* hint = FailureHint(exitCode)) {
        Out("Hint: " + std::string(hint) + "\n");
    }
}

// An update that could not begin: no dialog outcome to tell, so it is told here.
void EndBeforeBegin(int exitCode)
{
    if (g_jsonLines) {
        const char* hint = FailureHint(exitCode);
        WriteJsonLine({{"event", "outcome"},
                       {"outcome", exitCode == kExitFirmwareFile ? "firmware-file-problem" : "port-not-opened"},
                       {"exit_code", exitCode},
                       {"pages_accepted", 0},
                       {"rejections", 0},
                       {"duration_ms", 0},
                       {"hint", hint != nullptr ? hint : ""}});
    }
    PrintHint(exitCode);
}

std::string WithTrailingSlash(std::string folder)
{
    if (folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

// Why "Begin Update" cannot be pressed, as an exit code; 0 when it can.
int CheckStartPossible(CFWUT_UpdateDlg& dialog, ConsoleWindow& window, int requestedPort)
{
    if (requestedPort != -1 && dialog.SelectedPort() != requestedPort) {
        Err("fwut-cli: COM" + std::to_string(requestedPort) +
            " is not an installed port ('fwut-cli ports' lists them).\n");
        return kExitPortNotOpened;
    }
    if (window.IsEnabled(IDC_BEGIN_UPDATE)) {
        return kExitSuccess;
    }
    if (dialog.m_firmwareFileName.empty()) {
        Err("fwut-cli: no usable firmware in the firmware folder.\n");
        return kExitFirmwareFile;
    }
    Err("fwut-cli: no serial port to use ('fwut-cli ports' lists them).\n");
    return kExitPortNotOpened;
}

class UpdateRun {
public:
    UpdateRun(CFWUT_UpdateDlg& dialog, ConsoleWindow& window, PlatformServices& services, WatchedSettings& settings,
              const UpdateOptions& options, UpdateRecordWriter* record, bool& lineLost)
        : m_dialog(dialog), m_window(window), m_services(services), m_settings(settings), m_options(options),
          m_record(record), m_lineLost(lineLost)
    {
    }

    // One press of "Begin Update", to its outcome; returns the exit code.
    int UpdateOnce()
    {
        m_window.Click(IDC_BEGIN_UPDATE);
        bool waitBegan = false;
        m_lineLost = false;
        DWORD waitStart = 0;
        TickClock& clock = m_services.Clock();
        m_window.RunUntil(
            [&] { return !m_dialog.IsWaitingForModule() && !m_dialog.HasPostedMessages(); },
            [&] {
                // A queued message (a failed conversion's cancel, the module's answer) comes first.
                if (!m_dialog.IsWaitingForModule() || m_dialog.HasPostedMessages()) {
                    return;
                }
                if (g_interrupted) {
                    m_window.Click(IDC_BEGIN_UPDATE);
                    return;
                }
                if (!waitBegan) {
                    waitBegan = true;
                    waitStart = clock.GetTickCount();
                }
                if (m_dialog.m_serialPort.IsLineLost()) {
                    Err("fwut-cli: the serial line has gone: the adapter was unplugged, or "
                        "it takes no more bytes.\n");
                    m_lineLost = true;
                    if (g_jsonLines) {
                        WriteJsonLine({{"event", "line-lost"}});
                    }
                    m_window.Click(IDC_BEGIN_UPDATE);
                    return;
                }
                const DWORD limitMs = static_cast<DWORD>(m_options.waitTimeoutSeconds) * 1000;
                if (limitMs != 0 && clock.GetTickCount() - waitStart >= limitMs) {
                    Out(Format("No answer from the module within %d s: cancelling.\n", m_options.waitTimeoutSeconds));
                    m_window.Click(IDC_BEGIN_UPDATE);
                }
            });
        const UpdateOutcome outcome = m_dialog.LastOutcome();
        if (outcome == UpdateOutcome::PortNotOpened) {
            SerialApi& serial = m_services.Serial();
            Err(Printable(PortOpenAdvice(serial.GetLastError(), serial.LastErrorText(),
                                         m_services.InstalledPorts().DevicePath(m_dialog.SelectedPort())),
                          true) +
                "\n");
        }
        if (m_settings.TakeWriteFailure() && outcome == UpdateOutcome::Succeeded) {
            Warn("The port is not saved as the port of the last update: " + Printable(m_settings.LastWriteProblem()) +
                 ".");
        }
        if (m_record != nullptr && !m_record->LastProblem().empty()) {
            Warn("The update record " + Printable(m_record->Path()) +
                 " was not written: " + Printable(m_record->LastProblem()) + ".");
        }
        const int exitCode = m_lineLost ? kExitPortNotOpened : ExitCodeFor(outcome);
        PrintHint(exitCode);
        return exitCode;
    }

    // Updates one module after another; the exit code is 0 only when every one succeeded.
    int UpdateRepeatedly()
    {
        std::map<int, int> tally;
        int worst = kExitSuccess;
        int count = 0;
        for (int number = 1; m_options.repeat == 0 || number <= m_options.repeat; ++number) {
            if (m_options.repeat == 0) {
                Out(Format("\nUpdate %d\n", number));
            } else {
                Out(Format("\nUpdate %d of %d\n", number, m_options.repeat));
            }
            const int code = UpdateOnce();
            ++tally[code];
            ++count;
            worst = code == kExitSuccess ? worst : code;
            Out(Format("Update %d ended: %s (exit code %d).\n", number, OutcomeName(code), code));
            if (g_interrupted || code == kExitPortNotOpened || code == kExitFirmwareFile ||
                code == kExitTemporaryFile || !m_window.IsEnabled(IDC_BEGIN_UPDATE)) {
                break;
            }
        }
        std::string line = Format("\n%d update%s:", count, count == 1 ? "" : "s");
        const char* separator = " ";
        for (const auto& [code, times] : tally) {
            line += Format("%s%d %s", separator, times, OutcomeName(code));
            separator = ", ";
        }
        Out(line + ".\n");
        return worst;
    }

private:
    CFWUT_UpdateDlg& m_dialog;
    ConsoleWindow& m_window;
    PlatformServices& m_services;
    WatchedSettings& m_settings;
    const UpdateOptions& m_options;
    UpdateRecordWriter* m_record;
    bool& m_lineLost;
};

}  // namespace

int RunUpdate(const UpdateOptions& options)
{
    g_jsonLines = options.json;
    if (g_jsonLines) {
        WriteJsonStart("update");
    }
    const auto services = CreatePlatformServices(kApplicationName);
    CFWUT_UpdateApp app;
    app.InitFromArguments({});
    if (!options.folder.empty()) {
        app.m_programDir = WithTrailingSlash(options.folder);
    }
    int port = options.port;
    bool portIsForThisRun = false;
    if (!options.device.empty()) {
        const MappedDevice mapped = services->MapDevice(options.device);
        if (mapped.port == -1) {
            Err("fwut-cli update: " + Printable(options.device) + ": " + mapped.problem + ".\n");
            EndBeforeBegin(kExitPortNotOpened);
            return kExitPortNotOpened;
        }
        port = mapped.port;
        portIsForThisRun = mapped.forThisRun;
        Out(Printable(options.device) + " is COM" + std::to_string(port) + (portIsForThisRun ? " for this run" : "") +
            ".\n");
    }
    // The window shows only the 22 lowest ports; the one this run uses is
    // shown alone, so that any installed port can be reached.
    const std::set<int> installed = InstalledPortNumbers(services->InstalledPorts());
    const int chosen = port != -1 ? port : services->Settings().GetProfileInt("Settings", "ComPort", -1);
    OnePortKey chosenPort(services->InstalledPorts(), chosen);
    SerialCommKey& shownPorts = installed.count(chosen) != 0 ? chosenPort : services->InstalledPorts();
    app.m_comPortOverride = static_cast<std::int8_t>(port);

    WatchedSettings settings(services->Settings(), portIsForThisRun);
    ConsoleWindow window(services->Clock(), ConsoleOutput::Instance(), console::IsTerminal(stdout), g_jsonLines);

    // The readers of each update's account: the console, the JSON lines, the record.
    bool lineLost = false;
    const auto exitCodeOf = [&lineLost](UpdateOutcome outcome) {
        return lineLost ? static_cast<int>(kExitPortNotOpened) : ExitCodeFor(outcome);
    };
    EventFanOut readers;
    readers.Add(window);
    JsonEventWriter jsonLines(services->InstalledPorts(), services->Descriptions(), exitCodeOf);
    if (g_jsonLines) {
        readers.Add(jsonLines);
    }
    const std::string recordPath = !options.recordFile.empty()
                                       ? options.recordFile
                                       : services->Settings().GetProfileString("Settings", "RecordFile", "");
    std::optional<UpdateRecordWriter> record;
    if (!recordPath.empty()) {
        record.emplace(recordPath, "fwut-cli", services->InstalledPorts(), services->Descriptions(), exitCodeOf);
        readers.Add(*record);
    }

    CFWUT_UpdateDlg dialog(window,
                           UpdateEnvironment{services->Serial(), services->Clock(), shownPorts, settings,
                                             services->Windows(), app.m_comPortOverride, kApplicationName, &readers});
    dialog.m_programDir = app.m_programDir;
    dialog.m_tempDir = app.m_tempDir;
    window.Attach(dialog);
    dialog.HandleMessage(WM_INITDIALOG, 0, 0);

    int exitCode = CheckStartPossible(dialog, window, port);
    if (exitCode == kExitSuccess) {
        g_dialog = &dialog;
        console::OnInterruptRequest(OnInterruptRequest);
        const int selected = dialog.SelectedPort();
        std::string device = services->InstalledPorts().DevicePath(selected);
        if (const std::string description = services->Descriptions().Describe(selected); !description.empty()) {
            device += ", " + description;
        }
        Out("Using COM" + std::to_string(selected) + " (" + Printable(device) + ").\n");
        UpdateRun run(dialog, window, *services, settings, options, record ? &*record : nullptr, lineLost);
        exitCode = options.repeat == 1 ? run.UpdateOnce() : run.UpdateRepeatedly();
        g_dialog = nullptr;
    } else {
        EndBeforeBegin(exitCode);
    }
    window.Click(IDCANCEL);
    dialog.HandleMessage(WM_DESTROY, 0, 0);
    return exitCode;
}

}  // namespace fwut::cli
