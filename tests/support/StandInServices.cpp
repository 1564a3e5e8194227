#include "tests/support/StandInServices.h"

#include <QCoreApplication>
#include <QDBusArgument>

#include <algorithm>

namespace eggtimer::test {
namespace {

const QString kNotificationService = QStringLiteral("org.freedesktop.Notifications");
const QString kNotificationPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kPowerService = QStringLiteral("org.freedesktop.PowerManagement");
const QString kPowerPath = QStringLiteral("/org/freedesktop/PowerManagement/Inhibit");

bool serve(QDBusConnection& bus, const QString& path, QObject* object, const QString& service) {
    return bus.isConnected() && bus.registerObject(path, object, QDBusConnection::ExportAllSlots) &&
           bus.registerService(service);
}

} // namespace

OwnConnection::OwnConnection(const QString& name)
    : bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, name)) {}

OwnConnection::~OwnConnection() {
    QDBusConnection::disconnectFromBus(bus.name());
}

StandInNotificationServer::StandInNotificationServer(QStringList capabilities, bool answers)
    : capabilities(std::move(capabilities))
    , answers(answers) {}

StandInNotificationServer::~StandInNotificationServer() {
    connection.bus.unregisterService(kNotificationService);
}

bool StandInNotificationServer::start() {
    return serve(connection.bus, kNotificationPath, this, kNotificationService);
}

void StandInNotificationServer::send(const QString& name, uint id, const QVariant& argument) {
    QDBusMessage signal = QDBusMessage::createSignal(kNotificationPath, kNotificationService, name);
    signal << id << argument;
    connection.bus.send(signal);
}

uint StandInNotificationServer::Notify(const QString& appName, uint replacesId, const QString&,
                                       const QString& summary, const QString& body,
                                       const QStringList& actions, const QVariantMap& hints, int,
                                       const QDBusMessage& message) {
    const uint id = replacesId != 0 ? replacesId : nextId++;
    notifications.push_back({appName, replacesId, summary, body, actions, hints, id});
    message.setDelayedReply(!answers); // and never reply
    return id;
}

QStringList StandInNotificationServer::GetCapabilities() {
    return capabilities;
}

void StandInNotificationServer::CloseNotification(uint id) {
    closed.push_back(id);
}

class StandInPortal::Request : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Request")
public:
    Request(StandInPortal& portal, std::size_t index)
        : portal(portal)
        , index(index) {}

public Q_SLOTS:
    void Close() { portal.inhibitions[index].closed = true; }

private:
    StandInPortal& portal;
    std::size_t index;
};

StandInPortal::StandInPortal(const QString& connectionName)
    : connection(std::make_unique<OwnConnection>(connectionName)) {}

StandInPortal::~StandInPortal() {
    connection->bus.unregisterService(kPortalService);
}

bool StandInPortal::start() {
    return serve(connection->bus, kPortalPath, this, kPortalService);
}

int StandInPortal::held() const {
    return int(std::count_if(inhibitions.begin(), inhibitions.end(),
                             [](const Inhibition& inhibition) { return !inhibition.closed; }));
}

QDBusObjectPath StandInPortal::Inhibit(const QString& window, uint flags, const QVariantMap& options,
                                       const QDBusMessage& message) {
    // Named as a portal names them: after the caller and a number of its own.
    QString sender = message.service().mid(1);
    sender.replace('.', '_');
    const QString handle = kPortalPath + QStringLiteral("/request/") + sender + QStringLiteral("/t") +
                           QString::number(nextRequest++);
    inhibitions.push_back({window, flags, options.value(QStringLiteral("reason")).toString(), handle});
    auto request = std::make_unique<Request>(*this, inhibitions.size() - 1);
    connection->bus.registerObject(handle, request.get(), QDBusConnection::ExportAllSlots);
    requests[handle] = std::move(request);
    if (holdAnswers) {
        message.setDelayedReply(true);
        unanswered.push_back(message.createReply(QVariant::fromValue(QDBusObjectPath(handle))));
    }
    return QDBusObjectPath(handle);
}

void StandInPortal::answerLate() {
    for (const QDBusMessage& reply : unanswered)
        connection->bus.send(reply);
    unanswered.clear();
}

StandInPowerManager::StandInPowerManager() = default;

StandInPowerManager::~StandInPowerManager() {
    connection.bus.unregisterService(kPowerService);
}

bool StandInPowerManager::start() {
    return serve(connection.bus, kPowerPath, this, kPowerService);
}

uint StandInPowerManager::Inhibit(const QString&, const QString& reason) {
    reasons.push_back(reason);
    held.push_back(nextCookie);
    return nextCookie++;
}

void StandInPowerManager::UnInhibit(uint cookie) {
    std::erase(held, cookie);
}

StandInDock::StandInDock(QString appUri)
    : appUri(std::move(appUri)) {}

bool StandInDock::start() {
    return connection.bus.connect({}, {}, QStringLiteral("com.canonical.Unity.LauncherEntry"),
                                  QStringLiteral("Update"), this, SLOT(update(QDBusMessage)));
}

void StandInDock::update(const QDBusMessage& message) {
    const QList<QVariant> arguments = message.arguments();
    if (arguments.size() != 2 || arguments[0].toString() != appUri) {
        ++strangers;
        return;
    }
    const QVariantMap properties = qdbus_cast<QVariantMap>(arguments[1]);
    drawn.emplace_back(properties.value("progress-visible").toBool(), properties.value("progress").toDouble(),
                       properties.value("count-visible").toBool(), properties.value("count").toLongLong(),
                       properties.value("urgent").toBool());
}

void settleBus(const std::vector<QDBusConnection>& senders) {
    for (const QDBusConnection& sender : senders)
        sender.call(QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping")));
    QCoreApplication::processEvents();
}

} // namespace eggtimer::test

#include "StandInServices.moc"
