// What the program keeps on the desktop, against stand-in desktop services on
// the session's private bus, and without a bus: attention requests as desktop
// notifications; while a timer runs, the machine kept awake (at most one
// inhibition held, exactly while it is wanted, whatever order the answers
// come in and whichever service serves) and its progress drawn on the
// launcher icon. What the controller asks for and when is tested in
// tests/unit.

#include "platform/desktop/QtDesktop.h"

#include "support/Wait.h"
#include "tests/support/CapturedStderr.h"
#include "tests/support/StandInServices.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QGuiApplication>
#include <QPalette>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace eggtimer::test {
namespace {

using namespace std::chrono_literals;

class Desktop : public ::testing::Test {
protected:
    static bool eventually(const std::function<bool()>& done) { return test::waitUntil(done, 10s); }
    // Everything sent so far on our connection and the service's has been
    // handled on both sides.
    static void settle(const QDBusConnection& service) {
        test::settleBus({service, QDBusConnection::sessionBus()});
    }

    QWidget window;
    std::unique_ptr<QtDesktop> desktop = std::make_unique<QtDesktop>([this] { return &window; });
};

class Notifications : public Desktop {
protected:
    // The program ends while its server, stuck or not, is still there.
    void TearDown() override { desktop.reset(); }
    void start(QStringList capabilities = {QStringLiteral("actions")}, bool answers = true) {
        server = std::make_unique<StandInNotificationServer>(std::move(capabilities), answers);
        ASSERT_TRUE(server->start()) << "run through with-session.sh --dbus";
    }
    // Waits for the server to have been asked `count` times in all.
    bool notified(int count) {
        return eventually([&] { return server->notifications.size() >= std::size_t(count); });
    }
    uint idOf(int index) const { return server->notifications[index].id; }
    void invokeStop(uint id) { server->send(QStringLiteral("ActionInvoked"), id, QStringLiteral("stop")); }
    void settle() { Desktop::settle(server ? server->bus : QDBusConnection::sessionBus()); }

    std::unique_ptr<StandInNotificationServer> server;
    int stops = 0;
    std::function<void()> stop = [this] { ++stops; };
};

// The server finds the program's name and icon through its desktop entry,
// which must be the one the window is tied to, and is given its symbolic icon
// in the style the window shows; a newer notification takes the place of the
// one shown. A server that reads markup is given the text
// escaped, to show it as typed, and a long text is cut to a few lines.
TEST_F(Notifications, NameTheProgramAndItsDesktopEntryAndReplaceTheOneShown) {
    start({QStringLiteral("actions"), QStringLiteral("body-markup")});
    desktop->requestUserAttention("[Alert] <b>tea</b> & \"caf\xc3\xa9\"", stop);
    ASSERT_TRUE(notified(1));
    const auto first = server->notifications.front();
    EXPECT_EQ(first.body,
              QStringLiteral("Time has come: [Alert] &lt;b&gt;tea&lt;/b&gt; &amp; &quot;caf\u00e9&quot;"));
    EXPECT_EQ(first.appName, QStringLiteral("eggtimer"));
    EXPECT_EQ(first.summary, QStringLiteral("eggtimer"));
    EXPECT_EQ(first.actions, (QStringList{QStringLiteral("stop"), QStringLiteral("Stop")}));
    EXPECT_EQ(first.hints.value(QStringLiteral("urgency")).toInt(), 2) << "it must stay until seen";
    ASSERT_FALSE(QGuiApplication::desktopFileName().isEmpty());
    EXPECT_EQ(first.hints.value(QStringLiteral("desktop-entry")), QGuiApplication::desktopFileName());
    EXPECT_EQ(first.appIcon, QGuiApplication::desktopFileName() + QStringLiteral("-symbolic"));
    settle();

    // Without a stop, nothing to offer; in the dark style, the icon drawn
    // light.
    const QString named = QGuiApplication::desktopFileName();
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.Timer.desktop"));
    QGuiApplication::setPalette(QPalette(Qt::white, QColor(0x2a, 0x2a, 0x2a)));
    desktop->requestUserAttention("[File] notes.txt", nullptr);
    QGuiApplication::setPalette(QPalette());
    QGuiApplication::setDesktopFileName(named);
    ASSERT_TRUE(notified(2));
    const auto second = server->notifications[1];
    EXPECT_EQ(second.hints.value(QStringLiteral("desktop-entry")), QStringLiteral("org.example.Timer"));
    EXPECT_EQ(second.appIcon, QStringLiteral("org.example.Timer-dark-symbolic"));
    EXPECT_EQ(second.replacesId, first.id);
    EXPECT_TRUE(second.actions.isEmpty());

    // A message of megabytes: its beginning, the alert panel shows it whole.
    desktop->requestUserAttention("[Alert] " + std::string(1 << 20, 'x'), nullptr);
    ASSERT_TRUE(notified(3));
    const QString third = server->notifications[2].body;
    EXPECT_EQ(third, QStringLiteral("Time has come: [Alert] ") + QString(492, u'x') + QChar(0x2026));
}

// Only the server's Stop of the notification shown, and only once.
TEST_F(Notifications, StopWorksOnceFromTheServerForTheNotificationShown) {
    start();
    int olderStops = 0;
    desktop->requestUserAttention("[Sound] Chime", [&] { ++olderStops; });
    ASSERT_TRUE(notified(1));
    settle(); // our side learns the id from the reply
    server->send(QStringLiteral("NotificationClosed"), idOf(0), 2u);
    invokeStop(idOf(0));
    settle();
    EXPECT_EQ(olderStops, 0) << "a closed notification stopped";

    // The newer one comes under a new id; this server shows the text as it is.
    desktop->requestUserAttention("[Alert] <b>tea</b> &", stop);
    ASSERT_TRUE(notified(2));
    EXPECT_EQ(server->notifications[1].body, QStringLiteral("Time has come: [Alert] <b>tea</b> &"));
    settle();
    invokeStop(idOf(0));
    // Any client can send a signal that looks like the server's.
    QDBusMessage forged = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/Notifications"),
                                                     QStringLiteral("org.freedesktop.Notifications"),
                                                     QStringLiteral("ActionInvoked"));
    forged << idOf(1) << QStringLiteral("stop");
    QDBusConnection::sessionBus().send(forged);
    settle();
    EXPECT_EQ(olderStops + stops, 0) << "a forged signal or the older notification's Stop did something";

