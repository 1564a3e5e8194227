// Timers firing in the real application, heard through a private sound
// server and seen on a private display. An alert: its beep, then the modal
// panel, whose nested loop goes on serving timers and the session bus while
// it is up. A ring whose music cannot be played: the program's own sound
// instead, again and again until STOP, the window as it was. A file target
// whose file is gone: a notice that says so. The panel's
// texts are checked in tests/desktop; what the controller does around them,
// in tests/unit; that STOP silences a sound, in tests/gstreamer.

#include "support/AppHarness.h"
#include "support/SinkRecorder.h"
#include "tests/support/CapturedStderr.h"
#include "tests/support/MediaFiles.h"
#include "tests/support/StandInServices.h"

#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>

namespace eggtimer::test {
namespace {

using namespace std::chrono_literals;

std::size_t count(const std::string& text, const std::string& part) {
    std::size_t found = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++found;
    return found;
}

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
    ASSERT_TRUE(recorder.waitUntilRecorded(SinkRecorder::Clock::now(), 5s)) << "the recording fell behind";
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

// The music chosen to ring is gone at the ring: the default sound
// (GentleAlarm: three notes in a second and a half) is heard, then heard
// again after its pause, the window as it was and the log's reason said once;
// STOP silences it. How each kind of failure falls back is tests/unit's
// table; what the media library makes of bad files, tests/gstreamer's.
TEST(FiringTest, MusicThatIsGoneRingsTheDefaultSoundAgainAndAgainUntilStop) {
    SinkRecorder recorder;
    ASSERT_TRUE(recorder.start()) << "cannot record the test sink";
    ScratchFolder folder;
    const std::string music = folder / "song.mp3";
    makeToneFile(music);
    writeSettings({{"mode", 1},
                   {"targetSelecter", 1},
                   {"targetMusicPath", QString::fromStdString(music)},
                   {"modeDhmMin", "0.05"}}); // three seconds
    CapturedStderr log;
    App app;
    app.click("timerButton");
    ASSERT_EQ(app.button(), "CLEAR");
    ASSERT_EQ(std::remove(music.c_str()), 0);
    ASSERT_TRUE(app.waitFor([&] { return app.button() == "STOP"; }, 10));
    const auto fired = SinkRecorder::Clock::now();
    EXPECT_TRUE(app.waitFor([&] { return playsIn(recorder.samplesSince(fired - 1s), 0.4) >= 2; }, 10))
        << "not heard twice";

    EXPECT_EQ(app.text("statTimer"), "Timer is firing.");
    EXPECT_EQ(app.text("statFireTarget"), "[Music] song.mp3");
    EXPECT_EQ(app.button(), "STOP");
    const std::string said = log.text();
    EXPECT_EQ(count(said, "ringing with the default sound: \"" + music + "\" cannot be played ("), 1u)
        << said;
    EXPECT_EQ(count(said, "it is gone or cannot be read"), 1u) << said;
    EXPECT_EQ(count(said, "no sound can be played"), 0u) << said;

    app.click("timerButton");
    const auto stopped = SinkRecorder::Clock::now();
    app.waitFor([] { return false; }, 1.5);
    ASSERT_TRUE(recorder.waitUntilRecorded(SinkRecorder::Clock::now(), 5s)) << "the recording fell behind";
    // Allowing for what the server had been given.
    EXPECT_FALSE(SinkRecorder::firstAbove(recorder.samplesSince(stopped + 500ms), 0.02f))
        << "heard after STOP";
}

// The beep itself is heard in the alert's test above.
TEST(FiringTest, AFileThatIsGoneEndsTheTimerAndTheNoticeSaysItCouldNotBeOpened) {
    StandInNotificationServer notifications;
    ASSERT_TRUE(notifications.start()) << "no session bus";
    ScratchFolder folder;
    const std::string file = folder / "report.txt";
    writeFile(file, "Tea\n");
    writeSettings({{"mode", 1},
                   {"targetSelecter", 2},
                   {"targetFilePath", QString::fromStdString(file)},
                   {"modeDhmMin", "0.02"}});
    App app;
    app.click("timerButton");
    ASSERT_EQ(std::remove(file.c_str()), 0);
    ASSERT_TRUE(app.waitFor([&] { return notifications.notifications.size() == 1; }, 10));
    EXPECT_EQ(notifications.notifications[0].body, "Time has come: [File] report.txt (could not be opened)");
    EXPECT_EQ(app.button(), "START");
}

} // namespace
} // namespace eggtimer::test
