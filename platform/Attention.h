#pragma once
// Drawing the user to a timer that fired, and letting go once its ring is
// over.

#include <functional>
#include <string>

namespace eggtimer {

class Attention {
public:
    virtual ~Attention() = default;
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
};

} // namespace eggtimer
