// fwut-screenshot-tour FOLDER: runs the desktop window through an update
// against fwut-sim on the X server in $DISPLAY and takes what the screen
// shows (the server's pixels, not a fresh rendering) at each phase:
// main-idle.png, main-waiting.png, main-transferring.png, main-success.png
// and about.png; and main-22-ports.png, with 22 ports up to COM100. scripts/screenshots.sh runs it on a private Xvfb.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QTest>
#include <cstdio>
#include <fstream>
#include <map>

#include "app/gui/DialogFonts.h"
#include "app/gui/QtAboutWindow.h"
#include "resources/resource.h"
#include "tests/gui/GuiTestSupport.h"

namespace {

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
void AnswerAfterGrab(fwut::guitest::DialogUnderTest& under, const QDir& folder, int& boxes)
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
    fwut::test::TempDir devices;
    std::map<int, std::string> portMap;
    for (int port : {1, 2, 3, 8, 9, 10, 11, 12, 20, 33, 34, 35, 40, 55, 64, 65, 66, 77, 88, 98, 99, 100}) {
        portMap[port] = devices.Path("tty" + std::to_string(port));
        std::ofstream(portMap[port]) << "";
    }
    fwut::NoTopLevelWindows noWindows;
    fwut::guitest::DialogUnderTest under(portMap, noWindows);
    under.Open();
    QTest::qWait(kSettleMs);
    return Grab(under.window, folder, "main-22-ports.png");
}

int Tour(const QDir& folder)
{
    using namespace fwut;
    fwut::test::TempDir simFolder;
    fwut::test::SimProcess sim(simFolder, {"--once", "--answer-after", "3"});
    NoTopLevelWindows noWindows;
    guitest::DialogUnderTest under(sim.Link(), noWindows, kFirmwarePages);
    under.Open();
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
    QApplication application(argc, argv);
    fwut::qt::InstallFontSubstitutes();
    if (argc != 2) {
        std::fputs("usage: fwut-screenshot-tour FOLDER\n", stderr);
        return 2;
    }
    return Tour(QDir(QString::fromLocal8Bit(argv[1])));
}
