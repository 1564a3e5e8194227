// Closing the window while a timer runs, in the real application: the window
// is asked to close as a window manager or compositor asks (the title bar's
// button, Alt+F4), the timer goes on with the window hidden, a notification
// says so once, and the ring brings the window back with STOP at hand (that
// the ring is heard is LaunchTest's and FiringTest's). That the program ends when closed at rest, and goes on
// when closed while a timer runs, is seen from outside in LaunchTest.cpp.

#include "support/AppHarness.h"
#include "tests/support/StandInServices.h"

#include <QWindow>

#include <gtest/gtest.h>

namespace eggtimer::test {
namespace {

TEST(ClosedWindow, HidesWhileTheTimerRunsAndComesBackRinging) {
    StandInPortal portal;
    StandInNotificationServer notifications;
    ASSERT_TRUE(portal.start() && notifications.start()) << "no session bus";
    writeSettings({{"mode", 1}, {"targetSelecter", 0}, {"targetSound", "WoodTick"}, {"modeDhmMin", "0.1"}});
    App app;
    const auto close = [&] { app.window()->windowHandle()->close(); };

    app.click("timerButton");
    close();
    EXPECT_TRUE(app.window()->isHidden());
    EXPECT_EQ(app.button(), "CLEAR");
    ASSERT_TRUE(app.waitFor([&] { return notifications.notifications.size() == 1; }, 5));
    const auto notice = notifications.notifications[0];
    EXPECT_TRUE(notice.body.contains("runs on with its window closed: it rings at "))
        << notice.body.toStdString();
    EXPECT_TRUE(notice.actions.contains("default")) << "a click on the notice must bring the window back";
    EXPECT_EQ(portal.held(), 1) << "the machine may sleep with the window closed";

    // The notice's action brings the window back, and the notice goes.
    settleBus({QDBusConnection::sessionBus(), notifications.bus});
    notifications.send("ActionInvoked", notice.id, QStringLiteral("default"));
    ASSERT_TRUE(app.waitFor([&] { return app.window()->isVisible(); }, 5));
    EXPECT_TRUE(app.waitFor([&] { return notifications.closed == std::vector<uint>{notice.id}; }, 5));
    // Closed again, the same timer is not told of twice.
    close();
    EXPECT_TRUE(app.window()->isHidden());

    // The ring: back on the screen with STOP, not a word more about the
    // closed window.
    ASSERT_TRUE(app.waitFor([&] { return app.window()->isVisible() && app.button() == "STOP"; }, 15))
        << "the ring did not bring the window back";
    ASSERT_TRUE(app.waitFor([&] { return notifications.notifications.size() == 2; }, 5));
    EXPECT_TRUE(notifications.notifications[1].body.startsWith("Time has come: [Sound] WoodTick"));
    app.click("timerButton");
    EXPECT_EQ(app.button(), "START");
}

} // namespace
} // namespace eggtimer::test
