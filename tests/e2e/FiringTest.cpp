// A timer firing in the real application, heard through a private sound
// server and seen on a private display: the sound and music loops with
// their pauses, silence after STOP, the desktop notification and its Stop, a
// file handed to its default application, the alert with the user's words,
// and the beep.

#include "support/AppHarness.h"
#include "support/SinkRecorder.h"
#include "tests/desktop/FakeNotificationServer.h"

#include <QElapsedTimer>
#include <QMessageBox>
#include <QProcess>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace eggtimer {
namespace {

using testing::SinkRecorder;
using namespace std::chrono_literals;

constexpr float kAudible = 0.01f;
constexpr double kWoodTickSeconds = 0.44; // the shipped sound's length

// Stretches of sound in a recording, as [first, last] sample indices, split
// wherever at least `gap` seconds stay below the audible level.
std::vector<std::pair<std::size_t, std::size_t>> soundingStretches(const std::vector<float>& samples,
                                                                   double gap) {
    std::vector<std::pair<std::size_t, std::size_t>> stretches;
    const auto gapSamples = static_cast<std::size_t>(gap * SinkRecorder::kRate);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (std::fabs(samples[i]) <= kAudible)
            continue;
        if (!stretches.empty() && i - stretches.back().second < gapSamples)
            stretches.back().second = i;
        else
            stretches.emplace_back(i, i);
    }
    return stretches;
}

class FiringTest : public ::testing::Test {
protected:
    void SetUp() override {
        QFile::remove(settingsFile());
        ASSERT_TRUE(recorder.start()) << "cannot record the test sink";
    }
    // Lets the app run for `seconds` while recording.
    static void run(App& app, double seconds) {
        app.waitFor([] { return false; }, seconds);
    }
    // After STOP, nothing louder than the audible level from 100 ms on.
    void expectSilenceAfter(SinkRecorder::Clock::time_point stop) {
        std::this_thread::sleep_for(600ms);
        const auto samples = recorder.samplesSince(stop + 100ms);
        ASSERT_GT(samples.size(), std::size_t{SinkRecorder::kRate / 4});
        EXPECT_LT(SinkRecorder::rms(samples, 0, samples.size()), 0.002);
        auto last = SinkRecorder::lastAbove(samples, kAudible);
        EXPECT_FALSE(last.has_value()) << "sound " << (last ? *last * 1000.0 / SinkRecorder::kRate : 0)
                                       << " ms after the first 100 ms after STOP";
    }

    SinkRecorder recorder;
};

TEST_F(FiringTest, ASoundRepeatsAfterHalfSecondPausesUntilStop) {
    writeSettings({{"mode", 1}, {"targetSelecter", 0}, {"targetSound", "WoodTick"}, {"modeDhmMin", "0"}});
    App app;
    ASSERT_EQ(app.find<QComboBox>("targetSoundPopup")->currentText(), "WoodTick");
    const std::size_t before = recorder.sampleCount();
    app.click("timerButton");
    ASSERT_TRUE(app.waitFor([&] { return app.button() == "STOP"; }, 2));
    run(app, 3.5);

    // The tick fades below hearing before its file ends, so the pause is
    // measured from start to start: the file's length, then half a second.
    const auto plays = soundingStretches(recorder.samplesFrom(before), 0.25);
    ASSERT_GE(plays.size(), 3u);
    for (std::size_t i = 1; i < plays.size(); ++i) {
        double period = double(plays[i].first - plays[i - 1].first) / SinkRecorder::kRate;
        EXPECT_NEAR(period, kWoodTickSeconds + 0.5, 0.25) << "play " << i;
    }
    app.click("timerButton");
    const auto stopped = SinkRecorder::Clock::now();
    EXPECT_EQ(app.button(), "START");
    expectSilenceAfter(stopped);
}

