// The application as a user meets it: the shipped window on the real
// platform, clicked and typed into, its status area read back.

#include "support/AppHarness.h"

#include <QComboBox>
#include <QProcess>
#include <QWindow>

#include <gst/gst.h>

#include <gtest/gtest.h>

namespace eggtimer::test {
namespace {

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

// On the session's own display server, not through a stand-in: on a Wayland
// desktop that is Wayland itself, not XWayland. Once the window shows, the
// media framework gets ready for the first play, but nothing appears in the
// desktop's mixer before a sound plays. The shipped sounds are found and the
// mouse and the keyboard shortcut reach the window. (Long texts stored:
// ScreenFitTest.)
TEST(AppTest, OpensOnTheSessionsDisplayReadyToPlayAndStartsAndClearsByMouseAndKeyboard) {
    App app;
    EXPECT_EQ(QGuiApplication::platformName(), qEnvironmentVariableIsSet("WAYLAND_DISPLAY")
                                                   ? QStringLiteral("wayland")
                                                   : QStringLiteral("xcb"));
    QWindow* window = app.window()->windowHandle();
    ASSERT_NE(window, nullptr);
    // Qt on Wayland counts a window unexposed while its compositor is late
    // with a frame callback, as a busy mutter can be.
    EXPECT_TRUE(app.waitFor([window] { return window->isExposed(); }, 10));
    ASSERT_TRUE(app.waitFor(soundPlugInsLoaded, 10)) << "not readied for the first play";
    app.waitFor([] { return false; }, 0.3);
    EXPECT_EQ(soundServerStreams(), 0);
    EXPECT_GT(app.find<QComboBox>("targetSoundPopup")->count(), 3);
    app.click("testPlayButton");
    EXPECT_TRUE(app.waitFor([] { return soundServerStreams() == 1; }, 5));

    EXPECT_EQ(app.text("statTimer"), "Timer not set.");
    app.click("timerButton");
    EXPECT_EQ(app.button(), "CLEAR");
    QTest::keyClick(app.window(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(app.button(), "START");
    EXPECT_EQ(app.controller().status(), TimerStatusNotSet);
}

} // namespace
} // namespace eggtimer::test
