#pragma once
// What the desktop services on the session bus share.

#include <QDBusConnection>

#include <chrono>

namespace eggtimer {

// Returns once everything sent so far on `bus` has been passed on by the bus,
// or after `limit`: for what must reach the desktop before the program ends.
void waitUntilSent(const QDBusConnection& bus, std::chrono::milliseconds limit = std::chrono::seconds(1));

} // namespace eggtimer
