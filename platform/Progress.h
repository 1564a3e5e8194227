#pragma once
// How far the timer has come, and what the desktop around the window makes
// of it.

namespace eggtimer {

// What the window's indicator and the launcher icon show of the timer.
struct TimerProgress {
    enum class State { Idle, Running, Firing };
    State state = State::Idle;
    // While running: the part of the interval that has passed (0 to 1), and
    // the whole minutes left, rounded up.
    double passed = 0.0;
    long minutesLeft = 0;

    bool operator==(const TimerProgress&) const = default;
};

// Told at every tick and change of state, so each acts only on what differs
// from what it did last.
class DesktopProgress {
public:
    virtual ~DesktopProgress() = default;
    // Shows how far the timer has come, beyond the window.
    virtual void showProgress(const TimerProgress& progress) = 0;
    // While `awake`, asks the desktop not to suspend the machine for
    // idleness; a suspend the user asks for still happens. Never waits on
    // the desktop, and a desktop that cannot do it changes nothing else.
    virtual void keepAwake(bool awake) = 0;
};

} // namespace eggtimer
