#pragma once
// Waiting while the Qt event loop is served, for tests and benchmarks: timers,
// queued calls and deferred deletions all run meanwhile.

#include <chrono>
#include <functional>

namespace eggtimer::test {

// Serves events until `done` holds or `limit` passes; whether `done` holds.
bool waitUntil(const std::function<bool()>& done, std::chrono::duration<double> limit);

// Serves events for `time`.
void serveEventsFor(std::chrono::duration<double> time);

} // namespace eggtimer::test
