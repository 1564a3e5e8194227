#pragma once
// Desktop services on the test session's private bus, each on a connection of
// its own as a real one is: a notification server, a desktop portal's
// Inhibit, a power manager's Inhibit, and a dock listening to launcher-entry
// signals. They record what they are asked.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

#include <map>
#include <memory>
#include <tuple>
#include <vector>

namespace eggtimer::test {

// A bus connection under a name of its own; left when it goes, as when the
// process behind it ends.
class OwnConnection {
public:
    explicit OwnConnection(const QString& name);
    ~OwnConnection();
    OwnConnection(const OwnConnection&) = delete;
    OwnConnection& operator=(const OwnConnection&) = delete;

    QDBusConnection bus;
};

class StandInNotificationServer : public QObject {
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
    explicit StandInNotificationServer(QStringList capabilities = {QStringLiteral("actions")},
                                       bool answers = true);
    ~StandInNotificationServer() override;
    bool start();
    // ActionInvoked or NotificationClosed.
    void send(const QString& name, uint id, const QVariant& argument);

    OwnConnection connection{QStringLiteral("notifications")};
    std::vector<Notification> notifications;
    std::vector<uint> closed;

public Q_SLOTS:
    uint Notify(const QString& appName, uint replacesId, const QString& icon, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints, int timeout,
                const QDBusMessage& message);
    QStringList GetCapabilities();
    void CloseNotification(uint id);

private:
    QStringList capabilities;
    bool answers;
    uint nextId = 41;
};

// The desktop portal's Inhibit: each inhibition is a request object that
// Close ends.
class StandInPortal : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Inhibit")
public:
    struct Inhibition {
        QString window;
        uint flags;
        QString reason;
        QString handle;
        bool closed = false;
    };

    // Each portal started in a test needs a connection name of its own.
    explicit StandInPortal(const QString& connectionName = QStringLiteral("portal"));
    ~StandInPortal() override;
    bool start();
    // Inhibitions granted and not closed.
    int held() const;
    // While set, Inhibit is answered only by answerLate().
    bool holdAnswers = false;
    void answerLate();

    std::unique_ptr<OwnConnection> connection;
    std::vector<Inhibition> inhibitions;

public Q_SLOTS:
    QDBusObjectPath Inhibit(const QString& window, uint flags, const QVariantMap& options,
                            const QDBusMessage& message);

private:
    class Request;
    std::vector<QDBusMessage> unanswered;
    std::map<QString, std::unique_ptr<Request>> requests;
    int nextRequest = 1;
};

// org.freedesktop.PowerManagement.Inhibit, as older desktops serve it.
class StandInPowerManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.PowerManagement.Inhibit")
public:
    StandInPowerManager();
    ~StandInPowerManager() override;
    bool start();

    OwnConnection connection{QStringLiteral("power")};
    std::vector<QString> reasons; // of every inhibition asked for
    std::vector<uint> held;

public Q_SLOTS:
    uint Inhibit(const QString& application, const QString& reason);
    void UnInhibit(uint cookie);

private:
    uint nextCookie = 7;
};

// What a dock draws from the program's launcher-entry signals: progress
// shown, progress, count shown, count, urgent.
class StandInDock : public QObject {
    Q_OBJECT
public:
    using Drawn = std::tuple<bool, double, bool, qint64, bool>;
    static constexpr Drawn kNothing{false, 0.0, false, 0, false};

    // Listens for the desktop entry `appUri` ("application://name.desktop").
    explicit StandInDock(QString appUri);
    bool start();

    OwnConnection connection{QStringLiteral("dock")};
    std::vector<Drawn> drawn;
    // Signals for another entry than the one listened for.
    int strangers = 0;

public Q_SLOTS:
    void update(const QDBusMessage& message);

private:
    QString appUri;
};

// Lets everything that was sent on the bus so far reach the receiving
// connections given, in this process, and be handled: the bus answers a
// connection's call only after it has passed on what was sent before it, and
// a connection reads what comes to it in order.
void settleBus(const std::vector<QDBusConnection>& senders);

} // namespace eggtimer::test
