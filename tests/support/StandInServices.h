#pragma once
// Desktop services on the test session's private bus, each on a connection of
// its own as a real one is: a notification server, a desktop portal's
// Inhibit and its Settings, a power manager's Inhibit, and a dock listening to
// launcher-entry signals. They record what they are asked.

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

#include <algorithm>
#include <tuple>
#include <vector>

namespace eggtimer::test {

// An object served on a bus connection of its own, under a name of its own:
// the service is given up and the connection left when it goes, as when the
// process behind it ends. Each connection is named anew: Qt may still be
// closing one that went when another of the same name is opened.
class StandIn : public QObject {
public:
    StandIn(const QString& connectionName, QString service, QString path)
        : bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, uniqueName(connectionName)))
        , service(std::move(service))
        , path(std::move(path)) {}
    ~StandIn() override {
        if (!service.isEmpty())
            bus.unregisterService(service);
        QDBusConnection::disconnectFromBus(bus.name());
    }
    // Serves this object's slots under its service; false without a bus.
    virtual bool start() {
        return bus.isConnected() && bus.registerObject(path, this, QDBusConnection::ExportAllSlots) &&
               bus.registerService(service);
    }

    QDBusConnection bus;

private:
    static QString uniqueName(const QString& name) {
        static int made = 0;
        return name + QLatin1Char('-') + QString::number(++made);
    }

    QString service;
    QString path;
};

class StandInNotificationServer : public StandIn {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Notification {
        QString appName;
        QString appIcon;
        uint replacesId;
        QString summary;
        QString body;
        QStringList actions;
        QVariantMap hints;
        uint id;
    };

    // `answers` false: calls to Notify are never answered, as by a stuck server.
    explicit StandInNotificationServer(QStringList capabilities = {QStringLiteral("actions")},
                                       bool answers = true)
        : StandIn(QStringLiteral("notifications"), kService, kPath)
        , capabilities(std::move(capabilities))
        , answers(answers) {}
    // ActionInvoked or NotificationClosed.
    void send(const QString& name, uint id, const QVariant& argument) {
        QDBusMessage signal = QDBusMessage::createSignal(kPath, kService, name);
        signal << id << argument;
        bus.send(signal);
    }

    std::vector<Notification> notifications;
    std::vector<uint> closed;

public Q_SLOTS:
    uint Notify(const QString& appName, uint replacesId, const QString& appIcon, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints, int,
                const QDBusMessage& message) {
        const uint id = replacesId != 0 ? replacesId : nextId++;
        notifications.push_back({appName, appIcon, replacesId, summary, body, actions, hints, id});
        message.setDelayedReply(!answers); // and never reply
        return id;
    }
    QStringList GetCapabilities() { return capabilities; }
    void CloseNotification(uint id) { closed.push_back(id); }

private:
    inline static const QString kService = QStringLiteral("org.freedesktop.Notifications");
    inline static const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
    QStringList capabilities;
    bool answers;
    uint nextId = 41;
};

// The desktop portal's Inhibit, an inhibition for each request object; the
// request's Close ends it.
class StandInPortal : public StandIn {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Inhibit")
public:
    struct Inhibition {
        uint flags;
        QString reason;
        QString handle;
        bool closed = false;
    };

    StandInPortal()
        : StandIn(QStringLiteral("portal"), QStringLiteral("org.freedesktop.portal.Desktop"), kPath) {}
    // Inhibitions granted and not closed.
    int held() const {
        return int(std::ranges::count_if(inhibitions, [](const Inhibition& i) { return !i.closed; }));
    }
    // While set, Inhibit is answered only by answerLate().
    bool holdAnswers = false;
    void answerLate() {
        for (const QDBusMessage& reply : unanswered)
            bus.send(reply);
        unanswered.clear();
    }

    std::vector<Inhibition> inhibitions;

public Q_SLOTS:
    QDBusObjectPath Inhibit(const QString&, uint flags, const QVariantMap& options,
                            const QDBusMessage& message) {
        // Named as a portal names them: after the caller and a number of its own.
        QString sender = message.service().mid(1);
        sender.replace('.', '_');
        const QString handle = kPath + QStringLiteral("/request/") + sender + QStringLiteral("/t") +
                               QString::number(inhibitions.size() + 1);
        inhibitions.push_back({flags, options.value(QStringLiteral("reason")).toString(), handle});
        bus.registerObject(handle, QStringLiteral("org.freedesktop.portal.Request"), this,
                           QDBusConnection::ExportAllSlots);
        if (holdAnswers) {
            message.setDelayedReply(true);
            unanswered.push_back(message.createReply(QVariant::fromValue(QDBusObjectPath(handle))));
        }
        return QDBusObjectPath(handle);
    }
    // The request's, on its own path.
    void Close(const QDBusMessage& message) {
        for (Inhibition& inhibition : inhibitions)
            inhibition.closed = inhibition.closed || inhibition.handle == message.path();
    }

private:
    inline static const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
    std::vector<QDBusMessage> unanswered;
};

