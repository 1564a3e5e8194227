// Choosing the mode tab by tag and stepping through the tabs.

#include "tests/unit/ControllerFixture.h"

namespace eggtimer::test {
namespace {

using ModeNavigationTest = ControllerTest;

struct StepCase {
    const char* name;
    int count, from, next, previous;
    friend void PrintTo(const StepCase& row, std::ostream* out) { *out << row.name; }
};

class ModeStep : public ControllerTest, public ::testing::WithParamInterface<StepCase> {};

TEST_P(ModeStep, NextAndPreviousWrapAtBothEndsOfTheTabsThereAreNow) {
    window().modeTab.count = GetParam().count;
    selectMode(GetParam().from);
    master->nextMode(nullptr);
    EXPECT_EQ(window().modeTab.index, GetParam().next);
    selectMode(GetParam().from);
    master->prevMode(nullptr);
    EXPECT_EQ(window().modeTab.index, GetParam().previous);
}

INSTANTIATE_TEST_SUITE_P(Tabs, ModeStep,
                         ::testing::Values(StepCase{"FirstOfThree", 3, 0, 1, 2},
                                           StepCase{"MiddleOfThree", 3, 1, 2, 0},
                                           StepCase{"LastOfThree", 3, 2, 0, 1},
                                           StepCase{"MiddleOfFive", 5, 2, 3, 1},
                                           StepCase{"LastOfFive", 5, 4, 0, 3}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ModeNavigationTest, TheSendersTagSelectsTheTabAndARunningTimerIsLeftAlone) {
    press();
    const WallTime fireDate = master->mainTimer()->fireDate();
    const std::string fireTime = window().statFireTime.text;
    fake::FakeButton preset("preset", journal(), 0), alarm("alarm", journal(), 2),
        bogus("bogus", journal(), 7);
    master->changeModeWithSenderTag(&alarm);
    EXPECT_EQ(window().modeTab.index, 2);
    master->changeModeWithSenderTag(&bogus);
    EXPECT_EQ(window().modeTab.index, 2);
    master->changeModeWithSenderTag(&preset);
    EXPECT_EQ(window().modeTab.index, 0);
    world.runLoop.advanceBy(1.0);
    EXPECT_EQ(master->mainTimer()->fireDate(), fireDate);
    EXPECT_EQ(window().statFireTime.text, fireTime);
    EXPECT_EQ(master->status(), TimerStatusRunning);
}

} // namespace
} // namespace eggtimer::test
