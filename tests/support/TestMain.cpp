// The test programs that need Qt run as the application does: inside one
// QApplication, named as the program names it. Without a display server (a
// test's own session, or listing the tests at build time) Qt draws offscreen.

#include "platform/system/AppIdentity.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("DISPLAY") && !qEnvironmentVariableIsSet("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    eggtimer::nameApplication();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
