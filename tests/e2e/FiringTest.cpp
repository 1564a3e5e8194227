// An alert firing in the real application, heard through a private sound
// server and seen on a private display: its beep, then the modal panel, whose
// nested loop goes on serving timers and the session bus while it is up. The
// panel's texts are checked in tests/desktop; what the controller does around
// it, in tests/unit; that STOP silences a sound, in tests/gstreamer.

#include "support/AppHarness.h"
#include "support/SinkRecorder.h"
#include "tests/support/StandInServices.h"

#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

namespace eggtimer::test {
namespace {

// While the alert waits, a count-down tick must not redraw the status area
// and the machine may sleep; its notification stays until the next START,
// which keeps the machine awake again.
TEST(FiringTest, TheAlertKeepsTheStatusAreaWhileItShowsAfterABeep) {
    SinkRecorder recorder;
    ASSERT_TRUE(recorder.start()) << "cannot record the test sink";
    StandInPortal portal;
    StandInNotificationServer notifications;
    ASSERT_TRUE(portal.start() && notifications.start()) << "no session bus";
    writeSettings({{"mode", 1}, {"targetSelecter", 3}, {"targetMessage", "Tea"}, {"modeDhmMin", "0.02"}});
    App app;
    app.waitFor([] { return false; }, 0.5);
    EXPECT_TRUE(portal.inhibitions.empty()) << "asked at rest";
    const std::size_t before = recorder.sampleCount();
    QStringList statesWhileShown;
    int heldWhileShown = -1;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        statesWhileShown << app.text("statTimer") + " " + app.text("statSeconds");
        if (statesWhileShown.size() == 10) // half a second
            heldWhileShown = portal.held();
        if (statesWhileShown.size() > 50) // at least 2.5 seconds
            box->buttons().first()->click();
    });
    poll.start(50);
    app.click("timerButton");
    ASSERT_TRUE(app.waitFor([&] { return !statesWhileShown.isEmpty() && app.button() == "START"; }, 10));
    EXPECT_TRUE(statesWhileShown.first().startsWith("Timer is running. ( "))
        << statesWhileShown.first().toStdString();
    EXPECT_EQ(statesWhileShown.last(), statesWhileShown.first());
    EXPECT_TRUE(SinkRecorder::firstAbove(recorder.samplesFrom(before), 0.05f).has_value())
        << "no beep was heard";
    EXPECT_EQ(heldWhileShown, 0) << "kept awake while the alert waits";

    ASSERT_TRUE(app.waitFor([&] { return notifications.notifications.size() == 1; }, 5));
    settleBus({QDBusConnection::sessionBus(), notifications.bus}); // shown, its id known
    app.click("timerButton");
    EXPECT_TRUE(app.waitFor(
        [&] { return notifications.closed == std::vector<uint>{notifications.notifications[0].id}; }, 5))
        << "the alert's notification stayed after a new START";
    EXPECT_TRUE(app.waitFor([&] { return portal.held() == 1; }, 5));
}

} // namespace
} // namespace eggtimer::test
