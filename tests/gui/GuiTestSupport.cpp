#include "tests/gui/GuiTestSupport.h"
#include "tests/support/PagedFirmware.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

#include "resources/resource.h"

namespace fwut::guitest {

namespace {

constexpr int kBoxPollMs = 20;

// The settings store reads its folder when it is made.
std::string UseSettingsFolder(const test::TempDir& folder)
{
    const std::string config = folder.Path("config");
    for (const std::string& path : {config, folder.Path("program"), folder.Path("tmp")}) {
        std::filesystem::create_directories(path);
    }
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    return "fwut-update";
}

void WriteFile(const std::string& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
}

}  // namespace

DialogUnderTest::DialogUnderTest(std::map<int, std::string> portMap, TopLevelWindows& windows, int firmwarePages)
    : settings(UseSettingsFolder(folder)),
      // No scan of the machine's own ports: the map names them all.
      ports(std::move(portMap), folder.Path("no-sys-class-tty")),
      window([this](int port) { return ports.DevicePath(port); }, shell)
{
    WriteFile(folder.Path("program/FieldGatherer_MM_Psion.txt"), "2.40\r\nFG_MM.hex\r\n");
    WriteFile(folder.Path("program/FG_MM.hex"), test::HexForPages(firmwarePages));
    dialog = std::make_unique<CFWUT_UpdateDlg>(
        window, UpdateEnvironment{serial, clock, ports, settings, windows, -1, "fwut-update"});
    dialog->m_programDir = folder.Path("program/");
    dialog->m_tempDir = folder.Path("tmp/");
    window.Attach(*dialog);
}

DialogUnderTest::~DialogUnderTest()
{
    m_boxTimer.stop();
    window.Destroy();
}

void DialogUnderTest::Open()
{
    window.InitDialog();
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        ADD_FAILURE() << "the dialog was never shown";
    }
}

Look DialogUnderTest::LookOf(int id)
{
    Look look;
    QWidget* control = window.Control(id);
    if (control == nullptr) {
        return look;
    }
    look.text = window.GetDlgItemTextA(id);
    look.enabled = control->isEnabled();
    look.visible = control->isVisible();
    look.bold = control->font().bold();
    look.color = control->palette().color(QPalette::WindowText);
    return look;
}

std::string DialogUnderTest::Phase()
{
    const auto state = [&](int id) { return std::string(window.Control(id)->isEnabled() ? " on" : " off"); };
    const Look status = LookOf(IDC_STATUS);
    return window.GetDlgItemTextA(IDC_BEGIN_UPDATE) + state(IDC_BEGIN_UPDATE) + ", Done" + state(IDCANCEL) +
           ", Refresh" + state(IDC_REFRESH_PORTS) + ", Contact" + state(IDC_CONTACT_INFORMATION) + ", status" +
           (status.bold ? " bold" : "") + (status.color == QColor(192, 0, 0) ? " red" : "");
}

void DialogUnderTest::Click(int id)
{
    QWidget* control = window.Control(id);
    QTest::mouseClick(control, Qt::LeftButton, Qt::NoModifier, control->rect().center());
}

void DialogUnderTest::Key(Qt::Key key)
{
    QTest::keyClick(window.focusWidget(), key);
}

void DialogUnderTest::AnswerBoxes()
{
    m_boxTimer.setInterval(kBoxPollMs);
    QObject::connect(&m_boxTimer, &QTimer::timeout, [this] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) {
            return;
        }
        // Answered as with the keyboard alone: Space on OK, once it has the focus.
        QAbstractButton* ok = box->button(QMessageBox::Ok);
        if (box->focusWidget() != ok) {
            return;
        }
        m_boxes.push_back(
            SeenBox{box->windowTitle(), box->text(), box->icon(), Phase(), window.GetDlgItemTextA(IDC_PROGRESS)});
        QTest::keyClick(ok, Qt::Key_Space);
    });
    m_boxTimer.start();
}

}  // namespace fwut::guitest
