#include "platform/desktop/SessionBus.h"

#include <QDBusMessage>

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

} // namespace eggtimer