// The window's own request for attention cannot be seen from here (and on
// Wayland Qt sends none); the notification is what reaches the user for sure.
TEST_F(FiringTest, TheDesktopIsNotifiedAndItsStopEndsTheSound) {
    test::FakeNotificationServer server({QStringLiteral("actions")});
    ASSERT_TRUE(server.start()) << "no session bus";
    writeSettings({{"mode", 1}, {"targetSelecter", 0}, {"targetSound", "WoodTick"}, {"modeDhmMin", "0"}});
    App app;
    const std::size_t before = recorder.sampleCount();
    app.click("timerButton");
    ASSERT_TRUE(app.waitFor([&] { return !server.notifications.isEmpty(); }, 5)) << "no notification";
    const auto shown = server.notifications.front();
    EXPECT_EQ(shown.body, "Time has come: [Sound] WoodTick");
    EXPECT_EQ(shown.actions, (QStringList{QStringLiteral("stop"), QStringLiteral("Stop")}));
    // The server shows it under the program's name and icon: the same desktop
    // entry the window is tied to.
    EXPECT_EQ(shown.hints.value(QStringLiteral("desktop-entry")).toString(), QStringLiteral(EGGTIMER_APP_ID));
    EXPECT_EQ(app.button(), "STOP");
    ASSERT_TRUE(app.waitFor(
        [&] { return SinkRecorder::firstAbove(recorder.samplesFrom(before), kAudible).has_value(); }, 3))
        << "the sound was not heard";

    // The program learns the notification's id from the reply to Notify,
    // which the server sent before this signal, and the bus keeps the order.
    server.invokeAction(shown.id, QStringLiteral("stop"));
    ASSERT_TRUE(app.waitFor([&] { return app.button() == "START"; }, 3)) << "Stop did not stop";
    EXPECT_EQ(app.master->status(), TimerStatusNotSet);
    expectSilenceAfter(SinkRecorder::Clock::now());
}

TEST_F(FiringTest, MusicRepeatsAfterOneSecondPausesUntilStop) {
    const QString music = QDir::tempPath() + "/eggtimer test tone.aiff";
    ASSERT_EQ(QProcess::execute("sox", {"-n", "-r", "48000", "-b", "16", "-c", "1", music, "synth", "0.6",
                                        "sine", "660", "vol", "0.5"}),
              0);
    writeSettings({{"mode", 1}, {"targetSelecter", 1}, {"targetMusicPath", music}, {"modeDhmMin", "0"}});
    App app;
    EXPECT_EQ(app.text("targetMusicName"), "eggtimer test tone.aiff");
    const std::size_t before = recorder.sampleCount();
    app.click("timerButton");
    ASSERT_TRUE(app.waitFor([&] { return app.button() == "STOP"; }, 5));
    run(app, 5.0);

    const auto plays = soundingStretches(recorder.samplesFrom(before), 0.5);
    ASSERT_GE(plays.size(), 3u);
    for (std::size_t i = 1; i < plays.size(); ++i) {
        double pause = double(plays[i].first - plays[i - 1].second) / SinkRecorder::kRate;
        EXPECT_NEAR(pause, 1.0, 0.25) << "pause " << i;
    }
    app.click("timerButton");
    const auto stopped = SinkRecorder::Clock::now();
    expectSilenceAfter(stopped);
    QFile::remove(music);
}

