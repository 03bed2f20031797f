// fwut-cli update: the desktop program's own update, driven through a console
// window: the same dialog logic, the same settings, the same messages.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/FWUT_UpdateApp.h"
#include "app/cli/Commands.h"
#include "app/cli/ExitCodes.h"
#include "app/cli/PortAdvice.h"
#include "platform/ConsoleSignals.h"
#include "platform/PlatformServices.h"
#include "platform/console/ConsoleWindow.h"
#include "resources/resource.h"
#include "ui/FWUT_UpdateDlg.h"

namespace fwut::cli {

namespace {

struct UpdateOptions {
    int port = -1;
    std::string device;
    std::string folder;
    long waitTimeoutSeconds = -1;
};

volatile std::sig_atomic_t g_interrupted = 0;
CFWUT_UpdateDlg* g_dialog = nullptr;

void OnInterruptRequest()
{
    g_interrupted = 1;
    // A transfer blocks the loop; it checks this flag at its next wait.
    if (g_dialog != nullptr) {
        g_dialog->RequestInterrupt();
    }
}

bool ParseNumber(const std::string& text, long low, long high, long& value)
{
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, 10);
    return !text.empty() && *end == '\0' && value >= low && value <= high;
}

bool ParseOptions(const std::vector<std::string>& arguments, UpdateOptions& options)
{
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        if (i + 1 >= arguments.size()) {
            std::fprintf(stderr, "fwut-cli update: '%s' needs a value\n", option.c_str());
            return false;
        }
        const std::string& value = arguments[++i];
        long number = 0;
        if (option == "--port" && ParseNumber(value, 1, 100, number)) {
            options.port = static_cast<int>(number);
        } else if (option == "--device") {
            options.device = value;
        } else if (option == "--dir") {
            options.folder = value;
        } else if (option == "--wait-timeout" && ParseNumber(value, 1, 86400, number)) {
            options.waitTimeoutSeconds = number;
        } else {
            std::fprintf(stderr, "fwut-cli update: bad option '%s %s'\n", option.c_str(), value.c_str());
            return false;
        }
    }
    if (options.port != -1 && !options.device.empty()) {
        std::fputs("fwut-cli update: give --port or --device, not both\n", stderr);
        return false;
    }
    return true;
}

int ExitCodeFor(UpdateOutcome outcome)
{
    switch (outcome) {
    case UpdateOutcome::Succeeded: return kExitSuccess;
    case UpdateOutcome::PortNotOpened: return kExitPortNotOpened;
    case UpdateOutcome::FirmwareFileProblem:
    case UpdateOutcome::ConversionFailed: return kExitFirmwareFile;
    case UpdateOutcome::Cancelled: return kExitCancelled;
    case UpdateOutcome::NoResponse: return kExitNoResponse;
    case UpdateOutcome::InvalidVersionResponse: return kExitInvalidVersionResponse;
    case UpdateOutcome::NoReadyResponse: return kExitNoReadyResponse;
    case UpdateOutcome::InvalidReadyResponse: return kExitInvalidReadyResponse;
    case UpdateOutcome::TemporaryFile: return kExitTemporaryFile;
    case UpdateOutcome::Interrupted: return kExitInterrupted;
    case UpdateOutcome::None: break;
    }
    return kExitInternalError;
}

// Why "Begin Update" cannot be pressed, as an exit code.
int ExplainDisabledStart(CFWUT_UpdateDlg& dialog)
{
    if (dialog.m_firmwareFileName.empty()) {
        std::fputs("fwut-cli: no usable firmware in the firmware folder.\n", stderr);
        return kExitFirmwareFile;
    }
    std::fputs("fwut-cli: no serial port to use ('fwut-cli ports' lists them).\n", stderr);
    return kExitPortNotOpened;
}

}  // namespace

int RunUpdate(const std::vector<std::string>& arguments)
{
    UpdateOptions options;
    if (!ParseOptions(arguments, options)) {
        return kExitUsage;
    }
    const auto services = CreatePlatformServices(kApplicationName);
    CFWUT_UpdateApp app;
    app.InitFromArguments({});
    if (!options.folder.empty()) {
        app.m_programDir = options.folder.back() == '/' ? options.folder : options.folder + '/';
    }
    if (!options.device.empty()) {
        options.port = services->MapDevice(options.device);
        if (options.port == -1) {
            std::fprintf(stderr, "fwut-cli update: cannot use '%s' (no such device, or no free COM number)\n",
                         options.device.c_str());
            return kExitPortNotOpened;
        }
        std::printf("%s is COM%d for this run.\n", options.device.c_str(), options.port);
    }
    app.m_comPortOverride = static_cast<std::int8_t>(options.port);

    TickClock& clock = services->Clock();
    ConsoleWindow window(clock, stdout, console::IsTerminal(stdout));
    CFWUT_UpdateDlg dialog(window, UpdateEnvironment{services->Serial(), clock, services->InstalledPorts(),
                                                     services->Settings(), services->Windows(),
                                                     app.m_comPortOverride, kApplicationName});
    dialog.m_programDir = app.m_programDir;
    dialog.m_tempDir = app.m_tempDir;
    window.Attach(dialog);
    dialog.HandleMessage(WM_INITDIALOG, 0, 0);

    int exitCode = kExitSuccess;
    if (options.port != -1 && dialog.SelectedPort() != options.port) {
        std::fprintf(stderr, "fwut-cli: COM%d is not an installed port ('fwut-cli ports' lists them).\n",
                     options.port);
        exitCode = kExitPortNotOpened;
    } else if (!window.IsEnabled(IDC_BEGIN_UPDATE)) {
        exitCode = ExplainDisabledStart(dialog);
    } else {
        g_dialog = &dialog;
        console::OnInterruptRequest(OnInterruptRequest);
        std::printf("Using COM%d (%s).\n", dialog.SelectedPort(),
                    services->InstalledPorts().DevicePath(dialog.SelectedPort()).c_str());
        window.Click(IDC_BEGIN_UPDATE);
        const DWORD waitStart = clock.GetTickCount();
        window.RunUntil([&] { return !dialog.IsWaitingForModule() && !dialog.HasPostedMessages(); },
                        [&] {
                            if (!dialog.IsWaitingForModule()) {
                                return;
                            }
                            const bool timedOut = options.waitTimeoutSeconds > 0 &&
                                                  clock.GetTickCount() - waitStart >=
                                                      static_cast<DWORD>(options.waitTimeoutSeconds) * 1000;
                            if (g_interrupted || timedOut) {
                                g_interrupted = 0;
                                if (timedOut) {
                                    std::printf("No answer from the module within %ld s: cancelling.\n",
                                                options.waitTimeoutSeconds);
                                }
                                window.Click(IDC_BEGIN_UPDATE);
                            }
                        });
        g_dialog = nullptr;
        exitCode = ExitCodeFor(dialog.LastOutcome());
        if (dialog.LastOutcome() == UpdateOutcome::PortNotOpened) {
            const int port = dialog.SelectedPort();
            std::fprintf(stderr, "%s\n",
                         PortOpenAdvice(services->Serial().GetLastError(), services->Serial().LastErrorText(),
                                        services->InstalledPorts().DevicePath(port))
                             .c_str());
        }
    }
    window.Click(IDCANCEL);
    dialog.HandleMessage(WM_DESTROY, 0, 0);
    return exitCode;
}

}  // namespace fwut::cli
