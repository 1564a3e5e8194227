// The status area over a timer's life, and the ticker that keeps it current.

#include "tests/unit/ControllerFixture.h"

namespace eggtimer::test {
namespace {

using StatusTest = ControllerTest;

TEST_F(StatusTest, TargetLineAtStartUpFollowsTheTargetControlsAsTheyStand) {
    window().targetMusicName.text = "Song Title.mp3";
    window().targetFileName.text = "";
    window().targetAlertMessage.text = "Tea is ready %@";
    const struct {
        int row;
        std::vector<std::string> sounds;
        const char* line;
    } cases[] = {{0, {"Chime.aiff"}, "[Sound] Chime"},
                 {0, {}, "[Sound] "},
                 {1, {"Chime.aiff"}, "[Music] Song Title.mp3"},
                 {2, {"Chime.aiff"}, "[File] "},
                 {3, {"Chime.aiff"}, "[Alert] Tea is ready %@"},
                 {-1, {"Chime.aiff"}, "[?] "},
                 {7, {"Chime.aiff"}, "[?] "}};
    for (const auto& c : cases) {
        world.files.folders[world.files.systemSoundFolder()] = c.sounds;
        selectTarget(c.row);
        master->awakeFromNib();
        EXPECT_EQ(window().statFireTarget.text, c.line) << c.row;
    }
}

TEST_F(StatusTest, SecondsLeftAreRoundedAsCFormatsThem) {
    typeDuration("", "", "0.5"); // 30 s
    press();
    EXPECT_EQ(window().statTimer.text + window().statFireTime.text,
              "Timer is running.fire at: 2027-01-15 08:00:30 +0000");
    const WallTime started = world.runLoop.now();
    // Ticks that come late, after a suspend, show the seconds left at that
    // moment. Each case is a wake-up that many seconds after START.
    const std::pair<double, std::string> cases[] = {
        {1.4, "( 29 seconds after )"},  // 28.6 left
        {27.5, "( 2 seconds after )"},  // 2.5 left: round half to even
        {28.6, "( 1 seconds after )"},  // 1.4 left
        {35.0, "( -5 seconds after )"}, // the tick, due first, runs before the overdue main timer
    };
    for (const auto& [after, expected] : cases) {
        world.runLoop.jumpWallClock(started + after - world.runLoop.now());
        world.runLoop.runDue();
        EXPECT_EQ(window().statSeconds.text, expected) << after;
    }
    EXPECT_EQ(master->status(), TimerStatusFiring);
}

// Zero and negative durations fire at the first opportunity, before any tick.
TEST_F(StatusTest, FiringTicksCountFromOneAfreshAtEachStartWithOneTicker) {
    for (const char* round : {"0", "-5"}) {
        typeDuration("", "", round);
        press();
        EXPECT_EQ(master->secondsPast(), 0.0) << round;
        world.runLoop.runDue();
        ASSERT_EQ(master->status(), TimerStatusFiring) << round;
        const std::string fireTime = window().statFireTime.text;
        journal().clear();
        // The target controls are unlocked again while the sound loops.
        selectTarget(3);
        window().targetAlertMessage.text = "Tea";
        world.runLoop.advanceBy(3.0);
        EXPECT_EQ(window().statTimer.text + window().statSeconds.text,
                  "Timer is firing.( 3 seconds has past )");
        EXPECT_EQ(std::count(journal().begin(), journal().end(), "statTimer.set"), 1) << round;
        EXPECT_EQ(window().statFireTarget.text, "[Sound] Chime");
        EXPECT_EQ(window().statFireTime.text, fireTime);
        EXPECT_EQ(world.runLoop.pendingCount(), 1u) << "the ticker alone, round " << round;
        // Ticks missed while asleep are not made up.
        world.runLoop.jumpWallClock(600);
        world.runLoop.runDue();
        EXPECT_EQ(master->secondsPast(), 4.0) << round;
        press(); // STOP
        EXPECT_EQ(world.runLoop.pendingCount(), 0u) << round;
        selectTarget(0);
    }
}

} // namespace
} // namespace eggtimer::test