    invokeStop(idOf(1));
    EXPECT_TRUE(eventually([&] { return stops == 1; }));
    invokeStop(idOf(1));
    settle();
    EXPECT_EQ(olderStops + stops, 1);
}

// A ring that is over takes its notification back: the one shown, one still
// on its way, and the one shown as the program ends.
TEST_F(Notifications, AreClosedWhenWithdrawnAlsoOnTheirWayAndWhenTheProgramEnds) {
    start();
    const auto closed = [&](int index) {
        return eventually([&] { return std::ranges::count(server->closed, idOf(index)) == 1; });
    };
    desktop->requestUserAttention("[Sound] Chime", stop);
    ASSERT_TRUE(notified(1));
    settle();
    desktop->withdrawAttention();
    EXPECT_TRUE(closed(0));
    invokeStop(idOf(0));
    settle();
    EXPECT_EQ(stops, 0) << "a withdrawn notification's Stop still worked";

    desktop->requestUserAttention("[Sound] Bell", stop);
    desktop->withdrawAttention();
    ASSERT_TRUE(notified(2));
    EXPECT_NE(idOf(1), idOf(0));
    EXPECT_TRUE(closed(1)) << "withdrawn on its way, yet left on the screen";

    desktop->requestUserAttention("[Alert] Tea", nullptr);
    ASSERT_TRUE(notified(3));
    settle();
    desktop.reset();
    settle();
    EXPECT_TRUE(closed(2));
}

// No notification service, or a server that never answers: the requests
// return before the calls fail or time out, and the failure is told once.
class UnreachableServer : public Notifications, public ::testing::WithParamInterface<bool> {};

TEST_P(UnreachableServer, HoldsNothingUpAndIsOneLogLine) {
    if (GetParam())
        start({QStringLiteral("actions")}, /*answers=*/false);
    test::CapturedStderr captured;
    desktop->requestUserAttention("[Sound] Chime", stop);
    EXPECT_EQ(captured.text(), "") << "the request waited for the server";
    desktop->requestUserAttention("[Sound] Bell", stop);
    EXPECT_TRUE(test::waitUntil([&] { return !captured.text().empty(); }, 30s));
    desktop->requestUserAttention("[Sound] Gong", stop);
    settle();
    EXPECT_EQ(captured.lines(), 1) << captured.text();
    EXPECT_EQ(stops, 0);
}

