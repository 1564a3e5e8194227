// Attention requests as desktop notifications, against a fake notification
// server on the session's private bus.

#include "platform/qt/QtDesktop.h"

#include "tests/desktop/FakeNotificationServer.h"
#include "tests/desktop/Support.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QElapsedTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <optional>

namespace eggtimer {
namespace {

using test::CapturedStderr;
using test::FakeNotificationServer;
using test::waitFor;

class Notifications : public ::testing::Test {
protected:
    void start(QStringList capabilities = {QStringLiteral("actions")}, bool answers = true) {
        server = std::make_unique<FakeNotificationServer>(std::move(capabilities), answers);
        ASSERT_TRUE(server->start()) << "run through with-session.sh --dbus";
    }
    // Waits for the server to have been asked `count` times in all.
    bool notified(int count) {
        return waitFor([&] { return server->notifications.size() >= count; });
    }
    // Lets everything the server (or `other`) sent so far reach us and be
    // handled: the bus daemon answers a connection's call only after it has
    // passed on what that connection sent before, and passes messages on to
    // us in order.
    void settle(std::optional<QDBusConnection> other = std::nullopt) {
        if (other)
            roundTrip(*other);
        if (server)
            roundTrip(server->bus());
        roundTrip(QDBusConnection::sessionBus());
    }
    static void roundTrip(const QDBusConnection& connection) {
        const QDBusMessage ping = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping"));
        QDBusPendingCallWatcher watcher(connection.asyncCall(ping));
        bool back = false;
        QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, [&] { back = true; });
        ASSERT_TRUE(waitFor([&] { return back; }));
        QCoreApplication::processEvents();
    }

    QWidget window;
    std::unique_ptr<FakeNotificationServer> server;
    QtDesktop desktop{[this] { return &window; }, [] {}};
    int stops = 0;
    std::function<void()> stop = [this] { ++stops; };
};

TEST_F(Notifications, NameWhatFiredAndOfferStop) {
    start();
    desktop.requestUserAttention("[Sound] Chime", stop);
    ASSERT_TRUE(notified(1));
    const auto& shown = server->notifications.front();
    EXPECT_EQ(shown.appName, QStringLiteral("eggtimer"));
    EXPECT_EQ(shown.summary, QStringLiteral("eggtimer"));
    EXPECT_EQ(shown.body, QStringLiteral("Time has come: [Sound] Chime"));
    EXPECT_EQ(shown.actions, (QStringList{QStringLiteral("stop"), QStringLiteral("Stop")}));
    EXPECT_EQ(shown.hints.value(QStringLiteral("urgency")).toInt(), 2);
    EXPECT_EQ(stops, 0);
}

TEST_F(Notifications, TheStopActionStopsOnce) {
    start();
    desktop.requestUserAttention("[Music] song.mp3", stop);
    ASSERT_TRUE(notified(1));
    const uint id = server->notifications.front().id;
    // Our side learns the id from the reply; give it time to arrive.
    settle();
    server->invokeAction(id, QStringLiteral("stop"));
    EXPECT_TRUE(waitFor([&] { return stops == 1; }));
    server->invokeAction(id, QStringLiteral("stop"));
    settle();
    EXPECT_EQ(stops, 1);
}

TEST_F(Notifications, WithoutStopThereIsNoAction) {
    start();
    desktop.requestUserAttention("[File] notes.txt", nullptr);
    ASSERT_TRUE(notified(1));
    EXPECT_TRUE(server->notifications.front().actions.isEmpty());
    settle();
    server->invokeAction(server->notifications.front().id, QStringLiteral("stop"));
    settle();
}

TEST_F(Notifications, OnlyTheLatestNotificationStops) {
    start();
    int olderStops = 0;
    desktop.requestUserAttention("[Sound] Chime", [&] { ++olderStops; });
    ASSERT_TRUE(notified(1));
    settle();
    const uint older = server->notifications[0].id;
    // The server closes the older one and shows the newer one under a new id.
    server->close(older, 2);
    settle();
    desktop.requestUserAttention("[Sound] Bell", stop);
    ASSERT_TRUE(notified(2));
    settle();
    const uint newer = server->notifications[1].id;

    server->invokeAction(older, QStringLiteral("stop"));
    settle();
    EXPECT_EQ(olderStops, 0);
    server->invokeAction(newer, QStringLiteral("stop"));
    EXPECT_TRUE(waitFor([&] { return stops == 1; }));
    EXPECT_EQ(olderStops, 0);
}

TEST_F(Notifications, ANewNotificationReplacesTheOneShown) {
    start();
    desktop.requestUserAttention("[Sound] Chime", stop);
    ASSERT_TRUE(notified(1));
    settle();
    desktop.requestUserAttention("[Sound] Bell", stop);
    ASSERT_TRUE(notified(2));
    EXPECT_EQ(server->notifications[1].replacesId, server->notifications[0].id);
}

TEST_F(Notifications, ActionsFromOthersOnTheBusAreIgnored) {
    start();
    desktop.requestUserAttention("[Sound] Chime", stop);
    ASSERT_TRUE(notified(1));
    settle();
    // Any client can send a signal that looks like the server's.
    QDBusConnection forger =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("forger"));
    QDBusMessage forged = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/Notifications"),
                                                     QStringLiteral("org.freedesktop.Notifications"),
                                                     QStringLiteral("ActionInvoked"));
    forged << server->notifications.front().id << QStringLiteral("stop");
    forger.send(forged);
    settle(forger);
    EXPECT_EQ(stops, 0);
    QDBusConnection::disconnectFromBus(QStringLiteral("forger"));
}

