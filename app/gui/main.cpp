// fwut-update: the desktop program. Start-up works out the folders and the
// /C switch, then the main dialog runs modally; its end ends the program.
#include <QApplication>
#include <string>
#include <vector>

#include "app/DialogRun.h"
#include "app/FWUT_UpdateApp.h"
#include "app/PortAdvice.h"
#include "app/PortToolTip.h"
#include "app/WindowProgramInformation.h"
#include "app/gui/DialogFonts.h"
#include "app/gui/GuiPlatform.h"
#include "app/gui/QtDialogWindow.h"
#include "app/gui/StopOnRequest.h"
#include "platform/ConsoleSignals.h"
#include "platform/ProgramStart.h"
#include "platform/qt/QtShell.h"

int main(int argc, char** argv)
{
    using namespace fwut;
    program::Start();
    const std::vector<std::string> arguments(argv, argv + argc);
    if (const auto information = WindowProgramInformation(arguments)) {
        return console::WriteAll(false, *information, true) == 0 ? 0 : 1;
    }
    QApplication application(argc, argv);
    qt::InstallFontSubstitutes();

    CFWUT_UpdateApp app;
    app.InitFromArguments(arguments);
    const auto services = gui::CreateGuiPlatformServices(kApplicationName);

    qt::QtShell shell;
    SerialCommKey& ports = services->InstalledPorts();
    PortDescriptions& descriptions = services->Descriptions();
    qt::QtDialogWindow window([&](int port) { return PortToolTip(ports, descriptions, port); }, shell);
    SerialApi& serial = services->Serial();
    window.SetBoxNote([&](const std::string& text) { return PortOpenBoxNote(text, serial, ports); });
    // The record is kept when the settings name its file; the window shows nothing of it.
    DialogRun run(window, *services, app, DialogRun::Parts("fwut-update", kApplicationName));

    gui::StopOnRequest stop(window, run.Dialog());
    window.RunModal();
    // The exit code carries no meaning.
    return 0;
}
