// The About dialog on Qt: its texts and links, which mouse messages open a
// link, where the focus stays, and how it is reached and ended.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
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

TEST_F(QtAboutWindowTest, ItShowsTheProgramItsVersionAndTheContacts)
{
    EXPECT_EQ(about.windowTitle(), "About FieldGatherer Mobile Module Update");
    EXPECT_EQ(qobject_cast<QLabel*>(about.Control(IDC_ABOUT_TITLE))->text(),
              "FieldGatherer Mobile Module Firmware Update");
    EXPECT_EQ(qobject_cast<QLabel*>(about.Control(IDC_ABOUT_VERSION))->text(), "Version 2.0.0.62");
    EXPECT_EQ(qobject_cast<QLabel*>(about.Control(IDC_ABOUT_RELEASED))->text(), "Released May 1, 2018");
    EXPECT_NE(qobject_cast<QLabel*>(about.Control(IDC_ABOUT_STATEMENT))->text().indexOf("Digital & Command"), -1);
    EXPECT_EQ(qobject_cast<QLabel*>(Link(IDC_LINK_WEB))->text(), "www.fernhollow.example");
    EXPECT_TRUE(Link(IDC_LINK_SALES)->font().underline());
    EXPECT_EQ(QApplication::focusWidget(), about.Control(IDOK));
}

TEST_F(QtAboutWindowTest, OnlyThePressOfTheLeftButtonOverALinkOpensIt)
{
    QWidget* web = Link(IDC_LINK_WEB);
    QTest::mouseMove(web, OverText(web));
    QTest::mousePress(web, Qt::RightButton, Qt::NoModifier, OverText(web));
    QTest::mouseRelease(web, Qt::RightButton, Qt::NoModifier, OverText(web));
    EXPECT_TRUE(shell.opened.empty());

    QTest::mousePress(web, Qt::LeftButton, Qt::NoModifier, OverText(web));
    EXPECT_EQ(shell.opened, std::vector<std::string>{kWeb});
    QTest::mouseRelease(web, Qt::LeftButton, Qt::NoModifier, OverText(web));
    QTest::mouseMove(web, OverText(web) + QPoint(2, 0));
    EXPECT_EQ(shell.opened.size(), 1u) << "the release and moves open nothing";

    // Beside the text the field is no link.
    QTest::mousePress(web, Qt::LeftButton, Qt::NoModifier, QPoint(web->width() - 1, web->height() / 2));
    EXPECT_EQ(shell.opened.size(), 1u);
}

TEST_F(QtAboutWindowTest, ADoubleClickOpensTheLinkOnce)
{
    // Through the window, so that Qt makes the second press a double click.
    QWidget* sales = Link(IDC_LINK_SALES);
    QTest::mouseDClick(about.windowHandle(), Qt::LeftButton, Qt::NoModifier, sales->mapTo(&about, OverText(sales)));
    EXPECT_EQ(shell.opened, std::vector<std::string>{kSales});
}

TEST_F(QtAboutWindowTest, EachLinkOpensItsOwnTarget)
{
    for (int id : {IDC_LINK_SUPPORT, IDC_LINK_SALES, IDC_LINK_WEB}) {
        QTest::mouseClick(Link(id), Qt::LeftButton, Qt::NoModifier, OverText(Link(id)));
    }
    EXPECT_EQ(shell.opened, (std::vector<std::string>{kSupport, kSales, kWeb}));
}

TEST_F(QtAboutWindowTest, ClickingIntoALinkOrTabbingLeavesTheFocusOnOk)
{
    QWidget* ok = about.Control(IDOK);
    QTest::mouseClick(Link(IDC_LINK_SUPPORT), Qt::LeftButton, Qt::NoModifier, OverText(Link(IDC_LINK_SUPPORT)));
    EXPECT_EQ(QApplication::focusWidget(), ok);
    Link(IDC_LINK_WEB)->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(QApplication::focusWidget(), ok);
    QTest::keyClick(ok, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), ok) << "OK is the only tab stop";
}

TEST_F(QtAboutWindowTest, OkAndEscapeEndIt)
{
    QTest::keyClick(&about, Qt::Key_Escape);
    EXPECT_FALSE(about.isVisible());
    about.show();
    qobject_cast<QPushButton*>(about.Control(IDOK))->click();
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(about.result(), QDialog::Accepted);
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
