// The application as a user meets it: the shipped window on the real
// platform, clicked and typed into, its status area read back.

#include "support/AppHarness.h"

#include <QProcess>
#include <QWindow>

#include <gst/gst.h>

#include <gtest/gtest.h>

namespace eggtimer::test {
namespace {

class AppTest : public ::testing::Test {
protected:
    void SetUp() override { QFile::remove(settingsFile()); }
};

// A megabyte in the message and in the music and file names, stored from an
// earlier run.
const QVariantMap kLongTexts{{"targetSelecter", 3},
                             {"targetMessage", QStringLiteral("Take the bread out. ").repeated(1 << 16)},
                             {"targetMusicPath", "/music/" + QString(1 << 20, u'n') + ".mp3"},
                             {"targetFilePath", "/files/" + QString(1 << 20, u'f') + ".pdf"}};

// On the session's own display server, not through a stand-in: on a Wayland
// desktop that is Wayland itself, not XWayland. Whatever the texts stored, the
// window opens at the size it has with short ones and draws their lines
// shortened with "…" (what the labels show, tooltip and read out is the
// window tests'). The shipped sounds are found and the mouse and the
// keyboard shortcut reach the window.
TEST_F(AppTest, OpensOnTheSessionsDisplayAtItsSizeAndStartsAndClearsByMouseAndKeyboard) {
    writeSettings({{"targetSelecter", 3}, {"targetMessage", "Tea"}});
    const QSize withShortTexts = App().window()->size();
    writeSettings(kLongTexts);
    App app;
    EXPECT_EQ(QGuiApplication::platformName(), qEnvironmentVariableIsSet("WAYLAND_DISPLAY")
                                                   ? QStringLiteral("wayland")
                                                   : QStringLiteral("xcb"));
    QWindow* window = app.window()->windowHandle();
    ASSERT_NE(window, nullptr);
    // Qt on Wayland counts a window unexposed while its compositor is late
    // with a frame callback, as a busy mutter can be.
    EXPECT_TRUE(app.waitFor([window] { return window->isExposed(); }, 10));
    EXPECT_EQ(app.window()->size(), withShortTexts);
    for (const char* name : {"statFireTarget", "targetMusicName", "targetFileName"})
        EXPECT_TRUE(app.text(name).endsWith(QChar(0x2026))) << name;
    EXPECT_EQ(app.text("statTimer"), "Timer not set.");
    EXPECT_GT(app.find<QComboBox>("targetSoundPopup")->count(), 3);

    app.click("timerButton");
    EXPECT_EQ(app.button(), "CLEAR");
    QTest::keyClick(app.window(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(app.button(), "START");
    EXPECT_EQ(app.controller().status(), TimerStatusNotSet);
}

// Streams the sound server plays, as the desktop's mixer lists them.
int soundServerStreams() {
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"), {"list", "short", "sink-inputs"});
    pactl.waitForFinished();
    return int(pactl.readAllStandardOutput().count('\n'));
}

// The plug-ins that read and convert a sound are loaded.
bool soundPlugInsLoaded() {
    if (!gst_is_initialized())
        return false;
    bool loaded = true;
    for (const char* name : {"aiff", "audioresample"}) {
        GstPlugin* plugin = gst_registry_find_plugin(gst_registry_get(), name);
        loaded = loaded && plugin && gst_plugin_is_loaded(plugin);
        if (plugin)
            gst_object_unref(plugin);
    }
    return loaded;
}

// Once the window shows, the media framework gets ready for the first play,
// but nothing appears in the desktop's mixer before a sound plays.
TEST_F(AppTest, GetsReadyToPlayWithoutAStreamOnTheSoundServer) {
    App app;
    ASSERT_TRUE(app.waitFor(soundPlugInsLoaded, 10)) << "not readied for the first play";
    app.waitFor([] { return false; }, 0.3);
    EXPECT_EQ(soundServerStreams(), 0);
    app.find<QAbstractButton>("testPlayButton")->click();
    EXPECT_TRUE(app.waitFor([] { return soundServerStreams() == 1; }, 5));
}

} // namespace
} // namespace eggtimer::test
