#include "support/fake/FakeRunLoop.h"

#include <algorithm>

namespace eggtimer::fake {

class FakeRunLoop::FakeTimer final : public Timer {
public:
    FakeTimer(double interval, bool repeats, Action action, std::any userInfo, WallTime due)
        : interval(interval)
        , repeats(repeats)
        , action(std::move(action))
        , info(std::move(userInfo))
        , due(due) {}

    bool isValid() const override { return valid; }
    WallTime fireDate() const override { return due; }
    void invalidate() override { valid = false; }
    const std::any& userInfo() const override { return info; }

    double interval;
    bool repeats;
    Action action;
    std::any info;
    WallTime due;
    std::uint64_t sequence = 0;
    bool valid = true;
};

std::shared_ptr<Timer> FakeRunLoop::scheduleTimer(double interval, bool repeats, Action action,
                                                  std::any userInfo) {
    // A repeating timer needs a positive period; the real loop enforces the same.
    if (repeats && !(interval > 0.0))
        interval = 0.0001;
    auto timer = std::make_shared<FakeTimer>(interval, repeats, std::move(action), std::move(userInfo),
                                             clock + interval);
    timer->sequence = nextSequence++;
    queue.push_back(timer);
    return timer;
}

void FakeRunLoop::advanceBy(double seconds) {
    const WallTime limit = clock + seconds;
    for (;;) {
        std::erase_if(queue, [](const auto& t) { return !t->valid; });
        std::shared_ptr<FakeTimer> timer; // the first due; kept alive while its action runs
        for (const auto& t : queue)
            if (t->due <= limit &&
                (!timer || t->due < timer->due || (t->due == timer->due && t->sequence < timer->sequence)))
                timer = t;
        if (!timer)
            break;
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
        timer->action(*timer);
    }
    clock = std::max(clock, limit);
}

std::size_t FakeRunLoop::pendingCount() const {
    return static_cast<std::size_t>(std::ranges::count_if(queue, [](const auto& t) { return t->valid; }));
}

} // namespace eggtimer::fake
