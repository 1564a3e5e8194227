// Attention requests as desktop notifications, against a stand-in
// notification server on the session's private bus, and without a bus.

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

namespace eggtimer::test {
namespace {

using namespace std::chrono_literals;

class Notifications : public ::testing::Test {
protected:
    void start(QStringList capabilities = {QStringLiteral("actions")}, bool answers = true) {
        server = std::make_unique<StandInNotificationServer>(std::move(capabilities), answers);
        ASSERT_TRUE(server->start()) << "run through with-session.sh --dbus";
    }
    // Waits for the server to have been asked `count` times in all.
    bool notified(int count) {
        return test::waitUntil([&] { return server->notifications.size() >= std::size_t(count); }, 10s);
    }
    uint idOf(int index) const { return server->notifications[index].id; }
    void invokeStop(uint id) { server->send(QStringLiteral("ActionInvoked"), id, QStringLiteral("stop")); }
    void settle() {
        test::settleBus(
            {server ? server->bus : QDBusConnection::sessionBus(), QDBusConnection::sessionBus()});
    }

    QWidget window;
    std::unique_ptr<StandInNotificationServer> server;
    QtDesktop desktop{[this] { return &window; }};
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
    desktop.requestUserAttention("[Alert] <b>tea</b> & \"caf\xc3\xa9\"", stop);
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

    // Without a stop, nothing to offer and nothing to call; in the dark
    // style, the icon drawn light.
    const QString named = QGuiApplication::desktopFileName();
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.Timer.desktop"));
    QGuiApplication::setPalette(QPalette(Qt::white, QColor(0x2a, 0x2a, 0x2a)));
    desktop.requestUserAttention("[File] notes.txt", nullptr);
    QGuiApplication::setPalette(QPalette());
    QGuiApplication::setDesktopFileName(named);
    ASSERT_TRUE(notified(2));
    const auto second = server->notifications[1];
    EXPECT_EQ(second.hints.value(QStringLiteral("desktop-entry")), QStringLiteral("org.example.Timer"));
    EXPECT_EQ(second.appIcon, QStringLiteral("org.example.Timer-dark-symbolic"));
    EXPECT_EQ(second.replacesId, first.id);
    EXPECT_TRUE(second.actions.isEmpty());
    settle();
    invokeStop(second.id);
    settle();
    EXPECT_EQ(stops, 0);

    // A message of megabytes: its beginning, the alert panel shows it whole.
    desktop.requestUserAttention("[Alert] " + std::string(1 << 20, 'x'), nullptr);
    ASSERT_TRUE(notified(3));
    const QString third = server->notifications[2].body;
    EXPECT_EQ(third, QStringLiteral("Time has come: [Alert] ") + QString(492, u'x') + QChar(0x2026));
}

// Only the server's Stop of the notification shown, and only once.
TEST_F(Notifications, StopWorksOnceFromTheServerForTheNotificationShown) {
    start();
    int olderStops = 0;
    desktop.requestUserAttention("[Sound] Chime", [&] { ++olderStops; });
    ASSERT_TRUE(notified(1));
    settle(); // our side learns the id from the reply
    server->send(QStringLiteral("NotificationClosed"), idOf(0), 2u);
    invokeStop(idOf(0));
    settle();
    EXPECT_EQ(olderStops, 0) << "a closed notification stopped";

    // The newer one comes under a new id; this server shows the text as it is.
    desktop.requestUserAttention("[Alert] <b>tea</b> &", stop);
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
    EXPECT_TRUE(test::waitUntil([&] { return stops == 1; }, 10s));
    invokeStop(idOf(1));
    settle();
    EXPECT_EQ(olderStops + stops, 1);
}

// A ring that is over takes its notification back: the one shown, one still
// on its way, and the one shown as the program ends.
TEST_F(Notifications, AreClosedWhenWithdrawnAlsoOnTheirWayAndWhenTheProgramEnds) {
    start();
    const auto closed = [&](int index) {
        return test::waitUntil([&] { return std::ranges::count(server->closed, idOf(index)) == 1; }, 10s);
    };
    desktop.requestUserAttention("[Sound] Chime", stop);
    ASSERT_TRUE(notified(1));
    settle();
    desktop.withdrawAttention();
    EXPECT_TRUE(closed(0));
    invokeStop(idOf(0));
    settle();
    EXPECT_EQ(stops, 0) << "a withdrawn notification's Stop still worked";

    desktop.requestUserAttention("[Sound] Bell", stop);
    desktop.withdrawAttention();
    ASSERT_TRUE(notified(2));
    EXPECT_NE(idOf(1), idOf(0));
    EXPECT_TRUE(closed(1)) << "withdrawn on its way, yet left on the screen";

    {
        QtDesktop ending{[this] { return &window; }};
        ending.requestUserAttention("[Alert] Tea", nullptr);
        ASSERT_TRUE(notified(3));
        settle();
    }
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
    desktop.requestUserAttention("[Sound] Chime", stop);
    EXPECT_EQ(captured.text(), "") << "the request waited for the server";
    desktop.requestUserAttention("[Sound] Bell", stop);
    EXPECT_TRUE(test::waitUntil([&] { return !captured.text().empty(); }, 30s));
    desktop.requestUserAttention("[Sound] Gong", stop);
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

} // namespace
} // namespace eggtimer::test