INSTANTIATE_TEST_SUITE_P(Servers, UnreachableServer, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Stuck" : "None"; });

// Run without a session bus (desktop.no_bus): the request still returns at
// once, says so on the log once, and nothing else changes, even before the
// window exists.
TEST(NoSessionBus, AttentionIsAskedWithoutNotificationsAndOneLogLine) {
    std::optional<QWidget> window;
    int stops = 0;
    QtDesktop desktop{[&] { return window ? &*window : nullptr; }};
    test::CapturedStderr captured;
    desktop.requestUserAttention("[Alert] Tea", [&] { ++stops; });
    window.emplace();
    window->show();
    desktop.requestUserAttention("[Sound] Chime", [&] { ++stops; });
    EXPECT_EQ(captured.lines(), 1) << captured.text();
    EXPECT_EQ(stops, 0);
}

using RunningTimer = Desktop;

// A portal that restarts has dropped what it held: it is asked again.
TEST_F(RunningTimer, ThePortalInhibitsSuspendWhileWantedAndLateAnswersEndAsLastWished) {
    auto portal = std::make_unique<StandInPortal>();
    ASSERT_TRUE(portal->start()) << "run through with-session.sh --dbus";
    desktop->keepAwake(true);
    ASSERT_TRUE(eventually([&] { return portal->held() == 1; }));
    EXPECT_EQ(portal->inhibitions[0].flags, 4u) << "suspend only: the screen may still blank";
    EXPECT_EQ(portal->inhibitions[0].reason, "A timer is running");
    desktop->keepAwake(true); // told again at every tick
    desktop->keepAwake(false);
    EXPECT_TRUE(eventually([&] { return portal->held() == 0; }));

    // A START-CLEAR-START-CLEAR burst answered after it: nothing is left.
    portal->holdAnswers = true;
    for (bool wish : {true, false, true, false})
        desktop->keepAwake(wish);
    ASSERT_TRUE(eventually([&] { return portal->inhibitions.size() == 2; }));
    portal->answerLate();
    settle(portal->bus);
    EXPECT_TRUE(eventually([&] { return portal->held() == 0; })) << "an inhibition left behind";
    // START-CLEAR-START: exactly one.
    for (bool wish : {true, false, true})
        desktop->keepAwake(wish);
    ASSERT_TRUE(eventually([&] { return portal->inhibitions.size() == 3; }));
    portal->answerLate();
    settle(portal->bus);
    EXPECT_TRUE(eventually([&] { return portal->held() == 1; }));
    settle(portal->bus);
    EXPECT_EQ(portal->inhibitions.size(), 3u) << "asked twice for one timer";

    portal.reset(); // it ends, and its inhibitions with it
    StandInPortal restarted;
    ASSERT_TRUE(restarted.start());
    EXPECT_TRUE(eventually([&] { return restarted.held() == 1; })) << "none held while the timer runs";
    settle(restarted.bus);
    EXPECT_EQ(restarted.inhibitions.size(), 1u);
    // The program ends: given back before it goes.
    desktop.reset();
    settle(restarted.bus);
    EXPECT_EQ(restarted.held(), 0);
}

// With no service that keeps the machine awake, that is one line in the log
// however often it is wanted; a power manager that comes later is asked, in
// place of the portal, and given back its inhibition as the program ends.
TEST_F(RunningTimer, WithoutAPortalThePowerManagerIsAskedAndWithNeitherItIsOneLogLine) {
    {
        test::CapturedStderr captured;
        for (bool wish : {true, false, true})
            desktop->keepAwake(wish);
        ASSERT_TRUE(eventually([&] { return captured.lines() > 0; }));
        for (bool wish : {false, true, false, true})
            desktop->keepAwake(wish);
        settle(QDBusConnection::sessionBus());
        test::serveEventsFor(200ms);
        EXPECT_EQ(captured.lines(), 1) << captured.text();
        EXPECT_NE(captured.text().find("keeping the machine awake"), std::string::npos) << captured.text();
    }
    StandInPowerManager power;
    ASSERT_TRUE(power.start());
    ASSERT_TRUE(eventually([&] { return power.held.size() == 1; }));
    EXPECT_EQ(power.reasons.front(), "A timer is running");
    desktop->keepAwake(false);
    EXPECT_TRUE(eventually([&] { return power.held.empty(); }));
    desktop->keepAwake(true);
    ASSERT_TRUE(eventually([&] { return power.held.size() == 1; }));
    settle(power.bus); // granted, as far as the program knows
    desktop.reset();
    settle(power.bus);
    EXPECT_TRUE(power.held.empty()) << "left held as the program ended";
}

TEST_F(RunningTimer, TheLauncherIconShowsTheBarAndMinutesWhileRunningAndAttentionWhileFiring) {
    using State = TimerProgress::State;
    StandInDock dock(QStringLiteral("application://") + QGuiApplication::desktopFileName() +
                     QStringLiteral(".desktop"));
    ASSERT_TRUE(dock.start()) << "run through with-session.sh --dbus";
    const auto show = [&](const TimerProgress& progress) {
        desktop->showProgress(progress);
        settle(dock.bus);
    };

    show({State::Running, 0.0, 3});
    show({State::Running, 0.004, 3}); // too little to see
    show({State::Running, 0.5, 2});
    show({State::Running, 0.995, 1});
    show({State::Running, 1.0, 1}); // a full bar must not stop at 99%
    show({State::Firing, 0.0, 0});
    show({State::Idle, 0.0, 0});
    EXPECT_EQ(dock.drawn, (std::vector<StandInDock::Drawn>{{true, 0.0, true, 3, false},
                                                           {true, 0.5, true, 2, false},
                                                           {true, 0.995, true, 1, false},
                                                           {true, 1.0, true, 1, false},
                                                           {false, 0.0, false, 0, true},
                                                           StandInDock::kNothing}));

    // The program ends while a timer runs: no bar is left on the icon.
    show({State::Running, 0.25, 1});
    desktop.reset();
    settle(dock.bus);
    EXPECT_EQ(dock.drawn.back(), StandInDock::kNothing) << "a bar left at quitting";
}

} // namespace
} // namespace eggtimer::test
