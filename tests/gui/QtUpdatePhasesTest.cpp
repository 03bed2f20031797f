// A real update through the Qt window against fwut-sim on a pseudo-terminal:
// the controls and highlights of the three phases (the transfer's as the
// success box finds them), the success box, and a cancelled wait.
#include <QTest>
#include <gtest/gtest.h>

#include "resources/resource.h"
#include "tests/gui/GuiTestSupport.h"

namespace fwut::guitest {
namespace {

constexpr int kUpdateLimitMs = 30000;
const QColor kRed(192, 0, 0);
const QColor kGreenStep(0, 128, 0);

void ExpectIdle(const PhaseSnapshot& idle)
{
    EXPECT_EQ(idle.beginUpdate.text, "Begin Update");
    EXPECT_TRUE(idle.beginUpdate.enabled);
    EXPECT_TRUE(idle.done.enabled);
    EXPECT_TRUE(idle.refresh.enabled);
    EXPECT_TRUE(idle.contact.enabled);
    EXPECT_FALSE(idle.status.bold);
    EXPECT_NE(idle.status.color, kRed);
    EXPECT_TRUE(idle.useWith.bold);
    EXPECT_EQ(idle.useWith.color, kRed);
}

void ExpectWaiting(const PhaseSnapshot& waiting)
{
    EXPECT_EQ(waiting.beginUpdate.text, "Cancel Update");
    EXPECT_TRUE(waiting.beginUpdate.enabled);
    EXPECT_FALSE(waiting.done.enabled);
    EXPECT_FALSE(waiting.refresh.enabled);
    EXPECT_FALSE(waiting.contact.enabled);
    EXPECT_TRUE(waiting.status.bold);
    EXPECT_EQ(waiting.status.color, kRed);
}

void ExpectTransferring(const PhaseSnapshot& transferring)
{
    EXPECT_FALSE(transferring.beginUpdate.enabled);
    EXPECT_FALSE(transferring.done.enabled);
    EXPECT_FALSE(transferring.refresh.enabled);
    EXPECT_FALSE(transferring.contact.enabled);
    EXPECT_FALSE(transferring.status.bold);
    EXPECT_NE(transferring.status.color, kRed);
}

class QtUpdatePhasesTest : public ::testing::Test {
protected:
    test::TempDir simFolder;
    NoTopLevelWindows noWindows;
};

TEST_F(QtUpdatePhasesTest, AnUpdateGoesFromIdleThroughWaitingAndTransferToSuccessAndBack)
{
    test::SimProcess sim(simFolder, {"--once", "--answer-after", "2"});
    DialogUnderTest under(sim.Link(), noWindows);
    under.Open();
    ExpectIdle(under.Snapshot());
    under.AnswerBoxes();
    under.Click(IDC_BEGIN_UPDATE);
    // The start ran inside the click; the wait is armed now.
    ASSERT_TRUE(under.dialog->IsWaitingForModule());
    const PhaseSnapshot waiting = under.Snapshot();
    ExpectWaiting(waiting);
    EXPECT_TRUE(waiting.step.bold);
    EXPECT_EQ(waiting.step.color, kGreenStep);
    EXPECT_TRUE(under.window.Control(IDC_COM1)->isEnabled());

    ASSERT_TRUE(QTest::qWaitFor([&] { return !under.Boxes().empty(); }, kUpdateLimitMs));
    const SeenBox& box = under.Boxes().front();
    EXPECT_EQ(box.caption, "Firmware Update Complete");
    EXPECT_EQ(box.icon, QMessageBox::Information);
    ExpectTransferring(box.behind);
    EXPECT_EQ(box.behind.progress.text, "Sending firmware page  3  of  3");

    ASSERT_TRUE(QTest::qWaitFor([&] { return under.window.Control(IDC_BEGIN_UPDATE)->isEnabled(); }, 5000));
    EXPECT_EQ(under.Boxes().size(), 1u);
    ExpectIdle(under.Snapshot());
    EXPECT_EQ(under.dialog->LastOutcome(), UpdateOutcome::Succeeded);
    EXPECT_EQ(under.settings.GetProfileInt("Settings", "ComPort", -1), kPort);
    EXPECT_EQ(sim.WaitForExit(std::chrono::seconds(10)), 0) << sim.Transcript();
}

TEST_F(QtUpdatePhasesTest, CancelUpdateEndsTheWaitAndRestoresTheIdleDialog)
{
    test::SimProcess sim(simFolder, {"--never-answer"});
    DialogUnderTest under(sim.Link(), noWindows);
    under.Open();
    under.AnswerBoxes();

    under.Click(IDC_BEGIN_UPDATE);
    ASSERT_TRUE(under.dialog->IsWaitingForModule());
    ExpectWaiting(under.Snapshot());
    QTest::qWait(1200);  // a few wake-up polls
    ExpectWaiting(under.Snapshot());

    under.Click(IDC_BEGIN_UPDATE);
    EXPECT_FALSE(under.dialog->IsWaitingForModule());
    ExpectIdle(under.Snapshot());
    EXPECT_TRUE(under.Boxes().empty());
    EXPECT_EQ(under.dialog->LastOutcome(), UpdateOutcome::Cancelled);
}

}  // namespace
}  // namespace fwut::guitest
