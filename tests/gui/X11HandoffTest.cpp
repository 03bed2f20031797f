// The hand-off on a real X server (run under Xvfb): the stand-in companion
// program holds the simulator's line, gives it up on the release message so
// that "Begin Update" opens it at the second try, and takes it back when the
// return message comes after the update. A hidden companion window is
// skipped.
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

#include "platform/x11/X11TopLevelWindows.h"
#include "resources/resource.h"
#include "tests/gui/GuiTestSupport.h"

namespace fwut::guitest {
namespace {

constexpr int kStartLimitMs = 10000;
constexpr int kUpdateLimitMs = 30000;

class Companion {
public:
    Companion(const std::string& device, const QStringList& options)
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral(FWUT_COMPANION_PATH), QStringList{QString::fromStdString(device)} + options);
    }
    ~Companion()
    {
        m_process.kill();
        m_process.waitForFinished();
    }

    // Its log so far, one line per step.
    QStringList Log()
    {
        // The test's own thread may have been busy: collect what is waiting.
        while (m_process.waitForReadyRead(50)) { }
        m_log += QString::fromLocal8Bit(m_process.readAllStandardOutput());
        return m_log.split('\n', Qt::SkipEmptyParts);
    }
    bool WaitForLine(const QString& line, int count = 1)
    {
        return QTest::qWaitFor([&] { return Log().count(line) >= count; }, kStartLimitMs);
    }

private:
    QProcess m_process;
    QString m_log;
};

struct FoundWindow {
    WindowRef window = 0;
    bool visible = false;
};

FoundWindow FindByTitle(TopLevelWindows& windows, const std::string& title)
{
    for (WindowRef window = windows.GetTopWindow(); windows.IsWindow(window); window = windows.GetNextWindow(window)) {
        char text[100];
        const int length = windows.GetWindowTextA(window, text, sizeof text);
        if (std::string(text, static_cast<std::size_t>(length)) == title) {
            return FoundWindow{window, windows.IsWindowVisible(window)};
        }
    }
    return FoundWindow{};
}

TEST(X11Handoff, TheCompanionLendsItsPortForTheUpdateAndTakesItBackAfterwards)
{
    x11::X11TopLevelWindows windows;
    ASSERT_NE(windows.GetTopWindow(), 0u) << "run under an X server (xvfb-run)";
    test::TempDir simFolder;
    // Serving session after session, so the line is still there to be taken back.
    test::SimProcess sim(simFolder, {"--answer-after", "2"});

    const PseudoTerminal other;  // a second line, for the hidden companion to hold
    const std::string otherLine = other.SlavePath();
    ASSERT_FALSE(otherLine.empty());

    Companion companion(sim.Link(), {});
    ASSERT_TRUE(companion.WaitForLine(QString::fromStdString("holding " + sim.Link())));
    Companion hidden(otherLine, {"--hidden"});
    ASSERT_TRUE(hidden.WaitForLine(QString::fromStdString("holding " + otherLine)));

    const std::string title = "Fernhollow LineProbeTool - " + sim.Link();
    ASSERT_TRUE(QTest::qWaitFor([&] { return FindByTitle(windows, title).visible; }, kStartLimitMs));
    const std::string hiddenTitle = "Fernhollow LineProbeTool - " + otherLine;
    ASSERT_TRUE(QTest::qWaitFor([&] { return FindByTitle(windows, hiddenTitle).window != 0; }, kStartLimitMs));
    EXPECT_FALSE(FindByTitle(windows, hiddenTitle).visible);

    DialogUnderTest under({{kPort, sim.Link()}}, windows);
    under.Open();
    under.AnswerBoxes();
    under.Click(IDC_BEGIN_UPDATE);
    ASSERT_TRUE(under.dialog->IsWaitingForModule()) << "the second open took the line";
    EXPECT_EQ(under.dialog->m_handedOffPort, kPort);
    EXPECT_TRUE(companion.Log().contains("released " + QString::fromStdString(sim.Link())));

    ASSERT_TRUE(QTest::qWaitFor([&] { return !under.Boxes().empty(); }, kUpdateLimitMs));
    EXPECT_EQ(under.Boxes().front().caption, "Firmware Update Complete");
    ASSERT_TRUE(companion.WaitForLine(QString::fromStdString("holding " + sim.Link()), 2))
        << companion.Log().join('\n').toStdString();
    EXPECT_EQ(companion.Log(), (QStringList{QString::fromStdString("holding " + sim.Link()),
                                            companion.Log().at(1),  // the window's number
                                            "received 32869 1001 5", QString::fromStdString("released " + sim.Link()),
                                            "received 32869 1002 5", QString::fromStdString("holding " + sim.Link())}));
    EXPECT_EQ(under.dialog->m_handedOffPort, -1);
    EXPECT_EQ(hidden.Log().filter("received").size(), 0);
    EXPECT_EQ(under.dialog->LastOutcome(), UpdateOutcome::Succeeded);
}

}  // namespace
}  // namespace fwut::guitest
