#pragma once
// What the desktop services on the session bus share.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>

#include <chrono>

namespace eggtimer {

using Deadline = std::chrono::steady_clock::time_point;

// How long the desktop's services are given, as the program ends, to hear
// what it takes back.
constexpr std::chrono::milliseconds kTakeBackLimit{1000};

// Returns once everything sent so far on `bus` has been passed on by the bus,
// or at `deadline`: for what must reach the desktop before the program ends.
void waitUntilSent(const QDBusConnection& bus, Deadline deadline);

// Milliseconds left until `deadline`, at least 0.
int millisecondsUntil(Deadline deadline);

// The unique name of the connection that owns a service's well-known name,
// learnt without waiting on the bus: asked once at the start, then followed
// as the service starts, restarts or goes. A service's signals are to be
// believed only from its owner: any client can send one that looks alike.
// (Qt does not always tell the sender of a reply, so a reply cannot say.)
class ServiceOwner : public QObject {
    Q_OBJECT
public:
    ServiceOwner(const QString& service, const QDBusConnection& bus, QObject* parent = nullptr);

    // Empty while no one owns the name, and until the bus has said.
    const QString& name() const { return owner; }
    bool sent(const QDBusMessage& message) const { return !owner.isEmpty() && message.service() == owner; }

Q_SIGNALS:
    // The name has a new owner; empty when it has none any more.
    void changed(const QString& owner);

private:
    void take(const QString& newOwner);

    QString owner;
    bool told = false; // a change has come: the first answer is older
};

} // namespace eggtimer
