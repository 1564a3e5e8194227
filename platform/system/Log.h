#pragma once
// The program's log: one line per message on standard error, in the form
//   2026-12-06 15:41:36.123 eggtimer[1234]: tab:3
// Control characters in a message are written as escapes, so that a message
// never spans or forges lines.

#include "platform/Logger.h"

#include <chrono>
#include <string>
#include <string_view>

namespace eggtimer {

// The full line, without its line feed, for a message logged at `when`
// (local time) by `program` with process id `pid`.
std::string formatLogLine(std::chrono::system_clock::time_point when, std::string_view program, long pid,
                          std::string_view message);

// Writes one line for the message to standard error, in a single write.
void logLine(std::string_view message);

// The log as the controller's Logger.
class StandardErrorLogger final : public Logger {
public:
    void log(const std::string& line) override { logLine(line); }
};

// Logs only the first message it is given, for failures that would otherwise
// repeat on every attempt. `reset` arms it again once things work.
class LogOnce {
public:
    void operator()(std::string_view message);
    void reset() { logged = false; }

private:
    bool logged = false;
};

} // namespace eggtimer