TEST_F(Notifications, AClosedNotificationNoLongerStops) {
    start();
    desktop.requestUserAttention("[Sound] Chime", stop);
    ASSERT_TRUE(notified(1));
    settle();
    const uint id = server->notifications.front().id;
    server->close(id, 2);
    server->invokeAction(id, QStringLiteral("stop"));
    settle();
    EXPECT_EQ(stops, 0);
}

struct MarkupCase {
    const char* name;
    bool serverReadsMarkup;
    std::string whatFired;
    QString body;
};

class NotificationBody : public Notifications, public ::testing::WithParamInterface<MarkupCase> {};

TEST_P(NotificationBody, ShowsTheTextAsTyped) {
    QStringList capabilities{QStringLiteral("actions")};
    if (GetParam().serverReadsMarkup)
        capabilities << QStringLiteral("body-markup");
    start(capabilities);
    desktop.requestUserAttention(GetParam().whatFired, stop);
    ASSERT_TRUE(notified(1));
    EXPECT_EQ(server->notifications.front().body, GetParam().body);
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, NotificationBody,
    ::testing::Values(
        MarkupCase{"MarkupServer", true, "[Alert] <b>tea</b> & \"cake\"",
                   QStringLiteral("Time has come: [Alert] &lt;b&gt;tea&lt;/b&gt; &amp; &quot;cake&quot;")},
        MarkupCase{"PlainServer", false, "[Alert] <b>tea</b> & \"cake\"",
                   QStringLiteral("Time has come: [Alert] <b>tea</b> & \"cake\"")},
        MarkupCase{"Formats", true, "[Alert] %@ %n %s", QStringLiteral("Time has come: [Alert] %@ %n %s")},
        MarkupCase{"NonAscii", false, "[Sound] caf\xc3\xa9",
                   QStringLiteral("Time has come: [Sound] caf\u00e9")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Notifications, NoNotificationServiceIsOneLineAndNoWait) {
    CapturedStderr captured;
    QElapsedTimer elapsed;
    elapsed.start();
    desktop.requestUserAttention("[Sound] Chime", stop);
    desktop.requestUserAttention("[Sound] Bell", stop);
    EXPECT_LT(elapsed.elapsed(), 2000) << "the request waited on the bus";
    EXPECT_TRUE(waitFor([&] { return !captured.text().empty(); }));
    desktop.requestUserAttention("[Sound] Gong", stop);
    settle();
    const std::string log = captured.text();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    EXPECT_EQ(stops, 0);
}

TEST_F(Notifications, AStuckServerHoldsNothingUp) {
    start({QStringLiteral("actions")}, /*answers=*/false);
    CapturedStderr captured;
    QElapsedTimer elapsed;
    elapsed.start();
    desktop.requestUserAttention("[Sound] Chime", stop);
    EXPECT_LT(elapsed.elapsed(), 2000) << "the request waited on the server";
    ASSERT_TRUE(notified(1));
    // The unanswered call times out, and that is told once.
    EXPECT_TRUE(waitFor([&] { return !captured.text().empty(); }, 30));
    EXPECT_EQ(stops, 0);
}

} // namespace
} // namespace eggtimer