TEST_F(FiringTest, AFileIsHandedToItsDefaultApplicationAsItIs) {
    // A default application for plain text that writes down what it was given.
    const QString home = QDir::homePath(), record = home + "/opened.txt";
    const QString handler = home + "/record-argument.sh";
    QDir().mkpath(home + "/.local/share/applications");
    QFile script(handler);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(("#!/bin/sh\nprintf '%s' \"$1\" > '" + record + ".part' && mv '" + record + ".part' '" +
                  record + "'\n")
                     .toUtf8());
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile entry(home + "/.local/share/applications/record.desktop");
    ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
    entry.write(
        ("[Desktop Entry]\nType=Application\nName=Record\nExec=" + handler + " %f\nMimeType=text/plain;\n")
            .toUtf8());
    entry.close();
    QFile mimeapps(home + "/.config/mimeapps.list");
    ASSERT_TRUE(mimeapps.open(QIODevice::WriteOnly));
    mimeapps.write("[Default Applications]\ntext/plain=record.desktop\n");
    mimeapps.close();

    const QString awkward = home + "/-notes $(touch pwned) `id` 'quoted' \"é\".txt";
    QFile target(awkward);
    ASSERT_TRUE(target.open(QIODevice::WriteOnly));
    target.write("tea\n");
    target.close();

    writeSettings({{"mode", 1}, {"targetSelecter", 2}, {"targetFilePath", awkward}, {"modeDhmMin", "0"}});
    App app;
    app.click("timerButton");
    ASSERT_TRUE(app.waitFor([&] { return QFile::exists(record); }, 10)) << "the handler never ran";
    QFile opened(record);
    ASSERT_TRUE(opened.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(opened.readAll()), awkward);
    EXPECT_FALSE(QFile::exists(QDir::currentPath() + "/pwned"));
    EXPECT_FALSE(QFile::exists(home + "/pwned"));
    EXPECT_EQ(app.button(), "START");
    EXPECT_EQ(app.master->status(), TimerStatusNotSet);
}

TEST_F(FiringTest, TheAlertShowsTheMessageLiterallyAfterABeep) {
    const QString message = "<b>Tea</b> %@ %n %s\n100% ready";
    writeSettings({{"mode", 1}, {"targetSelecter", 3}, {"targetMessage", message}, {"modeDhmMin", "0"}});
    App app;
    const std::size_t before = recorder.sampleCount();
    QString shownText, shownInformative;
    Qt::TextFormat format = Qt::AutoText;
    int buttons = 0;
    // The panel's nested loop goes on serving timers: left up for a few
    // seconds, it must not let a count-down tick redraw the status area.
    QElapsedTimer shownFor;
    QStringList statesWhileShown;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            if (!box || !box->isVisible())
                continue;
            if (!shownFor.isValid())
                shownFor.start();
            shownText = box->text();
            shownInformative = box->informativeText();
            format = box->textFormat();
            buttons = int(box->buttons().size());
            statesWhileShown << app.text("statTimer") + " " + app.text("statSeconds");
            // The target controls stay locked until the panel is dismissed.
            EXPECT_FALSE(app.find<QComboBox>("targetSoundPopup")->isEnabled());
            if (shownFor.elapsed() > 2500)
                box->buttons().first()->click();
        }
    });
    poll.start(50);
    app.click("timerButton");
    ASSERT_TRUE(app.waitFor([&] { return !shownText.isEmpty() && app.button() == "START"; }, 10));
    // What START drew, since the timer fired before its first tick.
    const QString stateBeforeFiring = statesWhileShown.first();
    EXPECT_TRUE(stateBeforeFiring.startsWith("Timer is running. ( ")) << stateBeforeFiring.toStdString();
    EXPECT_EQ(statesWhileShown.last(), stateBeforeFiring);
    app.waitFor([] { return false; }, 1.5);
    EXPECT_EQ(app.text("statTimer") + " " + app.text("statSeconds"), stateBeforeFiring);
    EXPECT_EQ(shownText, message);
    EXPECT_EQ(shownInformative, "Time has come.\n");
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_EQ(buttons, 1);
    EXPECT_TRUE(app.find<QComboBox>("targetSoundPopup")->isEnabled());

    // The beep before it was heard.
    std::this_thread::sleep_for(300ms);
    const auto samples = recorder.samplesFrom(before);
    EXPECT_TRUE(SinkRecorder::firstAbove(samples, 0.05f).has_value()) << "no beep was heard";
}

} // namespace
} // namespace eggtimer
