// Choosing the mode tab by tag and stepping through the tabs.

#include "tests/unit/ControllerFixture.h"

namespace eggtimer::test {
namespace {

using ModeNavigationTest = ControllerTest;

TEST_F(ModeNavigationTest, NextAndPreviousWrapAtBothEndsOfTheTabsThereAreNow) {
    const struct {
        int count, from, next, previous;
    } cases[] = {{3, 0, 1, 2}, {3, 1, 2, 0}, {3, 2, 0, 1}, {5, 2, 3, 1}, {5, 4, 0, 3}};
    for (const auto& c : cases) {
        window().modeTab.count = c.count;
        selectMode(c.from);
        master->nextMode(nullptr);
        EXPECT_EQ(window().modeTab.index, c.next) << c.count << " tabs, from " << c.from;
        selectMode(c.from);
        master->prevMode(nullptr);
        EXPECT_EQ(window().modeTab.index, c.previous) << c.count << " tabs, from " << c.from;
    }
}

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
