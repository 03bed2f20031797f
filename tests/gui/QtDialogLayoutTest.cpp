// The main dialog as the Qt window builds it from template 102: its size,
// texts, fonts and highlights, whole port labels, and the keys.
#include <QAbstractButton>
#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "resources/resource.h"
#include "tests/gui/GuiTestSupport.h"

namespace fwut::guitest {
namespace {

class QtDialogLayoutTest : public ::testing::Test {
protected:
    PseudoTerminal line;  // stands for COM5
    NoTopLevelWindows noWindows;
    DialogUnderTest under{{{kPort, line.SlavePath()}}, noWindows};
};

TEST(QtPortButtons, EveryLabelUpToCom100IsWhollyVisibleInItsPlace)
{
    test::TempDir devices;
    std::map<int, std::string> portMap;
    for (int port : {1, 2, 3, 9, 10, 11, 12, 20, 33, 34, 35, 40, 55, 64, 65, 66, 77, 88, 98, 99, 100, 8}) {
        portMap[port] = devices.Path("tty" + std::to_string(port));
        std::ofstream(portMap[port]) << "";
    }
    NoTopLevelWindows noWindows;
    DialogUnderTest under(portMap, noWindows);
    under.Open();
    for (int id = IDC_COM1; id <= IDC_COM22; ++id) {
        auto* button = qobject_cast<QAbstractButton*>(under.window.Control(id));
        SCOPED_TRACE(button->text().toStdString());
        EXPECT_TRUE(button->isVisible());
        EXPECT_GE(button->width(), button->sizeHint().width()) << "the label is clipped";
        // Widening keeps the two rows of eleven in their columns.
        const QWidget* first = under.window.Control(id <= IDC_COM11 ? IDC_COM1 : IDC_COM12);
        EXPECT_EQ(button->y(), first->y());
        if (id <= IDC_COM11) {
            EXPECT_EQ(button->x(), under.window.Control(id + 11)->x());
        }
        if (id != IDC_COM11 && id != IDC_COM22) {
            EXPECT_LT(button->geometry().right(), under.window.Control(id + 1)->x())
                << "it reaches into the next button";
        }
    }
    EXPECT_EQ(qobject_cast<QAbstractButton*>(under.window.Control(IDC_COM22))->text(), "COM100");
}

TEST_F(QtDialogLayoutTest, AfterInitialisationTheTextsAndHighlightsAreThoseOfAnIdleDialog)
{
    under.Open();
    EXPECT_EQ(under.window.windowTitle(), "FieldGatherer Mobile Module Firmware Update");
    const Look useWith = under.LookOf(IDC_USE_WITH);
    EXPECT_TRUE(useWith.bold);
    EXPECT_EQ(useWith.color, QColor(192, 0, 0));
    EXPECT_EQ(QFontInfo(under.window.Control(IDC_USE_WITH)->font()).family(), "Liberation Sans");
    // 8 points at 96 dots per inch: 11 pixels, whose base units (6 by 12)
    // make template 102's 647 by 392 units.
    if (under.window.logicalDpiY() == 96) {
        EXPECT_EQ(under.window.size(), QSize(971, 588));
    }

    // Static texts show "&" as it is: nothing is taken as a mnemonic.
    auto* instructions = qobject_cast<QLabel*>(under.window.Control(IDC_INSTRUCTIONS));
    EXPECT_NE(instructions->text().indexOf("Docking Station & connected"), -1);
    EXPECT_EQ(instructions->textFormat(), Qt::PlainText);
    EXPECT_EQ(instructions->buddy(), nullptr);

    // The one installed port takes the first slot, and names its device.
    EXPECT_FALSE(under.LookOf(IDC_COM1 + 1).visible);
    EXPECT_EQ(under.window.Control(IDC_COM1)->toolTip().toStdString(), line.SlavePath());
}

TEST_F(QtDialogLayoutTest, EnterDoesNothingEscapeAndCloseActAsDoneOnlyWhileDoneCanBeUsed)
{
    under.Open();
    QTest::keyClick(&under.window, Qt::Key_Return);
    under.window.EnableDlgItem(IDCANCEL, false);
    EXPECT_FALSE(under.window.close());
    QTest::keyClick(&under.window, Qt::Key_Escape);
    EXPECT_TRUE(under.window.isVisible());
    under.window.EnableDlgItem(IDCANCEL, true);
    QTest::keyClick(&under.window, Qt::Key_Escape);
    EXPECT_FALSE(under.window.isVisible());
    EXPECT_EQ(under.window.result(), IDCANCEL);
}

}  // namespace
}  // namespace fwut::guitest
