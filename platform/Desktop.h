#pragma once
// What the desktop does for the program: beep, log, attention, the timer's
// progress, keeping the machine awake, opening files, the modal alert panel
// and the open-file dialog.

#include <functional>
#include <optional>
#include <string>
#include <vector>

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

class Desktop {
public:
    virtual ~Desktop() = default;

    // An audible beep through the desktop's sound server.
    virtual void beep() = 0;
    // One line on the program's log.
    virtual void log(const std::string& line) = 0;

    // Draws the user's attention to the window, and tells the desktop what
    // fired. `stop`, when set, is offered to the user as a way to silence a
    // looping target and does what the STOP button does.
    virtual void requestUserAttention(const std::string& whatFired, std::function<void()> stop) = 0;
    // The ring that the latest attention request announced is over: takes
    // back what it left on the desktop. Nothing to take back does nothing.
    virtual void withdrawAttention() = 0;
    // Shows the window again if it was closed while the timer ran, raised;
    // a window on the screen is left where it is.
    virtual void bringWindowForward() = 0;

    // Shows how far the timer has come; told at every tick and change of
    // state, so it draws only what differs from what it shows.
    virtual void showProgress(const TimerProgress& progress) = 0;
    // While `awake`, asks the desktop not to suspend the machine for
    // idleness; a suspend the user asks for still happens. Told with the
    // progress, so it acts only on a change. Never waits on the desktop, and
    // a desktop that cannot do it changes nothing else.
    virtual void keepAwake(bool awake) = 0;

    // Opens the file with its default application; false when nothing was
    // opened: the file is gone, or no application opens its type.
    virtual bool openFile(const std::string& path) = 0;

    // A modal panel with `title` as its main text (shown literally), `message`
    // as its informative text and one button; returns when it is dismissed.
    virtual void runAlertPanel(const std::string& title, const std::string& message,
                               const std::string& button) = 0;

    // A modal dialog for choosing one existing file. With `extensions` (no dot)
    // only files bearing one of them are offered. Nothing when cancelled.
    virtual std::optional<std::string> runOpenPanel(const std::string& title,
                                                    const std::vector<std::string>* extensions) = 0;
};

} // namespace eggtimer
