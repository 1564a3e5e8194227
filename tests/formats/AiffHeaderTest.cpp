// Telling an AIFF file by its first twelve bytes, whatever its name.

#include "formats/AiffHeader.h"

#include <gtest/gtest.h>

#include <string>

namespace eggtimer::test {
namespace {

struct Head {
    const char* name;
    std::string bytes;
    bool aiff;
};

class AiffHeader : public ::testing::TestWithParam<Head> {};

TEST_P(AiffHeader, IsToldByItsFormAndType) {
    EXPECT_EQ(aiff::isAiffHeader(GetParam().bytes), GetParam().aiff);
}

INSTANTIATE_TEST_SUITE_P(Heads, AiffHeader,
                         ::testing::Values(Head{"Aiff", std::string("FORM\0\0\x10\0AIFF", 12), true},
                                           Head{"AiffC", std::string("FORM\0\0\x10\0AIFC", 12), true},
                                           Head{"Wave", std::string("RIFF\0\0\x10\0WAVE", 12), false},
                                           Head{"OtherFormType", std::string("FORM\0\0\x10\08SVX", 12), false},
                                           Head{"LowerCase", std::string("form\0\0\x10\0aiff", 12), false},
                                           Head{"CutShort", std::string("FORM\0\0\x10\0AIF", 11), false},
                                           Head{"Empty", "", false}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace eggtimer::test
