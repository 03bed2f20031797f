// The About dialog's link fields on Qt: which mouse messages open a link,
// and where the focus stays.
#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

#include "app/gui/QtAboutWindow.h"
#include "resources/resource.h"
#include "tests/gui/GuiTestSupport.h"

namespace fwut::guitest {
namespace {

const std::string kWeb = "http://www.fernhollow.example";

class QtAboutWindowTest : public ::testing::Test {
protected:
    QtAboutWindowTest()
    {
        about.InitDialog();
        about.show();
        QApplication::setActiveWindow(&about);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&about));
    }

    QWidget* Link(int id) { return about.Control(id); }
    // A point over the first letters of a link.
    static QPoint OverText(QWidget* link) { return QPoint(3, link->height() / 2); }

    RecordingShell shell;
    qt::QtAboutWindow about{shell, nullptr};
};

// Which text opens which target is the dialog's own rule, which the Windows
// end-to-end run checks; here only that the link field passes on the press.
TEST_F(QtAboutWindowTest, OnlyTheLeftPressOverALinkOpensItAndTheFocusStaysOnOk)
{
    QWidget* web = Link(IDC_LINK_WEB);
    QTest::mousePress(web, Qt::RightButton, Qt::NoModifier, OverText(web));
    QTest::mouseRelease(web, Qt::RightButton, Qt::NoModifier, OverText(web));
    EXPECT_TRUE(shell.opened.empty());
    QTest::mousePress(web, Qt::LeftButton, Qt::NoModifier, OverText(web));
    QTest::mouseRelease(web, Qt::LeftButton, Qt::NoModifier, OverText(web));
    EXPECT_EQ(shell.opened, std::vector<std::string>{kWeb}) << "the release opens nothing";
    EXPECT_EQ(QApplication::focusWidget(), about.Control(IDOK)) << "no caret in a link field";
}

}  // namespace
}  // namespace fwut::guitest
