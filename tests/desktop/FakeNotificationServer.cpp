#include "tests/desktop/FakeNotificationServer.h"

#include <QDBusConnectionInterface>

namespace eggtimer::test {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");

QString uniqueConnectionName() {
    static int count = 0;
    return QStringLiteral("fake-notification-server-%1").arg(++count);
}

} // namespace

FakeNotificationServer::FakeNotificationServer(QStringList capabilities, bool answers)
    : connectionName(uniqueConnectionName())
    , connection(QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName))
    , capabilities(std::move(capabilities))
    , answers(answers) {}

FakeNotificationServer::~FakeNotificationServer() {
    connection.unregisterService(kService);
    connection.unregisterObject(kPath);
    QDBusConnection::disconnectFromBus(connectionName);
}

bool FakeNotificationServer::start() {
    return connection.isConnected() &&
           connection.registerObject(kPath, this, QDBusConnection::ExportAllSlots) &&
           connection.registerService(kService);
}

uint FakeNotificationServer::Notify(const QString& appName, uint replacesId, const QString&,
                                    const QString& summary, const QString& body, const QStringList& actions,
                                    const QVariantMap& hints, int, const QDBusMessage& message) {
    const uint id = replacesId != 0 ? replacesId : nextId++;
    notifications.append({appName, replacesId, summary, body, actions, hints, id});
    if (!answers)
        message.setDelayedReply(true); // and never reply
    return id;
}

QStringList FakeNotificationServer::GetCapabilities() {
    return capabilities;
}

void FakeNotificationServer::CloseNotification(uint) {}

void FakeNotificationServer::invokeAction(uint id, const QString& key) {
    emitSignal(QStringLiteral("ActionInvoked"), {id, key});
}

void FakeNotificationServer::close(uint id, uint reason) {
    emitSignal(QStringLiteral("NotificationClosed"), {id, reason});
}

void FakeNotificationServer::emitSignal(const QString& name, const QList<QVariant>& arguments) {
    QDBusMessage signal = QDBusMessage::createSignal(kPath, kService, name);
    signal.setArguments(arguments);
    connection.send(signal);
}

} // namespace eggtimer::test
