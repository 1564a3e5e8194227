#pragma once
// The program's log, for what the window does not show.

#include <string>

namespace eggtimer {

class Logger {
public:
    virtual ~Logger() = default;
    // One line on the log.
    virtual void log(const std::string& line) = 0;
};

} // namespace eggtimer
