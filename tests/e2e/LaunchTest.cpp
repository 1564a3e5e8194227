// The program as its own processes on the session's private bus and X server:
// one eggtimer per session (a second launch shows the first's window and
// ends), each on its own without a bus or when the name's owner does not
// answer; a session bus or notification server that stops answering holds
// up neither the ring nor quitting; and ended by its session (SIGTERM at a
// logout, SIGHUP when its terminal goes, SIGINT for Ctrl+C) while a sound
// rings, it quits as its Quit menu does.

#include "support/AppHarness.h"
#include "support/SinkRecorder.h"
#include "tests/support/MediaFiles.h"
#include "tests/support/StandInServices.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>

#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <csignal>
#include <cstring>

namespace eggtimer::test {
namespace {

using namespace std::chrono_literals;

const QString kAppId = QStringLiteral(EGGTIMER_APP_ID);

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t found = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return found;
}

// One run of the installed-to-be program, seen from outside.
struct Program {
    explicit Program(const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        // As from a terminal: a test run in the background has SIGINT ignored,
        // and the program would rightly leave it so.
        process.setChildProcessModifier([] {
            for (const int number : {SIGTERM, SIGINT, SIGHUP})
                ::signal(number, SIG_DFL);
        });
        process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/eggtimer"), QStringList{});
    }
    ~Program() {
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            process.waitForFinished(10000);
        }
    }
    // Its windows on the screen, by X id.
    QStringList windows() const {
        QProcess search;
        search.start("xdotool", {"search", "--onlyvisible", "--pid", QString::number(process.processId())});
        search.waitForFinished(10000);
        return QString::fromLatin1(search.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    }
    bool showsAWindow() {
        return waitUntil([&] { return !windows().isEmpty(); }, 10s);
    }
    bool ended() {
        return waitUntil([&] { return process.state() == QProcess::NotRunning; }, 10s);
    }
    // Keys pressed in its window, as a user types them.
    bool press(const char* keys) {
        const QStringList shown = windows();
        return !shown.isEmpty() &&
               QProcess::execute("xdotool", {"windowfocus", "--sync", shown.first()}) == 0 &&
               QProcess::execute("xdotool", {"key", keys}) == 0;
    }
    // Asks its window to close as a window manager does for the title bar's
    // close button: WM_DELETE_WINDOW.
    bool closeWindow() {
        const QStringList shown = windows();
        auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        if (shown.isEmpty() || x11 == nullptr)
            return false;
        xcb_connection_t* connection = x11->connection();
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = shown.first().toUInt();
        event.type = atom(connection, "WM_PROTOCOLS");
        event.data.data32[0] = atom(connection, "WM_DELETE_WINDOW");
        event.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(connection, 0, event.window, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&event));
        xcb_flush(connection);
        return waitUntil([&] { return windows().isEmpty(); }, 10s);
    }

    QProcess process;
};

// Startup notification messages to the root window ("remove: ID=..."), read
// on an X connection of their own.
class StartupMessages {
public:
    StartupMessages()
        : connection(xcb_connect(nullptr, nullptr)) {
        root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
        begin = atom(connection, "_NET_STARTUP_INFO_BEGIN");
        more = atom(connection, "_NET_STARTUP_INFO");
        const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(connection);
    }
    ~StartupMessages() { xcb_disconnect(connection); }
    StartupMessages(const StartupMessages&) = delete;
    StartupMessages& operator=(const StartupMessages&) = delete;

    bool seen(const QByteArray& message) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
                const auto* piece = reinterpret_cast<xcb_client_message_event_t*>(event);
                if (piece->type == begin)
                    reading.clear();
                if (piece->type == begin || piece->type == more) {
                    const char* text = reinterpret_cast<const char*>(piece->data.data8);
                    const std::size_t length = strnlen(text, 20);
                    reading.append(text, static_cast<qsizetype>(length));
                    if (length < 20)
                        messages << reading;
                }
            }
            std::free(event);
        }
        return messages.contains(message);
    }

private:
    xcb_connection_t* connection;
    xcb_window_t root;
    xcb_atom_t begin, more;
    QByteArray reading;
    QList<QByteArray> messages;
};

bool silentFor(const SinkRecorder& recorder, std::chrono::milliseconds quiet) {
    const auto samples = recorder.samplesSince(SinkRecorder::Clock::now() - quiet);
    return samples.size() >= std::size_t(SinkRecorder::kRate * quiet.count() / 1000 * 9 / 10) &&
           !SinkRecorder::firstAbove(samples, 0.02f);
}

