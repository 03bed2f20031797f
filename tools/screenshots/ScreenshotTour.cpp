// fwut-screenshot-tour FOLDER: runs the desktop window through an update
// against fwut-sim on the X server in $DISPLAY and takes what the screen
// shows (the server's pixels, not a fresh rendering) at each phase:
// main-idle.png, main-waiting.png, main-transferring.png, main-success.png
// and about.png; and main-22-ports.png, with 22 ports up to COM100.
// scripts/screenshots.sh runs it on a private Xvfb.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QScreen>
#include <QTest>
#include <cstdio>
#include <fstream>
#include <map>

#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "app/gui/DialogFonts.h"
#include "app/gui/QtAboutWindow.h"
#include "app/gui/QtDialogWindow.h"
#include "platform/ProgramStart.h"
#include "platform/posix/IniSettingsStore.h"
#include "platform/posix/PosixPortDirectory.h"
#include "platform/posix/PosixSerialApi.h"
#include "platform/posix/PosixTickClock.h"
#include "resources/resource.h"
#include "tools/hexgen/HexGenerator.h"
#include "ui/FWUT_UpdateDlg.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

// A folder of the tour's own, removed when it ends.
struct Folder {
    Folder()
    {
        std::string pattern = (fs::temp_directory_path() / "fwut-tour-XXXXXX").string();
        path = ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string(".");
    }
    ~Folder() { fs::remove_all(path); }
    std::string Path(const std::string& name) const { return path + "/" + name; }
    std::string path;
};

// fwut-sim on a pseudo-terminal linked at link, as long as this lives.
class Simulator {
public:
    Simulator(const std::string& program, const std::string& link, std::vector<std::string> options)
    {
        options.insert(options.begin(), {program, "--link", link, "--transcript", link + ".transcript"});
        std::vector<char*> argv;
        for (std::string& option : options) {
            argv.push_back(option.data());
        }
        argv.push_back(nullptr);
        ::posix_spawn(&m_pid, program.c_str(), nullptr, nullptr, argv.data(), environ);
        for (int i = 0; i < 500 && !fs::exists(link); ++i) {
            ::usleep(10'000);
        }
    }
    ~Simulator()
    {
        ::kill(m_pid, SIGTERM);
        ::waitpid(m_pid, nullptr, 0);
    }

private:
    pid_t m_pid = -1;
};

// The settings store takes its folder from the environment when it is made.
std::string UseConfigFolder(const Folder& folder)
{
    fs::create_directories(folder.Path("config"));
    ::setenv("XDG_CONFIG_HOME", folder.Path("config").c_str(), 1);
    return "fwut-update";
}

class NoShell final : public fwut::Shell {
public:
    void Open(const std::string&) override { }
};

// The main dialog with the system's real parts, its firmware and settings in
// a folder of its own, and the given devices as its ports.
struct Desk {
    Desk(const Folder& folder, std::map<int, std::string> ports, int firmwarePages)
        : settings(UseConfigFolder(folder)), portList(std::move(ports), folder.Path("no-sys-class-tty")),
          window([this](int port) { return portList.DevicePath(port); }, shell)
    {
        fs::create_directories(folder.Path("program"));
        fs::create_directories(folder.Path("tmp"));
        std::ofstream(folder.Path("program/FieldGatherer_MM_Psion.txt")) << "2.40\r\nFG_MM.hex\r\n";
        fwut::hexgen::HexGenOptions options;
        options.pages = static_cast<unsigned>(firmwarePages);
        options.fill = true;
        std::ofstream(folder.Path("program/FG_MM.hex")) << fwut::hexgen::GenerateHex(options);
        dialog = std::make_unique<fwut::CFWUT_UpdateDlg>(
            window, fwut::UpdateEnvironment{serial, clock, portList, settings, noWindows, -1, "fwut-update"});
        dialog->m_programDir = folder.Path("program/");
        dialog->m_tempDir = folder.Path("tmp/");
        window.Attach(*dialog);
        window.InitDialog();
        window.show();
    }
    ~Desk() { window.Destroy(); }

