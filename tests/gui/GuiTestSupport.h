// The main dialog on its Qt window with the system's real parts: a real
// settings store in a throw-away folder, firmware files in a throw-away
// program folder, COM5 mapped onto a given device, the real serial port and
// clock. Plus what the tests use to watch it: a recording shell, snapshots
// of the controls, and an answerer for message boxes.
#pragma once

#include <QColor>
#include <QMessageBox>
#include <QTimer>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Shell.h"
#include "platform/TopLevelWindows.h"
#include "platform/posix/PosixPortDirectory.h"
#include "platform/posix/PosixSerialApi.h"
#include "platform/posix/PosixTickClock.h"
#include "platform/posix/IniSettingsStore.h"
#include "app/gui/QtDialogWindow.h"
#include "tests/support/PseudoTerminal.h"
#include "tests/support/SimProcess.h"
#include "ui/FWUT_UpdateDlg.h"

namespace fwut::guitest {

constexpr int kPort = 5;

class RecordingShell final : public Shell {
public:
    void Open(const std::string& target) override { opened.push_back(target); }
    std::vector<std::string> opened;
};

using test::PseudoTerminal;

// How one control looks now.
struct Look {
    std::string text;
    bool enabled = false;
    bool visible = false;
    bool bold = false;
    QColor color;
};

// A message box as the operator saw it, with the dialog behind it.
struct SeenBox {
    QString caption;
    QString text;
    QMessageBox::Icon icon;
    std::string behind;  // the dialog's phase, as Phase() tells it
    std::string progress;  // the progress line
};

class DialogUnderTest {
public:
    // The installed ports are exactly those of portMap ({{kPort, device}} for one);
    // windows: other programs' windows; firmwarePages: the size of the firmware offered.
    DialogUnderTest(std::map<int, std::string> portMap, TopLevelWindows& windows, int firmwarePages = 3);
    ~DialogUnderTest();

    // WM_INITDIALOG, then shown and exposed.
    void Open();
    Look LookOf(int id);
    // The controls that change between the phases of an update, in one line:
    // "<caption of 1006> on|off, Done on|off, Refresh on|off, Contact on|off, status[ bold][ red]".
    std::string Phase();
    // Clicks a control with the mouse, as the operator would.
    void Click(int id);

    // Presses and releases a key in the control that has the focus.
    void Key(Qt::Key key);

    // Answers every message box that opens with the Space key on its OK
    // button, keeping what it showed.
    void AnswerBoxes();
    const std::vector<SeenBox>& Boxes() const { return m_boxes; }

    test::TempDir folder;
    IniSettingsStore settings;
    PosixPortDirectory ports;
    PosixSerialApi serial{ports};
    PosixTickClock clock;
    RecordingShell shell;
    qt::QtDialogWindow window;
    std::unique_ptr<CFWUT_UpdateDlg> dialog;

private:
    QTimer m_boxTimer;
    std::vector<SeenBox> m_boxes;
};

}  // namespace fwut::guitest
