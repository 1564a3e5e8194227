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

template <typename Number> struct ReadCase {
    const char* name;
    const char* text;
    Number value;
};
template <typename Number> void PrintTo(const ReadCase<Number>& c, std::ostream* out) {
    *out << '"' << c.text << '"';
}
const auto caseName = [](const auto& info) { return std::string(info.param.name); };

class FloatValue : public ::testing::TestWithParam<ReadCase<float>> {};

TEST_P(FloatValue, IsTheNumberTheTextBeginsWith) {
    const float value = floatValueOf(GetParam().text);
    EXPECT_FALSE(std::isnan(value));
    EXPECT_EQ(value, GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FloatValue,
    ::testing::Values(ReadCase<float>{"Empty", "", 0.0f}, ReadCase<float>{"Word", "abc", 0.0f},
                      ReadCase<float>{"LeadingSpaces", "  1.5 hours", 1.5f},
                      ReadCase<float>{"LeadingLineBreak", "\t\n-2", -2.0f},
                      ReadCase<float>{"NoLeadingDigit", ".5", 0.5f},
                      ReadCase<float>{"Exponent", "2E-1", 0.2f}, ReadCase<float>{"CommaEndsIt", "1,5", 1.0f},
                      ReadCase<float>{"NoHex", "0x10", 0.0f}, ReadCase<float>{"NoInfinity", "inf", 0.0f},
                      ReadCase<float>{"PastTheLargest", "1e39", FLT_MAX},
                      ReadCase<float>{"ManyDigits", "99999999999999999999999999999999999999999", FLT_MAX},
                      ReadCase<float>{"ZeroWithHugeExponent", "0e99999999999999999999", 0.0f}),
    caseName);

class IntValue : public ::testing::TestWithParam<ReadCase<int>> {};

TEST_P(IntValue, IsTheIntegerTheTextBeginsWithSaturated) {
    EXPECT_EQ(intValueOf(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, IntValue,
    ::testing::Values(ReadCase<int>{"Empty", "", 0}, ReadCase<int>{"Word", "abc", 0},
                      ReadCase<int>{"LeadingSpace", " 2", 2}, ReadCase<int>{"FractionCut", "3.9", 3},
                      ReadCase<int>{"PastTheLargest", "2147483648", INT_MAX},
                      ReadCase<int>{"PastSixtyFourBits", "9999999999999999999", INT_MAX},
                      ReadCase<int>{"PastTheSmallest", "-99999999999999999999999", INT_MIN}),
    caseName);

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
