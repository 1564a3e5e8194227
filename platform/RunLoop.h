#pragma once
// Timers on the main event loop and the wall clock they fire by.

#include <any>
#include <functional>
#include <memory>

namespace eggtimer {

// An instant on the wall clock: seconds since the Unix epoch, as a double so
// that any interval (huge, infinite) yields a date without overflow.
using WallTime = double;

class Timer {
public:
    virtual ~Timer() = default;
    // True until the timer is invalidated or, for a one-shot timer, has fired.
    virtual bool isValid() const = 0;
    // The wall-clock instant the timer fires at (the next one, if repeating).
    virtual WallTime fireDate() const = 0;
    // Takes the timer off the loop for good. Invalidating twice does nothing.
    virtual void invalidate() = 0;
    virtual const std::any& userInfo() const = 0;
};

class RunLoop {
public:
    using Action = std::function<void(Timer&)>;

    virtual ~RunLoop() = default;
    virtual WallTime now() const = 0;

    // Schedules `action` to run `interval` seconds from now. A one-shot timer
    // fires at its wall-clock fire date, also across a suspend or a change of
    // the system clock; an interval of zero or less fires at the first
    // opportunity, and an infinite (or NaN) one never fires but stays valid.
    // A repeating timer fires every `interval` seconds of elapsed time; a tick
    // the loop could not deliver is dropped, not made up.
    // The loop holds the timer until it fires or is invalidated, and keeps it
    // alive while its action runs.
    virtual std::shared_ptr<Timer> scheduleTimer(double interval, bool repeats, Action action,
                                                 std::any userInfo = {}) = 0;
};

} // namespace eggtimer
