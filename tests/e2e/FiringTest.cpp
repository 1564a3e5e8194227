// The alert of a firing timer in the real application, on a private display
// and heard through a private sound server: the beep, then the modal panel,
// whose nested loop goes on serving timers while it is up. The panel's texts
// are checked in tests/desktop; what the controller does around the panel,
// and the sound loops, in tests/unit and tests/media.

#include "support/AppHarness.h"
#include "support/SinkRecorder.h"

#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

namespace eggtimer {
namespace {

using testing::SinkRecorder;

TEST(FiringTest, TheAlertKeepsTheStatusAreaWhileItShowsAfterABeep) {
    SinkRecorder recorder;
    ASSERT_TRUE(recorder.start()) << "cannot record the test sink";
    writeSettings({{"mode", 1}, {"targetSelecter", 3}, {"targetMessage", "Tea"}, {"modeDhmMin", "0"}});
    App app;
    const std::size_t before = recorder.sampleCount();
    // Left up for a few seconds, the panel must not let a count-down tick
    // redraw the status area.
    QElapsedTimer shownFor;
    QStringList statesWhileShown;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        if (!shownFor.isValid())
            shownFor.start();
        statesWhileShown << app.text("statTimer") + " " + app.text("statSeconds");
        if (shownFor.elapsed() > 2500)
            box->buttons().first()->click();
    });
    poll.start(50);
    app.click("timerButton");
    ASSERT_TRUE(app.waitFor([&] { return shownFor.isValid() && app.button() == "START"; }, 10));
    // What START drew, since the timer fired before its first tick.
    const QString stateBeforeFiring = statesWhileShown.first();
    EXPECT_TRUE(stateBeforeFiring.startsWith("Timer is running. ( ")) << stateBeforeFiring.toStdString();
    EXPECT_EQ(statesWhileShown.last(), stateBeforeFiring);
    EXPECT_TRUE(SinkRecorder::firstAbove(recorder.samplesFrom(before), 0.05f).has_value())
        << "no beep was heard";
}

} // namespace
} // namespace eggtimer
