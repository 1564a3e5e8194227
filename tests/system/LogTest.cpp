#include "platform/system/Log.h"

#include "tests/support/CapturedStderr.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <unistd.h>

namespace eggtimer::test {
namespace {

using namespace std::chrono;

// Local time stamp to the millisecond, program, process, then the message on
// one line whatever it holds.
TEST(LogLine, IsStampProgramProcessAndTheMessageOnOneLine) {
    const system_clock::time_point instant(seconds(1796571696)); // 2026-12-06 15:41:36 UTC
    struct Case {
        system_clock::time_point when;
        const char* zone;
        std::string message, line;
    };
    for (const auto& [when, zone, message, line] :
         {// Printf's conversions, controls and bytes that are not UTF-8.
          Case{instant + milliseconds(123), "UTC",
               std::string("%s %n a\nb\tc\rd\x01\x1b[31m\x7f\0e \xc3\xa4 \xff", 27),
               "2026-12-06 15:41:36.123 eggtimer[1234]: %s %n "
               "a\\nb\\tc\\rd\\x01\\x1b[31m\\x7f\\x00e \xc3\xa4 \xff"},
          // Milliseconds padded, not rounded.
          Case{instant + microseconds(5999), "UTC", "x", "2026-12-06 15:41:36.005 eggtimer[1234]: x"},
          // UTC+9, no daylight saving.
          Case{instant, "Asia/Tokyo", "x", "2026-12-07 00:41:36.000 eggtimer[1234]: x"}}) {
        ::setenv("TZ", zone, 1);
        ::tzset();
        EXPECT_EQ(formatLogLine(when, "eggtimer", 1234, message), line);
    }
}

// In one write: a stamp of the form above, this program, this process.
TEST(LogLine, WritesOneWholeStampedLineToStandardError) {
    test::CapturedStderr captured;
    const std::string message = "tab:3 " + std::string(200000, 'x');
    logLine(message);
    const std::string text = captured.text();
    const std::string end = std::string(" ") + program_invocation_short_name + "[" +
                            std::to_string(::getpid()) + "]: " + message + "\n";
    EXPECT_EQ(text.size(), std::string("2026-12-06 15:41:36.123").size() + end.size()) << text.substr(0, 100);
    EXPECT_TRUE(text.ends_with(end)) << text.substr(0, 100);
}

} // namespace
} // namespace eggtimer::test
