#pragma once
// The beep that tells the user a request was refused or a ring needs them.

namespace eggtimer {

class Beeper {
public:
    virtual ~Beeper() = default;
    // An audible beep through the desktop's sound server; returns at once.
    virtual void beep() = 0;
};

} // namespace eggtimer