    void Click(int id) { qobject_cast<QAbstractButton*>(window.Control(id))->click(); }

    fwut::IniSettingsStore settings;
    fwut::PosixPortDirectory portList;
    fwut::PosixSerialApi serial{portList};
    fwut::PosixTickClock clock;
    fwut::NoTopLevelWindows noWindows;
    NoShell shell;
    fwut::qt::QtDialogWindow window;
    std::unique_ptr<fwut::CFWUT_UpdateDlg> dialog;
};

constexpr int kSettleMs = 300;
constexpr int kFirmwarePages = 48;

bool Grab(const QWidget& window, const QDir& folder, const char* name)
{
    const QRect area = window.frameGeometry();
    const QPixmap shot = window.screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    const bool saved = shot.save(folder.filePath(QString::fromLatin1(name)), "PNG");
    std::printf("%s %s\n", saved ? "wrote" : "could not write", name);
    return saved;
}

// Holds a message box open long enough to photograph it with the dialog behind.
void AnswerAfterGrab(Desk& under, const QDir& folder, int& boxes)
{
    auto* timer = new QTimer(&under.window);
    QObject::connect(timer, &QTimer::timeout, [&under, &folder, &boxes, timer] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) {
            return;
        }
        timer->stop();
        QTest::qWait(kSettleMs);
        Grab(under.window, folder, "main-success.png");
        ++boxes;
        box->button(QMessageBox::Ok)->click();
    });
    timer->start(50);
}

bool ManyPorts(const QDir& folder)
{
    Folder devices;
    std::map<int, std::string> portMap;
    for (int port : {1, 2, 3, 8, 9, 10, 11, 12, 20, 33, 34, 35, 40, 55, 64, 65, 66, 77, 88, 98, 99, 100}) {
        portMap[port] = devices.Path("tty" + std::to_string(port));
        std::ofstream(portMap[port]) << "";
    }
    Desk under(devices, portMap, 1);
    QTest::qWait(kSettleMs);
    return Grab(under.window, folder, "main-22-ports.png");
}

int Tour(const QDir& folder)
{
    using namespace fwut;
    Folder work;
    const char* sim = std::getenv("FWUT_SIM");
    Simulator simulator(sim != nullptr ? sim : "fwut-sim", work.Path("ttyFWUT"), {"--once", "--answer-after", "3"});
    Desk under(work, {{5, work.Path("ttyFWUT")}}, kFirmwarePages);
    QTest::qWait(kSettleMs);
    Grab(under.window, folder, "main-idle.png");

    bool transferShot = false;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        const std::string progress = under.window.GetDlgItemTextA(IDC_PROGRESS);
        if (!transferShot && progress.find("page  20  ") != std::string::npos) {
            transferShot = Grab(under.window, folder, "main-transferring.png");
        }
    });
    sampler.start(5);
    int boxes = 0;
    AnswerAfterGrab(under, folder, boxes);

    under.Click(IDC_BEGIN_UPDATE);
    QTest::qWait(kSettleMs);
    Grab(under.window, folder, "main-waiting.png");
    if (!QTest::qWaitFor([&] { return boxes > 0; }, 60000)) {
        std::fputs("fwut-screenshot-tour: the update did not finish\n", stderr);
        return 1;
    }

    qt::QtAboutWindow about(under.shell, &under.window);
    about.InitDialog();
    about.show();
    QTest::qWait(kSettleMs);
    Grab(about, folder, "about.png");
    about.close();
    return transferShot && ManyPorts(folder) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    fwut::program::Start();
    QApplication application(argc, argv);
    fwut::qt::InstallFontSubstitutes();
    if (argc != 2) {
        std::fputs("usage: fwut-screenshot-tour FOLDER\n", stderr);
        return 2;
    }
    return Tour(QDir(QString::fromLocal8Bit(argv[1])));
}
