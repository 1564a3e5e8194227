// Reading numbers out of typed text, and taking paths apart.

#include "platform/LastPathComponent.h"
#include "tests/unit/ControllerFixture.h"
#include "text/NumberText.h"
#include "text/PathText.h"
#include "text/WallClockText.h"

#include <cfloat>
#include <climits>
#include <cmath>

namespace eggtimer::test {
namespace {

TEST(NumberTextTest, FloatIsTheNumberTheTextBeginsWith) {
    const std::string manyDigits(41, '9'), hugeExponent = "0e" + std::string(20, '9');
    const std::pair<std::string, float> cases[] = {
        {"", 0.0f},    {"abc", 0.0f},     {"  1.5 hours", 1.5f}, {"\t\n-2", -2.0f},
        {".5", 0.5f},  {"2E-1", 0.2f},    {"1,5", 1.0f},         {"0x10", 0.0f},
        {"inf", 0.0f}, {"1e39", FLT_MAX}, {manyDigits, FLT_MAX}, {hugeExponent, 0.0f}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(floatValueOf(text), value) << '"' << text << '"';
}

TEST(NumberTextTest, IntIsTheIntegerTheTextBeginsWithSaturated) {
    const std::string past64Bits(19, '9'), belowTheSmallest = "-" + std::string(23, '9');
    const std::pair<std::string, int> cases[] = {{"", 0},
                                                 {"abc", 0},
                                                 {" 2", 2},
                                                 {"3.9", 3},
                                                 {"2147483648", INT_MAX},
                                                 {past64Bits, INT_MAX},
                                                 {belowTheSmallest, INT_MIN}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(intValueOf(text), value) << '"' << text << '"';
}

// Ordinary paths are taken apart in the choosers' and the sound list's tests.
TEST(PathTextTest, EdgeCasesOfLastComponentAndExtension) {
    EXPECT_EQ(lastPathComponent("/"), "/");
    EXPECT_EQ(lastPathComponent("name"), "name");
    EXPECT_EQ(lastPathComponent(""), "");
    EXPECT_EQ(deletingPathExtension(".aiff"), ".aiff");
    EXPECT_EQ(deletingPathExtension("plain"), "plain");
}

TEST(WallClockTextTest, DescribesShowableDatesAndNamesTheOthers) {
    ScopedTimeZone utc("UTC0");
    EXPECT_EQ(describeWallTime(0.0), "1970-01-01 00:00:00 +0000");
    EXPECT_EQ(describeWallTime(1'800'000'000.75), "2027-01-15 08:00:00 +0000");
    EXPECT_EQ(describeWallTime(NAN), "never");
    EXPECT_EQ(describeWallTime(1e30), "after the year 9999");
    EXPECT_EQ(describeWallTime(-HUGE_VAL), "before the year 1");
}

} // namespace
} // namespace eggtimer::test
