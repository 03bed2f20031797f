// fwut-update.exe: the Windows program. Start-up prepares the common and
// rich-edit controls, takes its folders and the /C switch from the full
// command line, and shows the main dialog modally; the program ends with it.
#include "platform/Win32Types.h"

#include <commctrl.h>

#include "app/CommandLine.h"
#include "app/DialogRun.h"
#include "app/FWUT_UpdateApp.h"
#include "app/PortAdvice.h"
#include "app/PortToolTip.h"
#include "app/WindowProgramInformation.h"
#include "app/win32/Win32DialogWindow.h"
#include "platform/Files.h"
#include "platform/PlatformServices.h"
#include "platform/ProgramStart.h"
#include "platform/win32/HandleIo.h"
#include "platform/win32/Win32Shell.h"

namespace {

// The settings store is named after the program file, without folder and extension.
std::string ProgramFileBaseName()
{
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return fwut::ApplicationNameOfPath(std::string(path, length < MAX_PATH ? length : 0));
}

// --version and --help go to the caller's output: a redirection, else the
// console the program was started from; started from the desktop, a message
// box shows the text.
void ShowInformation(const std::string& text)
{
    std::string crlf;
    for (char c : text) {
        crlf += c == '\n' ? "\r\n" : std::string(1, c);
    }
    HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if ((out == nullptr || out == INVALID_HANDLE_VALUE) && ::AttachConsole(ATTACH_PARENT_PROCESS)) {
        out = ::CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                            nullptr);
    }
    if (out == nullptr || out == INVALID_HANDLE_VALUE ||
        fwut::win32::WriteFully(out, crlf.data(), crlf.size()) != ERROR_SUCCESS) {
        ::MessageBoxA(nullptr, text.c_str(), "fwut-update", MB_OK | MB_ICONINFORMATION);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    using namespace fwut;
    program::Start();
    if (const auto information = WindowProgramInformation(SplitCommandLine(::GetCommandLineA()))) {
        ShowInformation(*information);
        return 0;
    }
    ::InitCommonControls();
    // The About dialog's link fields; without the library they are simply missing.
    ::LoadLibraryA("RICHED20.DLL");

    const std::string applicationName = ProgramFileBaseName();
    const auto services = CreatePlatformServices(applicationName);
    CFWUT_UpdateApp app;
    app.InitFromCommandLine(::GetCommandLineA(), files::TemporaryFolder());

    Win32Shell shell;
    SerialCommKey& ports = services->InstalledPorts();
    PortDescriptions& descriptions = services->Descriptions();
    Win32DialogWindow window(instance, shell, [&](int port) { return PortToolTip(ports, descriptions, port); });
    SerialApi& serial = services->Serial();
    window.SetBoxNote([&](const std::string& text) { return PortOpenBoxNote(text, serial, ports); });
    // The record is kept when the settings name its file; the window shows nothing of it.
    DialogRun run(window, *services, app, DialogRun::Parts("fwut-update", applicationName));
    window.RunModal();
    return 0;
}
