// The application as a user meets it, its own code end to end: the shipped
// window on the real platform, clicked and typed into, its status area read
// back. On the screen it is shown on, with the target panel open, every
// control lies on the screen, on a small laptop's 1,024 × 600 as on a large
// one (tests/e2e/CMakeLists.txt also makes the session's screen 1,024 × 600,
// and 2,048 × 1,200 at 200%). Closed while a timer runs, as a window manager
// or compositor asks (the title bar's button, Alt+F4), the window hides, a
// notice says so once, and the ring brings it back. That the program ends
// when closed at rest, and goes on when closed while a timer runs, is seen
// from outside in LaunchTest.cpp.

#include "support/AppHarness.h"
#include "tests/support/StandInServices.h"

#include <QComboBox>
#include <QProcess>
#include <QScreen>
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
// ScreenFitTest, below.)
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
    // GStreamer scans its plug-ins first, the session's cache being new: on
    // a loaded machine that takes more than ten seconds.
    ASSERT_TRUE(app.waitFor(soundPlugInsLoaded, 30)) << "not readied for the first play";
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

bool onWayland() {
    return QGuiApplication::platformName() == QStringLiteral("wayland");
}

// Every control the user can see lies inside `area`, in the window's own
// coordinates.
void expectControlsWithin(QWidget* window, const QRect& area) {
    int controls = 0;
    for (QWidget* control : window->findChildren<QWidget*>()) {
        if (!control->isVisible() || control->isWindow() ||
            control->objectName().startsWith(QLatin1String("qt_")))
            continue;
        ++controls;
        const QRect placed(control->mapTo(window, QPoint(0, 0)), control->size());
        EXPECT_TRUE(area.contains(placed))
            << control->objectName().toStdString() << " at " << placed.x() << "," << placed.y() << " "
            << placed.width() << "x" << placed.height();
    }
    EXPECT_GT(controls, 20);
}

// The screen's free area in the window's coordinates. A Wayland client is not
// told where its window is: there the window must fit it in size.
QRect screenSeenFrom(QWidget* window) {
    const QRect available = window->screen()->availableGeometry();
    if (onWayland())
        return QRect(QPoint(0, 0), available.size().shrunkBy(window->windowHandle()->frameMargins()));
    return available.translated(-window->mapToGlobal(QPoint(0, 0)));
}

// A megabyte in the message and in the music and file names, stored from an
// earlier run: none of them widens the window, their lines end in "…" (what
// the labels show, tooltip and read out is the window tests'). Opened near
// the screen's right edge, the panel takes its room on the left.
TEST(ScreenFitTest, EveryControlIsOnTheScreenWithLongTextsAndWithThePanelOpenedAtTheRightEdge) {
    writeSettings({{"targetSelecter", 3},
                   {"targetMessage", QStringLiteral("Take the bread out. ").repeated(1 << 16)},
                   {"targetMusicPath", "/music/" + QString(1 << 20, u'n') + ".mp3"},
                   {"targetFilePath", "/files/" + QString(1 << 20, u'f') + ".pdf"}});
    App app;
    QWidget* window = app.window();
    ASSERT_TRUE(app.find("targetDrawer")->isVisible());
    expectControlsWithin(window, screenSeenFrom(window));
    EXPECT_TRUE(screenSeenFrom(window).contains(window->rect()));
    for (const char* name : {"statFireTarget", "targetMusicName", "targetFileName"})
        EXPECT_TRUE(app.text(name).endsWith(QChar(0x2026))) << name;
    if (onWayland())
        return; // a Wayland compositor places the window itself

    app.click("targetToggleButton");
    ASSERT_FALSE(app.find("targetDrawer")->isVisible());
    const QRect available = window->screen()->availableGeometry();
    window->move(available.right() + 1 - window->frameGeometry().width(), window->y());
    ASSERT_TRUE(app.waitFor([&] { return window->frameGeometry().right() == available.right(); }, 5));
    app.click("targetToggleButton");
    ASSERT_TRUE(app.find("targetDrawer")->isVisible());
    app.waitFor([&] { return available.contains(window->frameGeometry()); }, 5);
    expectControlsWithin(window, screenSeenFrom(window));
}

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