// The desktop portal's Settings as GNOME's portal serves them: groups of
// keys and values, read whole, and changes signalled.
class StandInPortalSettings : public StandIn {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")
public:
    using Groups = QMap<QString, QVariantMap>;

    explicit StandInPortalSettings(Groups groups, const QString& connectionName = QStringLiteral("settings"))
        : StandIn(connectionName, QStringLiteral("org.freedesktop.portal.Desktop"), kPath)
        , groups(std::move(groups)) {
        qDBusRegisterMetaType<Groups>();
    }
    // Sets a value and signals the change, as the portal does when the user
    // changes it.
    void change(const QString& group, const QString& key, const QVariant& value) {
        groups[group][key] = value;
        QDBusMessage signal = QDBusMessage::createSignal(
            kPath, QStringLiteral("org.freedesktop.portal.Settings"), "SettingChanged");
        signal << group << key << QVariant::fromValue(QDBusVariant(value));
        bus.send(signal);
    }

    Groups groups;

public Q_SLOTS:
    // Every group whose name is given, all of them for none.
    Groups ReadAll(const QStringList& names) {
        Groups read;
        for (auto it = groups.cbegin(); it != groups.cend(); ++it) {
            if (names.isEmpty() || names.contains(it.key()))
                read.insert(it.key(), it.value());
        }
        return read;
    }

private:
    inline static const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
};

// org.freedesktop.PowerManagement.Inhibit, as older desktops serve it.
class StandInPowerManager : public StandIn {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.PowerManagement.Inhibit")
public:
    StandInPowerManager()
        : StandIn(QStringLiteral("power"), QStringLiteral("org.freedesktop.PowerManagement"),
                  QStringLiteral("/org/freedesktop/PowerManagement/Inhibit")) {}

    std::vector<QString> reasons; // of every inhibition asked for
    std::vector<uint> held;

public Q_SLOTS:
    uint Inhibit(const QString&, const QString& reason) {
        reasons.push_back(reason);
        held.push_back(nextCookie);
        return nextCookie++;
    }
    void UnInhibit(uint cookie) { std::erase(held, cookie); }

private:
    uint nextCookie = 7;
};

// What a dock draws from the program's launcher-entry signals: progress
// shown, progress, count shown, count, urgent.
class StandInDock : public StandIn {
    Q_OBJECT
public:
    using Drawn = std::tuple<bool, double, bool, qint64, bool>;
    static constexpr Drawn kNothing{false, 0.0, false, 0, false};

    // Listens for the desktop entry `appUri` ("application://name.desktop").
    explicit StandInDock(QString appUri)
        : StandIn(QStringLiteral("dock"), {}, {})
        , appUri(std::move(appUri)) {}
    bool start() override {
        return bus.connect({}, {}, QStringLiteral("com.canonical.Unity.LauncherEntry"),
                           QStringLiteral("Update"), this, SLOT(update(QDBusMessage)));
    }

    std::vector<Drawn> drawn;

public Q_SLOTS:
    void update(const QDBusMessage& message) {
        const QList<QVariant> arguments = message.arguments();
        if (arguments.size() != 2 || arguments[0].toString() != appUri)
            return;
        const QVariantMap properties = qdbus_cast<QVariantMap>(arguments[1]);
        drawn.emplace_back(properties.value("progress-visible").toBool(),
                           properties.value("progress").toDouble(),
                           properties.value("count-visible").toBool(), properties.value("count").toLongLong(),
                           properties.value("urgent").toBool());
    }

private:
    QString appUri;
};

// Lets everything that was sent on the bus so far reach the receiving
// connections given, in this process, and be handled: the bus answers a
// connection's call only after it has passed on what was sent before it, and
// a connection reads what comes to it in order.
inline void settleBus(const std::vector<QDBusConnection>& senders) {
    for (const QDBusConnection& sender : senders)
        sender.call(QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping")));
    QCoreApplication::processEvents();
}

} // namespace eggtimer::test
