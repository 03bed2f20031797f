// A real update through the Qt window against fwut-sim on a pseudo-terminal:
// the controls and highlights of the three phases (the transfer's as the
// success box finds them), the success box, and the dialog back at rest.
#include <QTest>
#include <gtest/gtest.h>

#include "resources/resource.h"
#include "tests/gui/GuiTestSupport.h"

namespace fwut::guitest {

TEST(QtUpdatePhases, AnUpdateGoesFromIdleThroughWaitingAndTransferToSuccessAndBack)
{
    const std::string idle = "Begin Update on, Done on, Refresh on, Contact on, status";
    test::TempDir simFolder;
    test::SimProcess sim(simFolder, {"--once", "--answer-after", "2"});
    NoTopLevelWindows noWindows;
    DialogUnderTest under({{kPort, sim.Link()}}, noWindows);
    under.Open();
    EXPECT_EQ(under.Phase(), idle);
    under.AnswerBoxes();
    under.Click(IDC_BEGIN_UPDATE);
    // The start ran inside the click; the wait is armed now.
    ASSERT_TRUE(under.dialog->IsWaitingForModule());
    EXPECT_EQ(under.Phase(), "Cancel Update on, Done off, Refresh off, Contact off, status bold red");
    EXPECT_TRUE(under.LookOf(IDC_STEP).bold);
    EXPECT_EQ(under.LookOf(IDC_STEP).color, QColor(0, 128, 0));
    EXPECT_TRUE(under.window.Control(IDC_COM1)->isEnabled());

    ASSERT_TRUE(QTest::qWaitFor([&] { return !under.Boxes().empty(); }, 30000));
    const SeenBox& box = under.Boxes().front();
    EXPECT_EQ(box.caption, "Firmware Update Complete");
    EXPECT_EQ(box.icon, QMessageBox::Information);
    EXPECT_EQ(box.behind, "Cancel Update off, Done off, Refresh off, Contact off, status");
    EXPECT_EQ(box.progress, "Sending firmware page  3  of  3");

    ASSERT_TRUE(QTest::qWaitFor([&] { return under.window.Control(IDC_BEGIN_UPDATE)->isEnabled(); }, 5000));
    EXPECT_EQ(under.Boxes().size(), 1u);
    EXPECT_EQ(under.Phase(), idle);
    EXPECT_EQ(under.dialog->LastOutcome(), UpdateOutcome::Succeeded);
    EXPECT_EQ(under.settings.GetProfileInt("Settings", "ComPort", -1), kPort);
    EXPECT_EQ(sim.WaitForExit(std::chrono::seconds(10)), 0) << sim.Transcript();
}

}  // namespace fwut::guitest
