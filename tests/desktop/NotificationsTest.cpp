// Attention requests as desktop notifications, against a fake notification
// server on the session's private bus.

#include "platform/qt/QtDesktop.h"

#include "tests/desktop/Support.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QGuiApplication>
#include <QWidget>

#include <gtest/gtest.h>

namespace eggtimer {
namespace {

using namespace std::chrono_literals;

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");

// A notification server on a connection of its own: it records what it is
// asked and sends signals when told.
class FakeNotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Notification {
        QString appName;
        uint replacesId;
        QString summary;
        QString body;
        QStringList actions;
        QVariantMap hints;
        uint id;
    };

    // `answers` false: calls to Notify are never answered, as by a stuck server.
    FakeNotificationServer(QStringList capabilities, bool answers)
        : capabilities(std::move(capabilities))
        , answers(answers) {}
    ~FakeNotificationServer() override {
        bus.unregisterService(kService);
        QDBusConnection::disconnectFromBus(bus.name());
    }
    bool start() {
        return bus.isConnected() && bus.registerObject(kPath, this, QDBusConnection::ExportAllSlots) &&
               bus.registerService(kService);
    }
    // ActionInvoked or NotificationClosed.
    void send(const QString& name, uint id, const QVariant& argument) {
        QDBusMessage signal = QDBusMessage::createSignal(kPath, kService, name);
        signal << id << argument;
        bus.send(signal);
    }

    QDBusConnection bus =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("server"));
    QList<Notification> notifications;

public Q_SLOTS:
    uint Notify(const QString& appName, uint replacesId, const QString&, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints, int,
                const QDBusMessage& message) {
        const uint id = replacesId != 0 ? replacesId : nextId++;
        notifications.append({appName, replacesId, summary, body, actions, hints, id});
        message.setDelayedReply(!answers); // and never reply
        return id;
    }
    QStringList GetCapabilities() { return capabilities; }
    void CloseNotification(uint) {}

private:
    QStringList capabilities;
    bool answers;
    uint nextId = 41;
};

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
    void invokeStop(uint id) { server->send(QStringLiteral("ActionInvoked"), id, QStringLiteral("stop")); }
    // Lets everything the server or we sent so far reach us and be handled:
    // the bus daemon answers a connection's call only after it has passed on
    // what that connection sent before, and passes messages on to us in order.
    void settle() {
        for (const QDBusConnection& connection :
             {server ? server->bus : QDBusConnection::sessionBus(), QDBusConnection::sessionBus()})
            connection.call(QDBusMessage::createMethodCall(
                QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping")));
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
// the place of the one shown. A server that reads markup is given the text
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
    QDBusMessage forged = QDBusMessage::createSignal(kPath, kService, QStringLiteral("ActionInvoked"));
    forged << idOf(1) << QStringLiteral("stop");
    QDBusConnection::sessionBus().send(forged);
    settle();
    EXPECT_EQ(olderStops + stops, 0) << "a forged signal or the older notification's Stop did something";

    invokeStop(idOf(1));
    EXPECT_TRUE(testing::waitUntil([&] { return stops == 1; }, 10s));
    invokeStop(idOf(1));
    settle();
    EXPECT_EQ(olderStops + stops, 1);
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
    EXPECT_TRUE(testing::waitUntil([&] { return !captured.text().empty(); }, 30s));
    desktop.requestUserAttention("[Sound] Gong", stop);
    settle();
    EXPECT_EQ(captured.lines(), 1) << captured.text();
    EXPECT_EQ(stops, 0);
}

INSTANTIATE_TEST_SUITE_P(Servers, UnreachableServer, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Stuck" : "None"; });

} // namespace
} // namespace eggtimer

#include "NotificationsTest.moc"
