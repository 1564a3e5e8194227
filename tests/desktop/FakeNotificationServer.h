#pragma once
// A notification server on the test's private session bus, on a connection
// of its own: it records what it is asked and sends signals when told.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

namespace eggtimer::test {

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
    explicit FakeNotificationServer(QStringList capabilities, bool answers = true);
    ~FakeNotificationServer() override;
    // Takes the service name; false when that failed.
    bool start();

    void invokeAction(uint id, const QString& key);
    void close(uint id, uint reason);
    QDBusConnection bus() const { return connection; }

    QList<Notification> notifications;

public Q_SLOTS:
    uint Notify(const QString& appName, uint replacesId, const QString& appIcon, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints, int expireTimeout,
                const QDBusMessage& message);
    QStringList GetCapabilities();
    void CloseNotification(uint id);

private:
    void emitSignal(const QString& name, const QList<QVariant>& arguments);

    QString connectionName;
    QDBusConnection connection;
    QStringList capabilities;
    bool answers;
    uint nextId = 41;
};

} // namespace eggtimer::test
