#include "platform/desktop/SessionBus.h"

#include <QDBusMessage>

namespace eggtimer {

void waitUntilSent(const QDBusConnection& bus, std::chrono::milliseconds limit) {
    if (!bus.isConnected())
        return;
    // A connection writes its messages in order, and the bus passes on what
    // one connection sent in order: its answer comes after all of them.
    bus.call(QDBusMessage::createMethodCall(
                 QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                 QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping")),
             QDBus::Block, static_cast<int>(limit.count()));
}

} // namespace eggtimer
