#include "platform/qt/Log.h"

#include "tests/desktop/Support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <regex>
#include <unistd.h>

namespace eggtimer {
namespace {

using namespace std::chrono;

class LogFormat : public ::testing::Test {
protected:
    void SetUp() override {
        const char* zone = std::getenv("TZ");
        savedZone = zone ? std::optional<std::string>(zone) : std::nullopt;
        ::setenv("TZ", "UTC", 1);
        ::tzset();
    }
    void TearDown() override {
        if (savedZone)
            ::setenv("TZ", savedZone->c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }
    std::optional<std::string> savedZone;
};

// 2026-12-06 15:41:36 UTC.
const system_clock::time_point kInstant = system_clock::time_point(seconds(1796571696));

TEST_F(LogFormat, StampProgramAndProcessComeBeforeTheMessage) {
    EXPECT_EQ(formatLogLine(kInstant + milliseconds(123), "eggtimer", 1234, "tab:3"),
              "2026-12-06 15:41:36.123 eggtimer[1234]: tab:3");
}

TEST_F(LogFormat, MillisecondsArePaddedAndNotRounded) {
    EXPECT_EQ(formatLogLine(kInstant + microseconds(5999), "eggtimer", 7, "x"),
              "2026-12-06 15:41:36.005 eggtimer[7]: x");
}

TEST_F(LogFormat, InstantsBefore1970KeepTheirMilliseconds) {
    EXPECT_EQ(formatLogLine(system_clock::time_point(milliseconds(-500)), "eggtimer", 1, "x"),
              "1969-12-31 23:59:59.500 eggtimer[1]: x");
}

TEST_F(LogFormat, LocalTimeIsUsed) {
    ::setenv("TZ", "Asia/Tokyo", 1); // UTC+9, no daylight saving
    ::tzset();
    EXPECT_EQ(formatLogLine(kInstant, "eggtimer", 1, "x"), "2026-12-07 00:41:36.000 eggtimer[1]: x");
}

struct EscapeCase {
    const char* name;
    std::string message;
    std::string written;
};

class LogEscaping : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(LogEscaping, MessageStaysOnOneLine) {
    const std::string line = formatLogLine(kInstant, "p", 1, GetParam().message);
    const std::string prefix = "p[1]: ";
    const auto at = line.find(prefix);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(line.substr(at + prefix.size()), GetParam().written);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, LogEscaping,
    ::testing::Values(EscapeCase{"Plain", "OpenFile:/home/me/a b.txt", "OpenFile:/home/me/a b.txt"},
                      EscapeCase{"FormatLookalikes", "%@ %n %s %%", "%@ %n %s %%"},
                      EscapeCase{"LineFeed", "a\nb", "a\\nb"},
                      EscapeCase{"ForgedLine", "x\n2026-01-01 00:00:00.000 eggtimer[1]: y",
                                 "x\\n2026-01-01 00:00:00.000 eggtimer[1]: y"},
                      EscapeCase{"TabAndReturn", "a\tb\rc", "a\\tb\\rc"},
                      EscapeCase{"OtherControls", std::string("a\x01\x1b[31m\x7f", 8),
                                 "a\\x01\\x1b[31m\\x7f"},
                      EscapeCase{"Nul", std::string("a\0b", 3), "a\\x00b"},
                      EscapeCase{"Utf8", "Zeit \xc3\xa4 \xe2\x8f\xb0", "Zeit \xc3\xa4 \xe2\x8f\xb0"},
                      EscapeCase{"InvalidUtf8", "\xff\xfe", "\xff\xfe"}, EscapeCase{"Empty", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LogLine, WritesOneStampedLineToStandardError) {
    test::CapturedStderr captured;
    logLine("tab:3");
    const std::regex expected(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} desktop_files_test\[)" +
                              std::to_string(::getpid()) + R"(\]: tab:3\n)");
    EXPECT_TRUE(std::regex_match(captured.text(), expected)) << captured.text();
}

TEST(LogLine, LongMessagesAreWrittenWhole) {
    test::CapturedStderr captured;
    const std::string message(200000, 'x');
    logLine(message);
    const std::string text = captured.text();
    EXPECT_NE(text.find(message + "\n"), std::string::npos);
    EXPECT_EQ(text.back(), '\n');
}

TEST(LogOnce, LogsTheFirstMessageUntilReset) {
    test::CapturedStderr captured;
    LogOnce once;
    once("first");
    once("second");
    once.reset();
    once("third");
    const std::string text = captured.text();
    EXPECT_NE(text.find(": first\n"), std::string::npos);
    EXPECT_EQ(text.find("second"), std::string::npos);
    EXPECT_NE(text.find(": third\n"), std::string::npos);
}

} // namespace
} // namespace eggtimer
