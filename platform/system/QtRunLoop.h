#pragma once
// Timers on the Qt event loop, each a kernel timer (timerfd) watched by a
// socket notifier. A one-shot timer is armed on the wall clock at its
// absolute fire date, so it fires at the date it shows: at once after a
// suspend that slept through it, and still at that date when the system
// clock is set. A repeating timer counts elapsed time.

#include "platform/RunLoop.h"

#include <memory>
#include <unordered_map>

namespace eggtimer {

class QtRunLoop final : public RunLoop {
public:
    QtRunLoop();
    ~QtRunLoop() override;
    QtRunLoop(const QtRunLoop&) = delete;
    QtRunLoop& operator=(const QtRunLoop&) = delete;

    WallTime now() const override;
    std::shared_ptr<Timer> scheduleTimer(double interval, bool repeats, Action action,
                                         std::any userInfo = {}) override;

private:
    class KernelTimer;
    friend class KernelTimer;
    void fired(KernelTimer* timer);
    void forget(KernelTimer* timer);

    std::unordered_map<KernelTimer*, std::shared_ptr<KernelTimer>> live;
};

} // namespace eggtimer
