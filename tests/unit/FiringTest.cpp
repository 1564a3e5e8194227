// What firing does for each target, in what order, and the repeat loop.

#include "tests/unit/ControllerFixture.h"

#include "media/KRMovieView.h"

namespace eggtimer::test {
namespace {

class FiringTest : public ControllerTest {
protected:
    void SetUp() override {
        ControllerTest::SetUp();
        window().targetSoundPopup.addItemWithTitle("Chime");
        chime = &world.sounds.add("Chime");
        typeDuration("", "", "0.5"); // 30 s
    }
    // Starts the timer and lets it fire; the journal then holds what the
    // firing did, without the ticks of the status area before it.
    void startAndFire() {
        press();
        ASSERT_EQ(master->status(), TimerStatusRunning);
        world.runLoop.advanceBy(29.5);
        journal().clear();
        world.runLoop.advanceBy(0.5);
        std::erase_if(journal(), [](const std::string& e) { return e.rfind("stat", 0) == 0; });
    }
    fake::FakeSound* chime = nullptr;
};

TEST_F(FiringTest, SoundPlaysThenRepeatsHalfASecondAfterEachEnd) {
    startAndFire();
    EXPECT_EQ(master->status(), TimerStatusFiring);
    EXPECT_EQ(window().timerButton.titleText, "STOP");
    EXPECT_EQ(chime->delegate, master.get());
    EXPECT_EQ(chime->plays, 1);
    EXPECT_LT(journalIndex("sound.Chime.play"), journalIndex("desktop.attention [Sound] Chime (stoppable)"));
    EXPECT_LT(journalIndex("desktop.attention [Sound] Chime (stoppable)"),
              journalIndex("targetSelecter.enable"));
    EXPECT_NE(master->countDownTimer(), nullptr);

    for (int round = 2; round <= 4; ++round) {
        world.runLoop.advanceBy(2.0); // the sound plays for two seconds
        chime->finish();
        world.runLoop.advanceBy(0.499);
        EXPECT_EQ(chime->plays, round - 1);
        world.runLoop.advanceBy(0.001);
        EXPECT_EQ(chime->plays, round);
    }
}

TEST_F(FiringTest, StopDuringThePauseCancelsThePendingReplay) {
    startAndFire();
    chime->finish();
    world.runLoop.advanceBy(0.2);
    press();
    world.runLoop.advanceBy(5.0);
    EXPECT_EQ(chime->plays, 1);
    EXPECT_FALSE(chime->playing);
}

TEST_F(FiringTest, TheEndReportedByStopSchedulesNothing) {
    startAndFire();
    press(); // stops the sound, which reports an unfinished end
    EXPECT_EQ(world.runLoop.pendingCount(), 0u);
}

TEST_F(FiringTest, EndsOutsideTheFiringStateAreIgnored) {
    chime->setDelegate(master.get());
    chime->finish();
    press();
    const std::size_t pending = world.runLoop.pendingCount();
    chime->finish();
    EXPECT_EQ(world.runLoop.pendingCount(), pending);
    world.runLoop.advanceBy(1.0);
    EXPECT_EQ(chime->plays, 0);
}

TEST_F(FiringTest, UnknownSoundFiresSilentlyUntilStop) {
    window().targetSoundPopup.addItemWithTitle("Gone");
    window().targetSoundPopup.selectItemWithTitle("Gone");
    startAndFire();
    EXPECT_EQ(master->status(), TimerStatusFiring);
    EXPECT_EQ(master->sound(), nullptr);
    press();
    EXPECT_EQ(master->status(), TimerStatusNotSet);
}

TEST_F(FiringTest, MusicLoopsInAMovieViewUntilStop) {
    world.media.media["/music/a.mp3"] = {90, 30}; // three seconds
    world.desktop.openPanelAnswers = {"/music/a.mp3"};
    master->selectTargetMusic(nullptr);
    startAndFire();
    EXPECT_EQ(master->status(), TimerStatusFiring);
    EXPECT_EQ(window().timerButton.titleText, "STOP");
    ASSERT_NE(master->musicView(), nullptr);
    fake::FakeMovie* movie = world.media.lastMovie;
    ASSERT_NE(movie, nullptr);
    EXPECT_EQ(movie->plays, 1);
    EXPECT_TRUE(journalHas("desktop.attention [Music] a.mp3 (stoppable)"));

    movie->playing = false; // it reached its end after three seconds
    world.runLoop.advanceBy(3.999);
    EXPECT_EQ(movie->plays, 1);
    world.runLoop.advanceBy(0.001);
    EXPECT_EQ(movie->plays, 2);

    press();
    EXPECT_EQ(master->musicView(), nullptr);
    world.runLoop.advanceBy(10.0);
    EXPECT_EQ(world.runLoop.pendingCount(), 0u);
}

TEST_F(FiringTest, UnreadableMusicFiresSilentlyUntilStop) {
    world.desktop.openPanelAnswers = {"/music/not-media.txt"};
    master->selectTargetMusic(nullptr);
    startAndFire();
    EXPECT_EQ(master->status(), TimerStatusFiring);
    ASSERT_NE(master->musicView(), nullptr);
    EXPECT_EQ(master->musicView()->movie(), nullptr);
    press();
    EXPECT_EQ(master->status(), TimerStatusNotSet);
}

TEST_F(FiringTest, AStaleSoundEndingWhileMusicFiresIsReplayedToo) {
    world.media.media["/music/a.mp3"] = {90, 30};
    world.desktop.openPanelAnswers = {"/music/a.mp3"};
    master->selectTargetMusic(nullptr);
    chime->setDelegate(master.get()); // left over from an earlier sound firing
    startAndFire();
    chime->finish();
    world.runLoop.advanceBy(0.5);
    EXPECT_EQ(chime->plays, 1);
}

TEST_F(FiringTest, FileIsLoggedThenOpenedAndTheTimerEnds) {
    world.desktop.openPanelAnswers = {"/tmp/a $(rm -rf ~) `x`.txt"};
    master->selectTargetFile(nullptr);
    startAndFire();
    const fake::Journal expected{
        "desktop.log OpenFile:/tmp/a $(rm -rf ~) `x`.txt",
        "desktop.open /tmp/a $(rm -rf ~) `x`.txt",
        "desktop.attention [File] a $(rm -rf ~) `x`.txt",
        "targetFileSelect.enable",
        "targetMusicSelect.enable",
        "targetAlertMessage.enable",
        "targetSelecter.enable",
        "targetSoundPopup.enable",
        "timerButton.title START",
    };
    EXPECT_EQ(journal(), expected);
    EXPECT_EQ(master->status(), TimerStatusNotSet);
    EXPECT_EQ(master->countDownTimer(), nullptr);
    EXPECT_EQ(world.desktop.lastStop, nullptr);
}

TEST_F(FiringTest, AlertBeepsFirstAndEverythingElseWaitsForItsDismissal) {
    selectTarget(3);
    window().targetAlertMessage.text = "100% <b>done</b> %@ %n";
    bool lockedWhileShown = false;
    world.desktop.whileAlertShows = [&] { lockedWhileShown = !window().targetSelecter.enabled; };
    startAndFire();
    EXPECT_TRUE(lockedWhileShown);
    EXPECT_EQ(journal().front(), "desktop.beep");
    EXPECT_EQ(journal()[1], "desktop.alert 100% <b>done</b> %@ %n|Time has come.\n|OK");
    EXPECT_EQ(journal()[2], "desktop.alert dismissed");
    EXPECT_LT(journalIndex("desktop.alert dismissed"), journalIndex("targetSelecter.enable"));
    EXPECT_EQ(window().timerButton.titleText, "START");
    EXPECT_EQ(master->status(), TimerStatusNotSet);
}

TEST_F(FiringTest, TheStatusAreaKeepsItsLastTickWhileAndAfterTheAlertShows) {
    selectTarget(3);
    window().targetAlertMessage.text = "Tea";
    press();
    world.runLoop.advanceBy(29.0);
    const std::string lastState = window().statTimer.text, lastSeconds = window().statSeconds.text;
    ASSERT_EQ(lastState, "Timer is running.");
    ASSERT_EQ(lastSeconds, "( 1 seconds after )");

    world.desktop.alertOpenFor = 10.0; // the user reads it for ten seconds, ticks due meanwhile
    world.runLoop.advanceBy(1.0);
    EXPECT_EQ(window().statTimer.text, lastState);
    EXPECT_EQ(window().statSeconds.text, lastSeconds);
    world.runLoop.advanceBy(60.0);
    EXPECT_EQ(window().statTimer.text, lastState);
    EXPECT_EQ(window().statSeconds.text, lastSeconds);
    EXPECT_EQ(master->countDownTimer(), nullptr);
}

TEST_F(FiringTest, NoTargetEndsLikeASingleShotTarget) {
    selectTarget(-1);
    startAndFire();
    EXPECT_TRUE(journalHas("desktop.attention Timer"));
    EXPECT_TRUE(journalHas("targetSoundPopup.enable"));
    EXPECT_EQ(master->status(), TimerStatusNotSet);
    EXPECT_EQ(window().timerButton.titleText, "START");
    EXPECT_EQ(master->countDownTimer(), nullptr);
}

TEST_F(FiringTest, TheNotificationsStopActsLikeTheStopButtonOnce) {
    startAndFire();
    ASSERT_TRUE(world.desktop.lastStop);
    auto stop = world.desktop.lastStop;
    stop();
    EXPECT_EQ(master->status(), TimerStatusNotSet);
    EXPECT_FALSE(chime->playing);
    press(); // a new START
    stop();  // a stale notification must not clear it
    EXPECT_EQ(master->status(), TimerStatusRunning);
}

TEST_F(FiringTest, ValuesAreThoseOfTheMomentOfScheduling) {
    press();
    window().targetSoundPopup.addItemWithTitle("Bell");
    world.sounds.add("Bell");
    window().targetSoundPopup.selectItemWithTitle("Bell");
    world.runLoop.advanceBy(30.0);
    EXPECT_EQ(master->sound(), chime);
}

} // namespace
} // namespace eggtimer::test