// Serves Activate at the program's path and never answers, as a program that
// has hung.
class MuteOwner : public StandIn {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")
public:
    MuteOwner()
        : StandIn(QStringLiteral("mute"), kAppId, QStringLiteral("/io/github/eggtimer/EggTimer")) {}
    int asked = 0;

public Q_SLOTS:
    void Activate(const QVariantMap&, const QDBusMessage& message) {
        ++asked;
        message.setDelayedReply(true);
    }
};

// A second launch while the first runs a timer with its window closed: the
// first's window is shown again and its timer runs on, the second touches no
// settings and ends; the launcher's startup id is passed on, and the first
// tells the launcher that the start is complete. Closed at rest, the window
// ends the program as it ends any other.
TEST(SecondLaunch, ShowsTheRunningProgramsClosedWindowAndEnds) {
    StandInPortal portal;
    ASSERT_TRUE(portal.start()) << "no session bus";
    writeSettings({{"mode", 1}, {"targetSelecter", 0}, {"targetSound", "WoodTick"}, {"modeDhmMin", "30"}});
    Program first;
    ASSERT_TRUE(first.showsAWindow());
    ASSERT_TRUE(first.press("ctrl+Return"));
    ASSERT_TRUE(waitUntil([&] { return portal.held() == 1; }, 10s)) << "the timer did not start";
    // START saves every choice, this test wrote only some.
    const auto settings = [] { return readFile(settingsFile().toStdString()); };
    ASSERT_TRUE(waitUntil([&] { return settings().find("modeAlcAMPMSelecter") != std::string::npos; }, 10s));
    ASSERT_TRUE(first.closeWindow());
    const std::string saved = settings();
    const auto savedAt = QFileInfo(settingsFile()).lastModified();

    StartupMessages startup;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DESKTOP_STARTUP_ID", "launcher-42_TIME1000");
    Program second(environment);
    ASSERT_TRUE(second.ended()) << "a second eggtimer runs";
    EXPECT_EQ(second.process.exitCode(), 0);
    EXPECT_TRUE(first.showsAWindow());
    EXPECT_TRUE(waitUntil([&] { return startup.seen("remove: ID=\"launcher-42_TIME1000\""); }, 10s))
        << "the launcher was not told that the start is complete";
    settleBus({portal.bus});
    EXPECT_EQ(portal.held(), 1) << "the first one's timer did not run on";
    EXPECT_EQ(settings(), saved);
    EXPECT_EQ(QFileInfo(settingsFile()).lastModified(), savedAt);

    ASSERT_TRUE(first.press("ctrl+Return")); // CLEAR
    ASSERT_TRUE(waitUntil([&] { return portal.held() == 0; }, 10s));
    ASSERT_TRUE(first.closeWindow());
    EXPECT_TRUE(first.ended());
    EXPECT_EQ(first.process.exitCode(), 0);
}

// Without a session bus, or when the name's owner does not answer, a launch
// runs on its own, as a program that cannot ask.
TEST(OwnLaunch, WithoutABusOrAnAnswerEachRunsOnItsOwn) {
    QProcessEnvironment noBus = QProcessEnvironment::systemEnvironment();
    noBus.insert("DBUS_SESSION_BUS_ADDRESS",
                 "unix:path=" + qEnvironmentVariable("EGGTIMER_SESSION_DIR") + "/none");
    Program first(noBus);
    ASSERT_TRUE(first.showsAWindow());
    Program second(noBus);
    EXPECT_TRUE(second.showsAWindow()) << "without a bus a launch did not run";
    EXPECT_EQ(first.process.state(), QProcess::Running);

    MuteOwner mute;
    ASSERT_TRUE(mute.start()) << "no session bus";
    Program third;
    EXPECT_TRUE(third.showsAWindow()) << "a launch waited on a program that does not answer";
    EXPECT_EQ(mute.asked, 1);
}

// A sound timer of three seconds started from the keyboard, against stand-in
// desktop services; the sound server is recorded from the start.
struct RingingProgram {
    explicit RingingProgram(const char* sound, bool notificationsAnswer = true)
        : notifications({QStringLiteral("actions")}, notificationsAnswer) {
        if (!recorder.start() || !portal.start() || !notifications.start() || !dock.start())
            throw std::runtime_error("no sound server or session bus");
        writeSettings({{"mode", 1}, {"targetSelecter", 0}, {"targetSound", sound}, {"modeDhmMin", "0.05"}});
        program.emplace();
        if (!program->showsAWindow() || !program->press("ctrl+Return") ||
            !waitUntil([&] { return portal.held() == 1; }, 10s))
            throw std::runtime_error("the timer did not start");
        started = SinkRecorder::Clock::now();
    }
    int plays() const { return playsIn(recorder.samplesSince(started), 0.2); }

