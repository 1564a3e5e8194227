#pragma once
// A run loop on a virtual wall clock. Timers wait in a queue ordered by due
// time, then by scheduling order; advancing the clock runs what falls due,
// moving the clock to each timer's due time as it runs.

#include "platform/RunLoop.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace eggtimer::fake {

class FakeRunLoop final : public RunLoop {
public:
    explicit FakeRunLoop(WallTime start)
        : clock(start) {}

    WallTime now() const override { return clock; }
    std::shared_ptr<Timer> scheduleTimer(double interval, bool repeats, Action action,
                                         std::any userInfo = {}) override;

    // Runs every timer due up to now + seconds, then leaves the clock there.
    void advanceBy(double seconds);
    // Runs what is already due (an interval of zero or less, or overdue).
    void runDue() { advanceBy(0.0); }
    // Moves the wall clock without running anything, as a suspend or a
    // setting of the system clock does. Due timers run at the next advance.
    void jumpWallClock(double seconds) { clock += seconds; }
    // Timers still waiting to fire.
    std::size_t pendingCount() const;

private:
    class FakeTimer;

    WallTime clock;
    std::uint64_t nextSequence = 0;
    std::vector<std::shared_ptr<FakeTimer>> queue;
};

} // namespace eggtimer::fake
