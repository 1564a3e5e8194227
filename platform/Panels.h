#pragma once
// The modal panels the program puts before the user. Each returns once the
// user has dismissed it; the run loop goes on meanwhile, so timers that fall
// due while a panel is open run.

#include <optional>
#include <string>
#include <vector>

namespace eggtimer {

class Panels {
public:
    virtual ~Panels() = default;
    // A panel with `title` as its main text (shown literally), `message` as
    // its informative text and one button.
    virtual void runAlertPanel(const std::string& title, const std::string& message,
                               const std::string& button) = 0;
    // A dialog for choosing one existing file. With `extensions` (no dot)
    // only files bearing one of them are offered. Nothing when cancelled.
    virtual std::optional<std::string> runOpenPanel(const std::string& title,
                                                    const std::vector<std::string>* extensions) = 0;
};

} // namespace eggtimer
