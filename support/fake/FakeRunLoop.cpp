#include "support/fake/FakeRunLoop.h"

#include <algorithm>
#include <cmath>

namespace eggtimer::fake {

class FakeRunLoop::FakeTimer final : public Timer {
public:
    FakeTimer(double interval, bool repeats, Action action, std::any userInfo, WallTime due,
              std::uint64_t sequence)
        : interval(interval)
        , repeats(repeats)
        , action(std::move(action))
        , info(std::move(userInfo))
        , due(due)
        , sequence(sequence) {}

    bool isValid() const override { return valid; }
    WallTime fireDate() const override { return due; }
    void invalidate() override { valid = false; }
    const std::any& userInfo() const override { return info; }

    double interval;
    bool repeats;
    Action action;
    std::any info;
    WallTime due;
    std::uint64_t sequence;
    bool valid = true;
};

std::shared_ptr<Timer> FakeRunLoop::scheduleTimer(double interval, bool repeats, Action action,
                                                  std::any userInfo) {
    // A repeating timer needs a positive period; the real loop enforces the same.
    if (repeats && !(interval > 0.0))
        interval = 0.0001;
    auto timer = std::make_shared<FakeTimer>(interval, repeats, std::move(action), std::move(userInfo),
                                             clock + interval, nextSequence++);
    queue.push_back(timer);
    return timer;
}

std::shared_ptr<FakeRunLoop::FakeTimer> FakeRunLoop::nextDue(WallTime limit) const {
    std::shared_ptr<FakeTimer> best;
    for (const auto& timer : queue) {
        if (!timer->valid || !(timer->due <= limit))
            continue;
        if (!best || timer->due < best->due || (timer->due == best->due && timer->sequence < best->sequence))
            best = timer;
    }
    return best;
}

void FakeRunLoop::advanceBy(double seconds) {
    const WallTime limit = clock + seconds;
    while (auto timer = nextDue(limit)) {
        clock = std::max(clock, timer->due);
        if (timer->repeats) {
            // Ticks missed while the clock jumped are dropped, not made up.
            timer->due += timer->interval;
            if (timer->due <= clock)
                timer->due = clock + timer->interval;
            timer->sequence = nextSequence++;
        } else {
            timer->valid = false;
        }
        timer->action(*timer); // `timer` keeps it alive while its action runs
        std::erase_if(queue, [](const auto& t) { return !t->valid; });
    }
    clock = std::max(clock, limit);
    std::erase_if(queue, [](const auto& t) { return !t->valid; });
}

std::size_t FakeRunLoop::pendingCount() const {
    return static_cast<std::size_t>(
        std::count_if(queue.begin(), queue.end(), [](const auto& t) { return t->valid; }));
}

std::vector<std::shared_ptr<Timer>> FakeRunLoop::pending() const {
    std::vector<std::shared_ptr<Timer>> result;
    for (const auto& timer : queue)
        if (timer->valid)
            result.push_back(timer);
    return result;
}

} // namespace eggtimer::fake
