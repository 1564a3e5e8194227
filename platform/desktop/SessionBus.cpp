#include "platform/desktop/SessionBus.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>

#include <algorithm>

namespace eggtimer {

int millisecondsUntil(Deadline deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
}

void waitUntilSent(const QDBusConnection& bus, Deadline deadline) {
    const int limit = millisecondsUntil(deadline);
    if (!bus.isConnected() || limit == 0)
        return;
    // A connection writes its messages in order, and the bus passes on what
    // one connection sent in order: its answer comes after all of them.
    bus.call(QDBusMessage::createMethodCall(
                 QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                 QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping")),
             QDBus::Block, limit);
}

ServiceOwner::ServiceOwner(const QString& service, const QDBusConnection& bus, QObject* parent)
    : QObject(parent) {
    if (!bus.isConnected())
        return;
    auto* watcher = new QDBusServiceWatcher(service, bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& newOwner) {
                told = true;
                take(newOwner);
            });
    QDBusMessage owning = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetNameOwner"));
    owning << service;
    auto* asked = new QDBusPendingCallWatcher(QDBusConnection(bus).asyncCall(owning), this);
    connect(asked, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* answer) {
        answer->deleteLater();
        const QDBusPendingReply<QString> reply = *answer;
        if (!told && reply.isValid())
            take(reply.value());
    });
}

void ServiceOwner::take(const QString& newOwner) {
    if (newOwner == owner)
        return;
    owner = newOwner;
    Q_EMIT changed(owner);
}

} // namespace eggtimer
