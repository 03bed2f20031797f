// fwut-companion-standin DEVICE [--hidden] [--port N]: stands in for the
// companion serial test program LineProbeTool in tests and demonstrations.
// Its window is titled "Fernhollow LineProbeTool - DEVICE"; it holds DEVICE
// until the update program asks for the port (0x8065, wParam 1001) and takes
// it back when told (wParam 1002). With --port N it answers only messages
// for COM<N>. --hidden keeps the window unmapped. Every step is logged to
// standard output, one line each.
#include <QApplication>
#include <QLabel>
#include <X11/Xlib.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/ProgramStart.h"
#include "platform/x11/HandoffAtom.h"
#include "tools/companion/HandoffListener.h"
#include "tools/companion/HeldPort.h"

namespace {

constexpr std::uint32_t kHandoffMessage = 0x8065;
constexpr std::uint32_t kReleasePort = 1001;
constexpr std::uint32_t kReturnPort = 1002;

struct Options {
    std::string device;
    bool hidden = false;
    long port = -1;
};

bool ParseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--hidden") == 0) {
            options.hidden = true;
        } else if (std::strcmp(argv[i], "--port") == 0 && i + 1 < argc) {
            options.port = std::strtol(argv[++i], nullptr, 10);
        } else if (options.device.empty() && argv[i][0] != '-') {
            options.device = argv[i];
        } else {
            return false;
        }
    }
    return !options.device.empty();
}

void Log(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

void TakePort(fwut::companion::HeldPort& port)
{
    const std::string failure = port.Take();
    Log(failure.empty() ? "holding " + port.Path() : "cannot hold " + port.Path() + ": " + failure);
}

// The atom's number on this display, asked over a connection of our own.
std::uint32_t HandoffAtom()
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return 0;
    }
    const auto atom = static_cast<std::uint32_t>(XInternAtom(display, fwut::x11::kHandoffAtomName, False));
    XCloseDisplay(display);
    return atom;
}

}  // namespace

int main(int argc, char** argv)
{
    fwut::program::Start();
    QApplication application(argc, argv);
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fputs("usage: fwut-companion-standin DEVICE [--hidden] [--port N]\n", stderr);
        return 2;
    }
    const std::uint32_t atom = HandoffAtom();
    if (atom == 0) {
        std::fputs("fwut-companion-standin: no X display\n", stderr);
        return 1;
    }

    fwut::companion::HeldPort port(options.device);
    TakePort(port);

    QLabel window;
    window.setWindowTitle(QString::fromLocal8Bit("Fernhollow LineProbeTool - " + options.device));
    window.setText(QStringLiteral("Stand-in for the companion serial test program"));
    window.setMargin(24);

    fwut::companion::HandoffListener listener(
        atom, [&](std::uint32_t message, std::uint32_t code, std::uint32_t portNumber) {
            Log("received " + std::to_string(message) + " " + std::to_string(code) + " " + std::to_string(portNumber));
            if (message != kHandoffMessage || (options.port != -1 && portNumber != options.port)) {
                return;
            }
            if (code == kReleasePort) {
                port.Release();
                Log("released " + port.Path());
            } else if (code == kReturnPort) {
                TakePort(port);
            }
        });
    application.installNativeEventFilter(&listener);

    if (options.hidden) {
        window.winId();  // a window that exists on the display, never mapped
    } else {
        window.show();
    }
    Log("window " + std::to_string(window.winId()) + (options.hidden ? " hidden" : " shown"));
    return application.exec();
}
