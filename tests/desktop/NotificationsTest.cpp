// Attention requests as desktop notifications, against a fake notification
// server on the session's private bus.

#include "platform/qt/QtDesktop.h"

#include "tests/desktop/FakeNotificationServer.h"
#include "tests/desktop/Support.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QGuiApplication>
#include <QWidget>

#include <gtest/gtest.h>

#include <optional>

namespace eggtimer {
namespace {

using namespace std::chrono_literals;

using test::CapturedStderr;
using test::FakeNotificationServer;

class Notifications : public ::testing::Test {
protected:
    void start(QStringList capabilities = {QStringLiteral("actions")}, bool answers = true) {
        server = std::make_unique<FakeNotificationServer>(std::move(capabilities), answers);
        ASSERT_TRUE(server->start()) << "run through with-session.sh --dbus";
    }
    // Waits for the server to have been asked `count` times in all.
    bool notified(int count) {
        return testing::waitUntil([&] { return server->notifications.size() >= count; }, 10s);
    }
    uint idOf(int index) const { return server->notifications[index].id; }
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
        ASSERT_TRUE(testing::waitUntil([&] { return back; }, 10s));
        QCoreApplication::processEvents();
    }

    QWidget window;
    std::unique_ptr<FakeNotificationServer> server;
    QtDesktop desktop{[this] { return &window; }, [] {}};
    int stops = 0;
    std::function<void()> stop = [this] { ++stops; };
};

// The server finds the program's name and icon through its desktop entry,
// which must be the one the window is tied to; a newer notification takes
// the place of the one shown.
TEST_F(Notifications, NameTheProgramAndItsDesktopEntryAndReplaceTheOneShown) {
    start();
    desktop.requestUserAttention("[Sound] Chime", stop);
    ASSERT_TRUE(notified(1));
    const auto first = server->notifications.front();
    EXPECT_EQ(first.appName, QStringLiteral("eggtimer"));
    EXPECT_EQ(first.summary, QStringLiteral("eggtimer"));
    EXPECT_EQ(first.actions, (QStringList{QStringLiteral("stop"), QStringLiteral("Stop")}));
    EXPECT_EQ(first.hints.value(QStringLiteral("urgency")).toInt(), 2) << "it must stay until seen";
    EXPECT_FALSE(first.hints.contains(QStringLiteral("desktop-entry")));
    settle();

    // Without a stop, nothing to offer and nothing to call.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.Timer.desktop"));
    desktop.requestUserAttention("[File] notes.txt", nullptr);
    QGuiApplication::setDesktopFileName(QString());
    ASSERT_TRUE(notified(2));
    const auto second = server->notifications[1];
    EXPECT_EQ(second.hints.value(QStringLiteral("desktop-entry")), QStringLiteral("org.example.Timer"));
    EXPECT_EQ(second.replacesId, first.id);
    EXPECT_TRUE(second.actions.isEmpty());
    settle();
    server->invokeAction(second.id, QStringLiteral("stop"));
    settle();
    EXPECT_EQ(stops, 0);
}

TEST_F(Notifications, StopWorksOnceAndOnlyFromTheServer) {
    start();
    desktop.requestUserAttention("[Music] song.mp3", stop);
    ASSERT_TRUE(notified(1));
    // Our side learns the id from the reply; let it arrive.
    settle();
    // Any client can send a signal that looks like the server's.
    QDBusConnection forger =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("forger"));
    QDBusMessage forged = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/Notifications"),
                                                     QStringLiteral("org.freedesktop.Notifications"),
                                                     QStringLiteral("ActionInvoked"));
    forged << idOf(0) << QStringLiteral("stop");
    forger.send(forged);
    settle(forger);
    QDBusConnection::disconnectFromBus(QStringLiteral("forger"));
    EXPECT_EQ(stops, 0) << "a forged signal stopped";

    server->invokeAction(idOf(0), QStringLiteral("stop"));
    EXPECT_TRUE(testing::waitUntil([&] { return stops == 1; }, 10s));
    server->invokeAction(idOf(0), QStringLiteral("stop"));
    settle();
    EXPECT_EQ(stops, 1);
}

TEST_F(Notifications, AClosedOrOlderNotificationNoLongerStops) {
    start();
    int olderStops = 0;
    desktop.requestUserAttention("[Sound] Chime", [&] { ++olderStops; });
    ASSERT_TRUE(notified(1));
    settle();
    // The server closes the older one and shows the newer one under a new id.
    server->close(idOf(0), 2);
    server->invokeAction(idOf(0), QStringLiteral("stop"));
    settle();
    EXPECT_EQ(olderStops, 0) << "a closed notification stopped";

    desktop.requestUserAttention("[Sound] Bell", stop);
    ASSERT_TRUE(notified(2));
    settle();
    server->invokeAction(idOf(0), QStringLiteral("stop"));
    settle();
    EXPECT_EQ(olderStops + stops, 0) << "the older notification's Stop did something";
    server->invokeAction(idOf(1), QStringLiteral("stop"));
    EXPECT_TRUE(testing::waitUntil([&] { return stops == 1; }, 10s));
}

struct MarkupCase {
    const char* name;
    bool serverReadsMarkup;
    QString body;
};

class NotificationBody : public Notifications, public ::testing::WithParamInterface<MarkupCase> {};

TEST_P(NotificationBody, ShowsTheTextAsTyped) {
    QStringList capabilities{QStringLiteral("actions")};
    if (GetParam().serverReadsMarkup)
        capabilities << QStringLiteral("body-markup");
    start(capabilities);
    desktop.requestUserAttention("[Alert] <b>tea</b> & \"caf\xc3\xa9\"", stop);
    ASSERT_TRUE(notified(1));
    EXPECT_EQ(server->notifications.front().body, GetParam().body);
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, NotificationBody,
    ::testing::Values(
        MarkupCase{
            "MarkupServer", true,
            QStringLiteral("Time has come: [Alert] &lt;b&gt;tea&lt;/b&gt; &amp; &quot;caf\u00e9&quot;")},
        MarkupCase{"PlainServer", false,
                   QStringLiteral("Time has come: [Alert] <b>tea</b> & \"caf\u00e9\"")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Notifications, NoNotificationServiceIsOneLogLine) {
    CapturedStderr captured;
    desktop.requestUserAttention("[Sound] Chime", stop);
    desktop.requestUserAttention("[Sound] Bell", stop);
    EXPECT_TRUE(testing::waitUntil([&] { return !captured.text().empty(); }, 10s));
    desktop.requestUserAttention("[Sound] Gong", stop);
    settle();
    EXPECT_EQ(captured.lines(), 1) << captured.text();
    EXPECT_EQ(stops, 0);
}

// A server that never answers: the request returns before its call times out
// (the program goes on meanwhile), and the time-out is told once.
TEST_F(Notifications, AStuckServerHoldsNothingUp) {
    start({QStringLiteral("actions")}, /*answers=*/false);
    CapturedStderr captured;
    desktop.requestUserAttention("[Sound] Chime", stop);
    EXPECT_EQ(captured.text(), "") << "the request waited for the server";
    ASSERT_TRUE(notified(1));
    EXPECT_TRUE(testing::waitUntil([&] { return !captured.text().empty(); }, 30s));
    EXPECT_EQ(captured.lines(), 1) << captured.text();
    EXPECT_EQ(stops, 0);
}

} // namespace
} // namespace eggtimer
