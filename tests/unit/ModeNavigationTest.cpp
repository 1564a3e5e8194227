// Choosing the mode tab by tag and stepping through the tabs.

#include "tests/unit/ControllerFixture.h"

namespace eggtimer::test {
namespace {

using ModeNavigationTest = ControllerTest;

TEST_F(ModeNavigationTest, NextAndPreviousWrapAtBothEnds) {
    const int next[] = {1, 2, 0}, previous[] = {2, 0, 1};
    for (int tab = 0; tab < 3; ++tab) {
        selectMode(tab);
        master->nextMode(nullptr);
        EXPECT_EQ(window().modeTab.index, next[tab]) << tab;
        selectMode(tab);
        master->prevMode(nullptr);
        EXPECT_EQ(window().modeTab.index, previous[tab]) << tab;
    }
}

TEST_F(ModeNavigationTest, TheNumberOfTabsIsReadAtEachStep) {
    window().modeTab.count = 5;
    selectMode(2);
    master->nextMode(nullptr);
    EXPECT_EQ(window().modeTab.index, 3);
    selectMode(4);
    master->nextMode(nullptr);
    EXPECT_EQ(window().modeTab.index, 0);
    master->prevMode(nullptr);
    EXPECT_EQ(window().modeTab.index, 4);
}

TEST_F(ModeNavigationTest, TheSendersTagSelectsTheTab) {
    fake::FakeButton preset("preset", journal(), 0), alarm("alarm", journal(), 2),
        bogus("bogus", journal(), 7);
    master->changeModeWithSenderTag(&alarm);
    EXPECT_EQ(window().modeTab.index, 2);
    master->changeModeWithSenderTag(&alarm);
    EXPECT_EQ(window().modeTab.index, 2);
    master->changeModeWithSenderTag(&bogus);
    EXPECT_EQ(window().modeTab.index, 2);
    master->changeModeWithSenderTag(&preset);
    EXPECT_EQ(window().modeTab.index, 0);
}

TEST_F(ModeNavigationTest, ChangingTheModeLeavesARunningTimerAlone) {
    window().targetSoundPopup.addItemWithTitle("Chime");
    press();
    const WallTime fireDate = master->mainTimer()->fireDate();
    const std::string fireTime = window().statFireTime.text;
    master->nextMode(nullptr);
    master->nextMode(nullptr);
    world.runLoop.advanceBy(1.0);
    EXPECT_EQ(master->mainTimer()->fireDate(), fireDate);
    EXPECT_EQ(window().statFireTime.text, fireTime);
    EXPECT_EQ(window().statTimer.text, "Timer is running.");
}

} // namespace
} // namespace eggtimer::test