    SinkRecorder recorder;
    StandInPortal portal;
    StandInNotificationServer notifications;
    StandInDock dock{QStringLiteral("application://" EGGTIMER_APP_ID ".desktop")};
    std::optional<Program> program;
    SinkRecorder::Clock::time_point started;
};

// With the session bus stopped, the ring repeats on the main loop's pauses
// and Quit ends the program within its bounded wait for the bus.
TEST(StuckDesktop, AFrozenBusHoldsNeitherTheRingNorQuitting) {
    RingingProgram ringing("WoodTick");
    const pid_t bus = qEnvironmentVariableIntValue("EGGTIMER_DBUS_PID");
    ASSERT_EQ(::kill(bus, SIGSTOP), 0);
    struct Thaw {
        pid_t bus;
        ~Thaw() { ::kill(bus, SIGCONT); }
    } thaw{bus};
    // Nothing of the bus from here until the thaw.
    EXPECT_TRUE(waitUntil([&] { return ringing.plays() >= 3; }, 15s)) << "the ring did not repeat";
    ASSERT_TRUE(ringing.program->press("ctrl+q"));
    EXPECT_TRUE(ringing.program->ended()) << "quitting waited on the bus";
    EXPECT_EQ(ringing.program->process.exitCode(), 0);
}

// A notification server that never answers: Quit silences the ring at once,
// and only then waits, a bounded time, to take the notification back.
TEST(StuckDesktop, QuitSilencesTheRingBeforeWaitingOnTheNotificationServer) {
    const std::string sounds =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).toStdString() + "/sounds";
    ASSERT_TRUE(run("mkdir -p " + shellQuoted(sounds) + " && sox -q -n -r 44100 -c 1 -b 16 -t aiff " +
                    shellQuoted(sounds + "/Hum.aiff") + " synth 4 sine 440 vol 0.316"));
    RingingProgram ringing("Hum", /*notificationsAnswer=*/false);
    ASSERT_TRUE(
        waitUntil([&] { return ringing.plays() == 1 && !ringing.notifications.notifications.empty(); }, 10s));
    ASSERT_TRUE(ringing.program->press("ctrl+q"));
    EXPECT_TRUE(waitUntil([&] { return silentFor(ringing.recorder, 200ms); }, 10s));
    EXPECT_EQ(ringing.program->process.state(), QProcess::Running)
        << "the program had ended before its ring was silent, or it never waited for the server";
    EXPECT_TRUE(ringing.program->ended());
    EXPECT_EQ(ringing.program->process.exitCode(), 0);
}

class QuitOnSignal : public ::testing::TestWithParam<int> {};

// The notification, the launcher icon's state and the inhibition of sleep are
// all taken back, and the program exits normally.
TEST_P(QuitOnSignal, WhileASoundRingsTakesBackWhatItShowsOnTheDesktop) {
    RingingProgram ringing("WoodTick");
    ASSERT_TRUE(waitUntil([&] { return !ringing.notifications.notifications.empty(); }, 10s)) << "never rang";
    // What is to be taken back must first have been given.
    ASSERT_TRUE(waitUntil([&] { return ringing.portal.held() == 1 && !ringing.dock.drawn.empty(); }, 5s));
    QProcess& process = ringing.program->process;
    ::kill(static_cast<pid_t>(process.processId()), GetParam());
    ASSERT_TRUE(ringing.program->ended());
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    settleBus({ringing.portal.bus, ringing.notifications.bus, ringing.dock.bus});
    EXPECT_EQ(ringing.notifications.closed,
              std::vector<uint>{ringing.notifications.notifications.front().id});
    ASSERT_FALSE(ringing.dock.drawn.empty());
    EXPECT_EQ(ringing.dock.drawn.back(), StandInDock::kNothing) << "the icon still asks for attention";
    EXPECT_EQ(ringing.portal.held(), 0);
}

INSTANTIATE_TEST_SUITE_P(Signals, QuitOnSignal, ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const auto& info) { return std::string(sigabbrev_np(info.param)); });

} // namespace
} // namespace eggtimer::test

#include "LaunchTest.moc"
