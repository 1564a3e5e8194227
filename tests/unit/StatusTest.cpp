// The status area over a timer's life, and the ticker that keeps it current.

#include "tests/unit/ControllerFixture.h"

namespace eggtimer::test {
namespace {

class StatusTest : public ControllerTest {
protected:
    void SetUp() override {
        ControllerTest::SetUp();
        window().targetSoundPopup.addItemWithTitle("Chime");
        world.sounds.add("Chime");
    }
    std::vector<std::string> lines() const {
        const auto& w = world.window;
        return {w.statTimer.text, w.statSeconds.text, w.statFireTime.text, w.statFireTarget.text};
    }
};

TEST_F(StatusTest, AtStartUpTheAreaShowsNoTimer) {
    world.files.folders[world.files.systemSoundFolder()] = {"Chime.aiff"};
    master->awakeFromNib();
    EXPECT_EQ(lines(), (std::vector<std::string>{"Timer not set.", "", "fire at: ", "[Sound] Chime"}));
}

// The target line a window opening with these controls shows.
std::string targetLineAtStartUp(int row, std::vector<std::string> soundFiles) {
    fake::FakeWorld at;
    at.files.folders[at.files.systemSoundFolder()] = std::move(soundFiles);
    at.window.targetSelecter.row = row;
    at.window.targetMusicName.text = "Song Title.mp3";
    at.window.targetFileName.text = "";
    at.window.targetAlertMessage.text = "Tea is ready %@";
    KRMaster controller(at.services(), at.window.outlets());
    controller.awakeFromNib();
    return at.window.statFireTarget.text;
}

TEST_F(StatusTest, TargetLineFollowsTheTargetControlsAsTheyStand) {
    const std::pair<int, std::string> cases[] = {
        {0, "[Sound] Chime"}, {1, "[Music] Song Title.mp3"},
        {2, "[File] "},       {3, "[Alert] Tea is ready %@"},
        {-1, "[?] "},         {7, "[?] "},
    };
    for (const auto& [row, expected] : cases)
        EXPECT_EQ(targetLineAtStartUp(row, {"Chime.aiff"}), expected) << row;
    EXPECT_EQ(targetLineAtStartUp(0, {}), "[Sound] ");
}

TEST_F(StatusTest, ThroughATimersLife) {
    typeDuration("", "", "1"); // 60 s
    press();
    EXPECT_EQ(window().statTimer.text, "Timer is running.");
    EXPECT_EQ(window().statSeconds.text, "( 60 seconds after )");
    EXPECT_EQ(window().statFireTime.text, "fire at: 2027-03-10 10:01:00 +0000");

    world.runLoop.advanceBy(1.0);
    EXPECT_EQ(window().statSeconds.text, "( 59 seconds after )");
    world.runLoop.advanceBy(58.0);
    EXPECT_EQ(window().statSeconds.text, "( 1 seconds after )");
    EXPECT_EQ(master->secondsPast(), 0.0);

    world.runLoop.advanceBy(1.0); // the main timer and a tick fall due together
    world.runLoop.advanceBy(1.0);
    EXPECT_EQ(window().statTimer.text, "Timer is firing.");
    EXPECT_EQ(window().statFireTime.text, "fire at: 2027-03-10 10:01:00 +0000");
    const std::string firstPast = window().statSeconds.text;
    EXPECT_TRUE(firstPast == "( 1 seconds has past )" || firstPast == "( 2 seconds has past )") << firstPast;

    double before = master->secondsPast();
    world.runLoop.advanceBy(9.0);
    EXPECT_EQ(master->secondsPast(), before + 9.0);

    // STOP redraws nothing: the area keeps its last lines.
    const auto last = lines();
    press();
    world.runLoop.advanceBy(5.0);
    EXPECT_EQ(lines(), last);
}

TEST_F(StatusTest, FiringTicksCountFromOneAndTheStateLineIsWrittenOnce) {
    typeDuration("", "", "");
    press();
    world.runLoop.runDue(); // fires before the first tick
    journal().clear();
    for (int tick = 1; tick <= 10; ++tick) {
        world.runLoop.advanceBy(1.0);
        EXPECT_EQ(window().statSeconds.text, "( " + std::to_string(tick) + " seconds has past )");
    }
    EXPECT_EQ(std::count(journal().begin(), journal().end(), "statTimer.set"), 1);
    EXPECT_EQ(window().statTimer.text, "Timer is firing.");
}

TEST_F(StatusTest, SecondsLeftAreRoundedAsCFormatsThem) {
    typeDuration("", "", "0.5"); // 30 s
    press();
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

TEST_F(StatusTest, FarFireDatesAreShownWithoutOverflow) {
    typeDuration("1e30", "", "");
    press();
    EXPECT_EQ(window().statFireTime.text, "fire at: after the year 9999");
    EXPECT_EQ(window().statTimer.text, "Timer is running.");
    press(); // CLEAR

    typeDuration("1e39", "", "");
    press();
    EXPECT_EQ(window().statFireTime.text, "fire at: never");
    EXPECT_EQ(window().statTimer.text, "Timer is running.");
    EXPECT_EQ(window().statSeconds.text, "( inf seconds after )");
}

TEST_F(StatusTest, EachStartCountsAfreshWithOneTicker) {
    typeDuration("", "", "");
    for (int round = 1; round <= 2; ++round) {
        press();
        EXPECT_EQ(master->secondsPast(), 0.0) << round;
        world.runLoop.runDue();
        ASSERT_EQ(master->status(), TimerStatusFiring);
        journal().clear();
        world.runLoop.advanceBy(3.0);
        EXPECT_EQ(window().statSeconds.text, "( 3 seconds has past )") << round;
        EXPECT_EQ(std::count(journal().begin(), journal().end(), "statTimer.set"), 1) << round;
        EXPECT_EQ(world.runLoop.pendingCount(), 1u) << "the ticker alone, round " << round;
        press(); // STOP
        EXPECT_EQ(world.runLoop.pendingCount(), 0u) << round;
    }
}

TEST_F(StatusTest, TicksAfterASuspendAreNotMadeUp) {
    typeDuration("", "", "");
    press();
    world.runLoop.runDue();
    world.runLoop.advanceBy(3.0);
    EXPECT_EQ(master->secondsPast(), 3.0);
    world.runLoop.jumpWallClock(600);
    world.runLoop.runDue();
    EXPECT_EQ(master->secondsPast(), 4.0);
    world.runLoop.advanceBy(1.0);
    EXPECT_EQ(master->secondsPast(), 5.0);
}

TEST_F(StatusTest, ANoticeStaysUntilTheNextRedraw) {
    selectTarget(2);
    press();
    EXPECT_EQ(window().statFireTarget.text, "!Nortice! [File] File not selected.");
    world.desktop.openPanelAnswers = {"/docs/a.pdf"};
    master->selectTargetFile(nullptr);
    world.runLoop.advanceBy(5.0);
    EXPECT_EQ(window().statFireTarget.text, "!Nortice! [File] File not selected.");
    press();
    EXPECT_EQ(window().statFireTarget.text, "[File] a.pdf");
}

TEST_F(StatusTest, TicksWhileFiringLeaveTheTargetLineAsItFired) {
    typeDuration("", "", "");
    press();
    world.runLoop.runDue();
    ASSERT_EQ(master->status(), TimerStatusFiring);
    const std::string fireTime = window().statFireTime.text;
    // The target controls are unlocked again while the sound loops.
    selectTarget(3);
    window().targetAlertMessage.text = "Tea";
    world.runLoop.advanceBy(3.0);
    EXPECT_EQ(window().statFireTarget.text, "[Sound] Chime");
    EXPECT_EQ(window().statFireTime.text, fireTime);
}

} // namespace
} // namespace eggtimer::test
