// A real update through the Qt window against fwut-sim on a pseudo-terminal,
// with the keyboard alone: the focus order, the arrow keys among the port
// buttons, Space on "Begin Update" and on the outcome box's OK; the controls
// and highlights of the three phases (the transfer's as the success box finds
// them), the success box, and the dialog back at rest.
#include <QAbstractButton>
#include <QTest>
#include <csignal>
#include <gtest/gtest.h>

#include "resources/resource.h"
#include "tests/gui/GuiTestSupport.h"
#include "ui/DialogTexts.h"

namespace fwut::guitest {

TEST(QtUpdatePhases, AKeyboardUpdateGoesFromIdleThroughWaitingAndTransferToSuccessAndBack)
{
    const std::string idle = "Begin Update on, Done on, Refresh on, Contact on, status";
    test::TempDir simFolder;
    test::SimProcess sim(simFolder, {"--once", "--answer-after", "2"});
    PseudoTerminal other;  // COM3, checked first as the lowest port
    NoTopLevelWindows noWindows;
    DialogUnderTest under({{3, other.SlavePath()}, {kPort, sim.Link()}}, noWindows);
    under.Open();
    EXPECT_EQ(under.Phase(), idle);
    const auto focused = [&] { return under.window.focusWidget(); };
    const auto checked = [&](int id) { return qobject_cast<QAbstractButton*>(under.window.Control(id))->isChecked(); };
    // Done first, no default button; then the group, Refresh, Begin Update, Contact Information.
    EXPECT_EQ(focused(), under.window.Control(IDCANCEL));
    under.Key(Qt::Key_Return);
    EXPECT_TRUE(under.window.isVisible());
    for (const int id : {IDC_COM1, IDC_REFRESH_PORTS, IDC_BEGIN_UPDATE, IDC_CONTACT_INFORMATION, IDCANCEL}) {
        under.Key(Qt::Key_Tab);
        EXPECT_EQ(focused(), under.window.Control(id)) << id;
    }
    // The arrows move the check mark with the focus, round the shown buttons.
    under.Key(Qt::Key_Tab);
    under.Key(Qt::Key_Right);
    EXPECT_EQ(focused(), under.window.Control(IDC_COM1 + 1));
    EXPECT_TRUE(checked(IDC_COM1 + 1) && !checked(IDC_COM1));
    under.Key(Qt::Key_Down);
    EXPECT_TRUE(checked(IDC_COM1) && !checked(IDC_COM1 + 1));
    under.Key(Qt::Key_Left);
    EXPECT_TRUE(checked(IDC_COM1 + 1));
    under.Key(Qt::Key_Tab);
    under.Key(Qt::Key_Tab);

    under.AnswerBoxes();
    under.Key(Qt::Key_Space);
    // The start ran inside the key press; the wait is armed now.
    ASSERT_TRUE(under.dialog->IsWaitingForModule());
    EXPECT_EQ(under.Phase(), "Cancel Update on, Done off, Refresh off, Contact off, status bold red");
    EXPECT_TRUE(under.LookOf(IDC_STEP).bold);
    EXPECT_EQ(under.LookOf(IDC_STEP).color, QColor(0, 128, 0));
    EXPECT_TRUE(under.window.Control(IDC_COM1 + 1)->isEnabled());
    EXPECT_FALSE(under.window.Control(IDC_COM1)->isEnabled());

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

// The line taken away in the wait (the simulator's end closes the far side of
// its pseudo-terminal, as an unplugged adapter ends the device): the window
// ends the wait as "Cancel Update" would and says why in its status line.
TEST(QtUpdatePhases, ALineTakenAwayInTheWaitEndsItAndTheStatusLineSaysSo)
{
    test::TempDir simFolder;
    test::SimProcess sim(simFolder, {"--once", "--never-answer"});
    NoTopLevelWindows noWindows;
    DialogUnderTest under({{kPort, sim.Link()}}, noWindows);
    under.Open();
    under.Click(IDC_BEGIN_UPDATE);
    ASSERT_TRUE(under.dialog->IsWaitingForModule());
    sim.Signal(SIGKILL);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !under.dialog->IsWaitingForModule(); }, 5000));
    EXPECT_EQ(under.window.GetDlgItemTextA(IDC_STATUS), kSerialLineGone);
    EXPECT_EQ(under.window.GetDlgItemTextA(IDC_BEGIN_UPDATE), "Begin Update");
    EXPECT_EQ(under.dialog->LastOutcome(), UpdateOutcome::LineLost);
    EXPECT_FALSE(under.dialog->m_serialPort.IsOpen());
    EXPECT_TRUE(under.Boxes().empty());
}

}  // namespace fwut::guitest
