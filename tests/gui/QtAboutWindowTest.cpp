// The About dialog on Qt: its texts and links, which mouse messages open a
// link, where the focus stays, and how it is reached and ended.
#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "app/gui/QtAboutWindow.h"
#include "resources/resource.h"
#include "tests/gui/GuiTestSupport.h"

namespace fwut::guitest {
namespace {

const std::string kWeb = "http://www.fernhollow.example";
const std::string kSales = "mailto:sales@fernhollow.example?Subject=Firmware Update Program";
const std::string kSupport = "mailto:help@fernhollow.example?Subject=Firmware Update Program";

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

TEST_F(QtAboutWindowTest, OnlyTheLeftPressOverALinkOpensItsOwnTargetOnce)
{
    EXPECT_EQ(qobject_cast<QLabel*>(about.Control(IDC_ABOUT_VERSION))->text(), "Version 2.0.0.62");
    QWidget* web = Link(IDC_LINK_WEB);
    QTest::mouseMove(web, OverText(web));
    QTest::mousePress(web, Qt::RightButton, Qt::NoModifier, OverText(web));
    QTest::mouseRelease(web, Qt::RightButton, Qt::NoModifier, OverText(web));
    EXPECT_TRUE(shell.opened.empty());
    QTest::mousePress(web, Qt::LeftButton, Qt::NoModifier, OverText(web));
    QTest::mouseRelease(web, Qt::LeftButton, Qt::NoModifier, OverText(web));
    QTest::mousePress(web, Qt::LeftButton, Qt::NoModifier, QPoint(web->width() - 1, web->height() / 2));
    EXPECT_EQ(shell.opened, std::vector<std::string>{kWeb}) << "the release, and beside the text, open nothing";

    // Through the window, so that Qt makes the second press a double click.
    QWidget* sales = Link(IDC_LINK_SALES);
    QTest::mouseDClick(about.windowHandle(), Qt::LeftButton, Qt::NoModifier, sales->mapTo(&about, OverText(sales)));
    QTest::mouseClick(Link(IDC_LINK_SUPPORT), Qt::LeftButton, Qt::NoModifier, OverText(Link(IDC_LINK_SUPPORT)));
    EXPECT_EQ(shell.opened, (std::vector<std::string>{kWeb, kSales, kSupport}));
    EXPECT_EQ(QApplication::focusWidget(), about.Control(IDOK)) << "no caret in a link field";
}

TEST(QtAboutFromMainDialog, ContactInformationShowsTheAboutDialogModally)
{
    NoTopLevelWindows noWindows;
    DialogUnderTest under("/dev/null", noWindows);
    under.Open();
    QString seenTitle;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* about = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            seenTitle = about->windowTitle();
            about->reject();
        }
    });
    closer.start(20);
    under.Click(IDC_CONTACT_INFORMATION);
    EXPECT_EQ(seenTitle, "About FieldGatherer Mobile Module Update");
    EXPECT_TRUE(under.window.isVisible());
}

}  // namespace
}  // namespace fwut::guitest
