#pragma once
// What the desktop services on the session bus share.

#include <QDBusConnection>

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

} // namespace eggtimer
