// The whole application against a stand-in desktop portal and notification
// server on the session's bus: the machine is kept from sleeping exactly
// while a timer counts or rings, and the notification of a ring is taken back
// once the ring is over. How the inhibition copes with late answers, other
// services and none is tested in tests/desktop.

#include "support/AppHarness.h"
#include "tests/support/StandInServices.h"

#include <QAction>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

namespace eggtimer::test {
namespace {

using test::StandInNotificationServer;
using test::StandInPortal;

class KeepAwakeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(portal.start()) << "no session bus";
        ASSERT_TRUE(notifications.start());
        // A sound about a second after START.
        writeSettings(
            {{"mode", 1}, {"targetSelecter", 0}, {"targetSound", "WoodTick"}, {"modeDhmMin", "0.02"}});
    }
    bool heldBecomes(App& app, int count) {
        return app.waitFor([&] { return portal.held() == count; }, 5);
    }
    bool closed(App& app, std::size_t notification) {
        return app.waitFor(
            [&] {
                return notification < notifications.notifications.size() &&
                       std::ranges::count(notifications.closed,
                                          notifications.notifications[notification].id) == 1;
            },
            5);
    }
    void settle() { test::settleBus({QDBusConnection::sessionBus(), portal.bus, notifications.bus}); }

    StandInPortal portal;
    StandInNotificationServer notifications;
};

TEST_F(KeepAwakeTest, FromStartUntilTheRingIsOverAndNotAtRest) {
    App app;
    app.waitFor([] { return false; }, 0.5);
    EXPECT_TRUE(portal.inhibitions.empty()) << "asked at rest";

    app.click("timerButton");
    ASSERT_TRUE(heldBecomes(app, 1)) << "not kept awake while counting";
    app.click("timerButton"); // CLEAR
    ASSERT_TRUE(heldBecomes(app, 0));

    // A looping target holds it while it rings, until STOP.
    app.click("timerButton");
    ASSERT_TRUE(app.waitFor([&] { return app.button() == "STOP"; }, 5));
    ASSERT_TRUE(app.waitFor([&] { return !notifications.notifications.empty(); }, 5));
    app.waitFor([] { return false; }, 0.5);
    EXPECT_EQ(portal.held(), 1) << "let go while ringing";
    app.click("timerButton"); // STOP
    EXPECT_TRUE(heldBecomes(app, 0));
    EXPECT_TRUE(closed(app, 0)) << "the notification stayed after STOP";

    // A single-shot target lets it go as it fires; its notification goes
    // at the next START.
    app.cell("targetSelecter", 3, 0)->click();
    app.typeInto("targetAlertMessage", "Tea");
    int heldWhileAlertShows = -1;
    int pollsWhileShown = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box && box->isVisible() && ++pollsWhileShown == 10) { // half a second
            heldWhileAlertShows = portal.held();
            box->buttons().first()->click();
        }
    });
    poll.start(50);
    app.click("timerButton");
    ASSERT_TRUE(app.waitFor([&] { return notifications.notifications.size() == 2; }, 10));
    EXPECT_EQ(heldWhileAlertShows, 0) << "kept awake while the alert waits";
    app.click("timerButton");
    EXPECT_TRUE(closed(app, 1)) << "the alert's notification stayed after a new START";
    EXPECT_TRUE(heldBecomes(app, 1));
}

TEST_F(KeepAwakeTest, QuittingFromTheMenuWhileASoundRingsTakesBackItsNotificationAndTheInhibition) {
    auto app = std::make_unique<App>();
    app->click("timerButton");
    ASSERT_TRUE(app->waitFor([&] { return !notifications.notifications.empty(); }, 5));
    settle();
    ASSERT_EQ(portal.held(), 1);
    app->find<QAction>("actionQuit")->trigger();
    app.reset();
    settle();
    EXPECT_EQ(portal.held(), 0);
    EXPECT_EQ(notifications.closed, std::vector<uint>{notifications.notifications.front().id});
}

} // namespace
} // namespace eggtimer::test
