// fwut-update: the desktop program. Start-up works out the folders and the
// /C switch, then the main dialog runs modally; its end ends the program.
#include <QApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "app/FWUT_UpdateApp.h"
#include "app/PortAdvice.h"
#include "app/UpdateRecord.h"
#include "app/PortToolTip.h"
#include "app/Printable.h"
#include "app/WindowProgramInformation.h"
#include "app/gui/GuiPlatform.h"
#include "app/gui/StopOnRequest.h"
#include "app/gui/DialogFonts.h"
#include "app/gui/QtDialogWindow.h"
#include "platform/qt/QtShell.h"
#include "ui/FWUT_UpdateDlg.h"

int main(int argc, char** argv)
{
    using namespace fwut;
    const std::vector<std::string> arguments(argv, argv + argc);
    if (const auto information = WindowProgramInformation(arguments)) {
        std::fputs(information->c_str(), stdout);
        return 0;
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
    window.SetPortOpenNote([&](int port) {
        return Printable(PortOpenAdviceLine(serial.GetLastError(), serial.LastErrorText(), ports.DevicePath(port)));
    });
    // Off unless the settings name a record file; the window shows nothing of it.
    const auto record = RecordFromSettings(services->Settings(), "fwut-update", ports, descriptions);
    CFWUT_UpdateDlg dialog(window, UpdateEnvironment{services->Serial(), services->Clock(), ports, services->Settings(),
                                                     services->Windows(), app.m_comPortOverride, kApplicationName,
                                                     record.get()});
    dialog.m_programDir = app.m_programDir;
    dialog.m_tempDir = app.m_tempDir;
    window.Attach(dialog);

    gui::StopOnRequest stop(window, dialog);
    window.RunModal();
    // The exit code carries no meaning.
    return 0;
}
