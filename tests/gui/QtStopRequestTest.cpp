// A request to stop (SIGTERM) reaching the window program in the middle of a
// transfer: the transfer ends through its closing steps, the failure box is
// answered, and the window closes. In a program of its own, since the
// request stays for the rest of the process.
#include <QTest>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>

#include "app/gui/StopOnRequest.h"
#include "resources/resource.h"
#include "tests/gui/GuiTestSupport.h"

namespace fwut::guitest {
namespace {

TEST(QtStopRequest, ATerminationRequestEndsTheTransferAndThenTheWindow)
{
    test::TempDir simFolder;
    test::SimProcess sim(simFolder, {"--once", "--answer-after", "1"});
    NoTopLevelWindows noWindows;
    DialogUnderTest under({{kPort, sim.Link()}}, noWindows, 40);
    under.Open();
    gui::StopOnRequest stop(under.window, *under.dialog);
    bool closed = false;
    QObject::connect(&under.window, &QDialog::finished, [&] { closed = true; });

    // The transfer runs inside one message handler; a timer reaches it between pages.
    QTimer midTransfer;
    QObject::connect(&midTransfer, &QTimer::timeout, [&] {
        if (under.window.GetDlgItemTextA(IDC_PROGRESS).find("page  3 ") != std::string::npos) {
            midTransfer.stop();
            std::raise(SIGTERM);
        }
    });
    midTransfer.start(5);
    under.Click(IDC_BEGIN_UPDATE);
    ASSERT_TRUE(QTest::qWaitFor([&] { return closed; }, 30000));
    EXPECT_EQ(under.dialog->LastOutcome(), UpdateOutcome::Interrupted);
    EXPECT_FALSE(under.dialog->m_serialPort.IsOpen());
    EXPECT_TRUE(std::filesystem::is_empty(under.folder.Path("tmp"))) << "the image is deleted";
    sim.WaitForExit(std::chrono::seconds(10));
    EXPECT_NE(sim.Transcript().rfind("closing command"), std::string::npos) << sim.Transcript();
}

}  // namespace
}  // namespace fwut::guitest
