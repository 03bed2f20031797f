// fwut-cli update: the desktop program's own update, driven through a console
// window: the same dialog logic, the same settings, the same messages.
#include <csignal>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "app/DialogRun.h"
#include "app/FWUT_UpdateApp.h"
#include "app/PortAdvice.h"
#include "app/cli/Commands.h"
#include "app/cli/ConsoleOutput.h"
#include "app/cli/ConsoleWindow.h"
#include "app/cli/InstalledPorts.h"
#include "app/cli/JsonOutput.h"
#include "platform/ComPortName.h"
#include "platform/ConsoleSignals.h"
#include "platform/PlatformServices.h"
#include "platform/Printable.h"
#include "resources/resource.h"
#include "ui/FWUT_UpdateDlg.h"

namespace fwut::cli {

namespace {

volatile std::sig_atomic_t g_interrupted = 0;
CFWUT_UpdateDlg* g_dialog = nullptr;

// With --json, standard output carries JSON lines only.
bool g_jsonLines = false;

void Out(const std::string& text)
{
    if (!g_jsonLines) {
        ConsoleOutput::Instance().Print(text);
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

void Err(const std::string& text)
{
    ConsoleOutput::Instance().PrintError(text);
}

void OnInterruptRequest()
{
    g_interrupted = 1;
    // A transfer blocks the loop; it checks this flag at its next wait.
    if (g_dialog != nullptr) {
        g_dialog->RequestInterrupt();
    }
}

// The JSON output's outcome line carries the hint instead.
void PrintHint(UpdateOutcome outcome)
{
    if (const std::string hint = FactsOf(outcome).hint; !hint.empty()) {
        Out("Hint: " + hint + "\n");
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
            m_problem = ComPortName(value) + " is the device's number for this run only";
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

    std::vector<std::string> ReadProblems() const override { return m_store.ReadProblems(); }

    // Whether the last update's write failed; forgets it for the next update.
    bool TakeWriteFailure() { return std::exchange(m_writeFailed, false); }

private:
    SettingsStore& m_store;
    bool m_portIsForThisRun;
    bool m_writeFailed = false;
    std::string m_problem;
};

std::string WithTrailingSlash(std::string folder)
{
    if (folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

// Why "Begin Update" cannot be pressed, as an outcome; None when it can.
UpdateOutcome StartProblem(CFWUT_UpdateDlg& dialog, ConsoleWindow& window, int requestedPort)
{
    if (requestedPort != -1 && dialog.SelectedPort() != requestedPort) {
        Err("fwut-cli: " + ComPortName(requestedPort) + " is not an installed port ('fwut-cli ports' lists them).\n");
        return UpdateOutcome::PortNotOpened;
    }
    if (window.IsEnabled(IDC_BEGIN_UPDATE)) {
        return UpdateOutcome::None;
    }
    if (dialog.m_firmwareFileName.empty()) {
        Err("fwut-cli: no usable firmware in the firmware folder.\n");
        return UpdateOutcome::FirmwareFileProblem;
    }
    Err("fwut-cli: no serial port to use ('fwut-cli ports' lists them).\n");
    return UpdateOutcome::PortNotOpened;
}

void WarnIfNotRecorded(DialogRun& run)
{
    if (const UpdateRecordWriter* record = run.Record(); record != nullptr && !record->LastProblem().empty()) {
        Warn("The update record " + Printable(record->Path()) +
             " was not written: " + Printable(record->LastProblem()) + ".");
    }
}

// An update that could not begin is told like any other, so that its
// outcome reaches the JSON lines and the record as well.
int EndBeforeBegin(DialogRun& run, UpdateOutcome outcome, int port, const std::string& device)
{
    const CFWUT_UpdateDlg& dialog = run.Dialog();
    run.Readers().OnUpdateEvent(events::UpdateBegan{port, dialog.m_firmwareFileName, dialog.m_firmwareVersion, device});
    run.Readers().OnUpdateEvent(events::Finished{outcome, 0, 0, 0});
    WarnIfNotRecorded(run);
    PrintHint(outcome);
    return FactsOf(outcome).exitCode;
}

class UpdateRun {
public:
    UpdateRun(DialogRun& run, ConsoleWindow& window, PlatformServices& services, WatchedSettings& settings,
              const UpdateOptions& options)
        : m_run(run), m_dialog(run.Dialog()), m_window(window), m_services(services), m_settings(settings),
          m_options(options)
    {
    }

    // One press of "Begin Update", to its outcome; returns the outcome.
    UpdateOutcome UpdateOnce()
    {
        m_window.Click(IDC_BEGIN_UPDATE);
        bool waitBegan = false;
        DWORD waitStart = 0;
        TickClock& clock = m_services.Clock();
        m_window.RunUntil([&] { return !m_dialog.IsWaitingForModule() && !m_dialog.HasPostedMessages(); },
                          [&] {
                              // A queued message (a failed conversion's cancel, the module's answer) comes first.
                              if (!m_dialog.IsWaitingForModule() || m_dialog.HasPostedMessages()) {
                                  return;
                              }
                              if (!waitBegan) {
                                  waitBegan = true;
                                  waitStart = clock.GetTickCount();
                              }
                              WatchTheWait(clock.GetTickCount() - waitStart);
                          });
        const UpdateOutcome outcome = m_dialog.LastOutcome();
        TellWhatFollows(outcome);
        PrintHint(outcome);
        return outcome;
    }

    // Updates one module after another; the exit code is 0 only when every one succeeded.
    int UpdateRepeatedly()
    {
        std::map<std::string, int> tally;
        int worst = kExitSuccess;
        int count = 0;
        for (int number = 1; m_options.repeat == 0 || number <= m_options.repeat; ++number) {
            if (m_options.repeat == 0) {
                Out(Format("\nUpdate %d\n", number));
            } else {
                Out(Format("\nUpdate %d of %d\n", number, m_options.repeat));
            }
            const OutcomeFacts& outcome = FactsOf(UpdateOnce());
            ++tally[outcome.name];
            ++count;
            worst = outcome.exitCode == kExitSuccess ? worst : outcome.exitCode;
            Out(Format("Update %d ended: %s (exit code %d).\n", number, outcome.name, outcome.exitCode));
            if (g_interrupted || outcome.exitCode == kExitPortNotOpened || outcome.exitCode == kExitFirmwareFile ||
                outcome.exitCode == kExitTemporaryFile || !m_window.IsEnabled(IDC_BEGIN_UPDATE)) {
                break;
            }
        }
        std::string line = Format("\n%d update%s:", count, count == 1 ? "" : "s");
        const char* separator = " ";
        for (const auto& [name, times] : tally) {
            line += Format("%s%d %s", separator, times, name.c_str());
            separator = ", ";
        }
        Out(line + ".\n");
        return worst;
    }

private:
    // Ctrl-C or the time limit ends the wait with "Cancel Update"; a lost line ends it in the dialog.
    void WatchTheWait(DWORD waitedMs)
    {
        if (g_interrupted) {
            m_window.Click(IDC_BEGIN_UPDATE);
            return;
        }
        const DWORD limitMs = static_cast<DWORD>(m_options.waitTimeoutSeconds) * 1000;
        if (limitMs != 0 && waitedMs >= limitMs) {
            Out(Format("No answer from the module within %d s: cancelling.\n", m_options.waitTimeoutSeconds));
            m_window.Click(IDC_BEGIN_UPDATE);
        }
    }

    void TellWhatFollows(UpdateOutcome outcome)
    {
        if (outcome == UpdateOutcome::PortNotOpened) {
            SerialApi& serial = m_services.Serial();
            Err(PortOpenAdvice(serial.GetLastError(), serial.LastErrorText(),
                               m_services.InstalledPorts().DevicePath(m_dialog.SelectedPort())) +
                "\n");
        }
        if (m_settings.TakeWriteFailure() && outcome == UpdateOutcome::Succeeded) {
            Warn("The port is not saved as the port of the last update: " + Printable(m_settings.LastWriteProblem()) +
                 ".");
        }
        WarnIfNotRecorded(m_run);
    }

    DialogRun& m_run;
    CFWUT_UpdateDlg& m_dialog;
    ConsoleWindow& m_window;
    PlatformServices& m_services;
    WatchedSettings& m_settings;
    const UpdateOptions& m_options;
};

}  // namespace

int RunUpdate(const UpdateOptions& options)
{
    g_jsonLines = options.json;
    ConsoleOutput::Instance().Use(ConsoleOutput::Policy::Unblocking, g_jsonLines);
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
    MappedDevice mapped;
    if (!options.device.empty()) {
        mapped = services->MapDevice(options.device);
        port = mapped.port;
    }
    // The window shows only the 22 lowest ports; the one this run uses is
    // shown alone, so that any installed port can be reached.
    const std::set<int> installed = InstalledPortNumbers(services->InstalledPorts());
    const int chosen =
        port != -1 ? port : services->Settings().GetProfileInt(settings::kSection, settings::kComPort, -1);
    OnePortKey chosenPort(services->InstalledPorts(), chosen);
    app.m_comPortOverride = static_cast<std::int8_t>(port);

    WatchedSettings settings(services->Settings(), mapped.forThisRun);
    JsonEventWriter jsonLines(services->InstalledPorts(), services->Descriptions());
    ConsoleWindow window(services->Clock(), ConsoleOutput::Instance(), console::IsTerminal(stdout),
                         g_jsonLines ? &jsonLines : nullptr);
    DialogRun::Parts parts("fwut-cli", kApplicationName);
    parts.shownPorts = installed.count(chosen) != 0 ? &chosenPort : &services->InstalledPorts();
    parts.settings = &settings;
    parts.readers = {&window};
    parts.recordPath = options.recordFile;
    if (g_jsonLines) {
        parts.readers.push_back(&jsonLines);
    }
    DialogRun run(window, *services, app, parts);
    for (const std::string& problem : settings.ReadProblems()) {
        Warn(problem);
    }
    CFWUT_UpdateDlg& dialog = run.Dialog();

    int exitCode = kExitSuccess;
    if (!options.device.empty() && mapped.port == -1) {
        Err("fwut-cli update: " + Printable(options.device) + ": " + mapped.problem + ".\n");
        exitCode = EndBeforeBegin(run, UpdateOutcome::PortNotOpened, -1, options.device);
    } else {
        if (!options.device.empty()) {
            Out(Printable(options.device) + " is " + ComPortName(port) + (mapped.forThisRun ? " for this run" : "") +
                ".\n");
        }
        dialog.HandleMessage(WM_INITDIALOG, 0, 0);
        if (const UpdateOutcome problem = StartProblem(dialog, window, port); problem != UpdateOutcome::None) {
            exitCode = EndBeforeBegin(run, problem, port, options.device);
        } else {
            g_dialog = &dialog;
            console::OnInterruptRequest(OnInterruptRequest);
            const int selected = dialog.SelectedPort();
            std::string device = services->InstalledPorts().DevicePath(selected);
            if (const std::string description = services->Descriptions().Describe(selected); !description.empty()) {
                device += ", " + description;
            }
            Out("Using " + ComPortName(selected) + " (" + Printable(device) + ").\n");
            UpdateRun updates(run, window, *services, settings, options);
            exitCode = options.repeat == 1 ? FactsOf(updates.UpdateOnce()).exitCode : updates.UpdateRepeatedly();
            g_dialog = nullptr;
        }
    }
    window.Click(IDCANCEL);
    dialog.HandleMessage(WM_DESTROY, 0, 0);
    return exitCode;
}

}  // namespace fwut::cli
