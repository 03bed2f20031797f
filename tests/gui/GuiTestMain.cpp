// The GUI tests' main: one QApplication for all cases, on the offscreen
// platform unless the environment names another (the X11 tests run on xcb).
#include <QApplication>
#include <gtest/gtest.h>

#include "app/gui/DialogFonts.h"

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    fwut::qt::InstallFontSubstitutes();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
