// What firing does for each target, in what order, and the repeat loop.

#include "tests/unit/ControllerFixture.h"

#include "media/KRMovieView.h"

namespace eggtimer::test {
namespace {

class FiringTest : public ControllerTest {
protected:
    void SetUp() override {
        ControllerTest::SetUp();
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
};

TEST_F(FiringTest, SoundRepeatsHalfASecondAfterEachEndUntilStopAndEndsOutsideFiringAreIgnored) {
    startAndFire();
    EXPECT_EQ(master->status(), TimerStatusFiring);
    EXPECT_EQ(window().timerButton.titleText, "STOP");
    EXPECT_TRUE(journalHas("desktop.attention [Sound] Chime (stoppable)"));
    for (int round = 1; round <= 3; ++round) {
        EXPECT_EQ(chime->plays, round);
        world.runLoop.advanceBy(2.0); // the sound plays for two seconds
        chime->finish();
        world.runLoop.advanceBy(0.499);
        EXPECT_EQ(chime->plays, round);
        world.runLoop.advanceBy(0.001);
    }
    chime->finish();
    world.runLoop.advanceBy(0.2);
    press(); // STOP in the pause
    world.runLoop.advanceBy(5.0);
    EXPECT_EQ(chime->plays, 4);

    press();
    chime->finish(); // a late end while the next timer runs
    world.runLoop.advanceBy(29.0);
    EXPECT_EQ(chime->plays, 4);
    world.runLoop.advanceBy(1.0);
    EXPECT_EQ(chime->plays, 5);
    // The notification's Stop acts like the button while playing; the sound
    // reports an unfinished end.
    ASSERT_TRUE(world.attention.lastStop);
    auto stop = world.attention.lastStop;
    stop();
    EXPECT_EQ(master->status(), TimerStatusNotSet);
    EXPECT_FALSE(chime->playing);
    world.runLoop.advanceBy(5.0);
    EXPECT_EQ(chime->plays, 5);
    EXPECT_EQ(world.runLoop.pendingCount(), 0u);
    press(); // a new START
    stop();  // a stale notification must not clear it
    EXPECT_EQ(master->status(), TimerStatusRunning);
}

struct FallbackCase {
    const char* name;
    Target target;
    const char* chosen; // the sound's name or the music's path
    bool breaksOff;     // found, and breaks off a second into the play; else never found
    const char* said;   // in the log: what cannot be played, and why
    const char* shown;
};
void PrintTo(const FallbackCase& c, std::ostream* out) {
    *out << c.name;
}

class FallbackRing : public FiringTest, public ::testing::WithParamInterface<FallbackCase> {};

// The ring goes on, heard, with the window's and the notice's texts as they
// were: a ring that says it fires while nothing sounds would be a failure
// reported as success.
TEST_P(FallbackRing, RingsTheDefaultSoundWithTheSoundsPauseUntilStopAndSaysWhyOnce) {
    const FallbackCase& c = GetParam();
    const bool music = c.target == Target::Music;
    world.media.media["/music/a.mp3"] = {90, 30};
    if (music) {
        world.panels.openPanelAnswers = {c.chosen};
        master->selectTargetMusic(nullptr);
    } else {
        window().targetSoundPopup.addItemWithTitle("Gone");
        window().targetSoundPopup.selectItemWithTitle(c.chosen);
    }
    startAndFire();
    fake::FakeMovie* movie = world.media.lastMovie;
    ASSERT_EQ(movie != nullptr, music && c.breaksOff);
    if (c.breaksOff) {
        world.runLoop.advanceBy(1.0);
        music ? movie->fail("internal data stream error") : chime->fail("internal data stream error");
    }
    world.runLoop.runDue();

    fake::FakeSound& fallback = world.sounds.fallback;
    EXPECT_EQ(master->sound(), &fallback);
    EXPECT_EQ(std::ranges::count_if(journal(), [](const std::string& e) { return e.starts_with("log "); }),
              1);
    EXPECT_TRUE(journalHas("log ringing with the default sound: " + std::string(c.said)));
    for (int play = 1; play <= 3; ++play) {
        EXPECT_EQ(fallback.plays, play);
        world.runLoop.advanceBy(1.5);
        fallback.finish();
        world.runLoop.advanceBy(0.499);
        EXPECT_EQ(fallback.plays, play);
        world.runLoop.advanceBy(0.001);
    }
    EXPECT_EQ(master->status(), TimerStatusFiring);
    EXPECT_EQ(window().statTimer.text, "Timer is firing.");
    EXPECT_EQ(window().statFireTarget.text, c.shown);
    EXPECT_EQ(window().timerButton.titleText, "STOP");
    EXPECT_TRUE(journalHas("desktop.attention " + std::string(c.shown) + " (stoppable)"));
    EXPECT_EQ(movie ? movie->plays : chime->plays, c.breaksOff ? 1 : 0) << "what cannot play was tried again";

    press();
    EXPECT_FALSE(fallback.playing);
    world.runLoop.advanceBy(10.0);
    EXPECT_EQ(fallback.plays, 4);
    EXPECT_EQ(world.runLoop.pendingCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, FallbackRing,
    ::testing::Values(
        FallbackCase{"SoundNotFound", Target::Sound, "Gone", false,
                     "the sound \"Gone\" cannot be played (it is in no sound folder or cannot be read)",
                     "[Sound] Gone"},
        FallbackCase{"SoundBreaksOff", Target::Sound, "Chime", true,
                     "the sound \"Chime\" cannot be played (internal data stream error)", "[Sound] Chime"},
        FallbackCase{"MusicNotMedia", Target::Music, "/music/song.mp3", false,
                     "\"/music/song.mp3\" cannot be played (it is gone or cannot be read)",
                     "[Music] song.mp3"},
        FallbackCase{"MusicBreaksOff", Target::Music, "/music/a.mp3", true,
                     "\"/music/a.mp3\" cannot be played (internal data stream error)", "[Music] a.mp3"}),
    [](const auto& info) { return std::string(info.param.name); });

// Without a sound server the ring still shows and notifies; the log says
// once a ring that nothing can be heard, and the default sound is tried
// after each pause, to be heard once the server is back.
TEST_F(FiringTest, WhenNoSoundCanPlayTheRingStillShowsSaysSoOnceAndKeepsTrying) {
    fake::FakeSound& fallback = world.sounds.fallback;
    chime->cannotPlay = fallback.cannotPlay = "connection refused";
    for (int ring = 1; ring <= 2; ++ring) {
        const int before = fallback.plays;
        startAndFire();
        world.runLoop.advanceBy(1.9);
        EXPECT_EQ(master->status(), TimerStatusFiring);
        EXPECT_TRUE(journalHas("desktop.attention [Sound] Chime (stoppable)"));
        EXPECT_EQ(fallback.plays - before, 4); // at 0, 0.5, 1 and 1.5 s
        EXPECT_EQ(std::ranges::count(journal(), "log ringing without sound: no sound can be played "
                                                "(connection refused)"),
                  1);
        if (ring == 2) {
            fallback.cannotPlay.reset(); // the server is back
            world.runLoop.advanceBy(0.1);
            EXPECT_TRUE(fallback.playing);
        }
        press();
        const int stoppedAt = fallback.plays;
        world.runLoop.advanceBy(5.0);
        EXPECT_EQ(fallback.plays, stoppedAt);
        EXPECT_EQ(world.runLoop.pendingCount(), 0u);
    }
}

TEST_F(FiringTest, MusicLoopsInAMovieViewUntilStop) {
    world.media.media["/music/a.mp3"] = {90, 30}; // three seconds
    world.panels.openPanelAnswers = {"/music/a.mp3"};
    master->selectTargetMusic(nullptr);
    chime->setDelegate(master.get()); // left over from an earlier sound firing
    startAndFire();
    EXPECT_EQ(window().timerButton.titleText, "STOP");
    ASSERT_NE(world.media.lastMovie, nullptr);
    EXPECT_EQ(world.media.lastMovie->plays, 1);
    EXPECT_TRUE(journalHas("desktop.attention [Music] a.mp3 (stoppable)"));
    // A stale end of that sound is answered with a replay too.
    chime->finish();
    world.runLoop.advanceBy(0.5);
    EXPECT_EQ(chime->plays, 1);

    press();
    EXPECT_EQ(master->musicView(), nullptr);
    world.runLoop.advanceBy(10.0);
    EXPECT_EQ(world.runLoop.pendingCount(), 0u);
}

// A file, opened or not, and no target at all end the timer as they fire.
TEST_F(FiringTest, SingleShotTargetsEndTheTimerAsTheyFire) {
    const std::string path = "/tmp/a $(rm -rf ~) `x`.txt"; // opened as it is, never through a shell
    world.panels.openPanelAnswers = {path};
    master->selectTargetFile(nullptr);
    const struct {
        int row;
        bool opens;
        std::string notice;
    } cases[] = {{2, true, "[File] a $(rm -rf ~) `x`.txt"},
                 {2, false, "[File] a $(rm -rf ~) `x`.txt (could not be opened)"},
                 {-1, true, "Timer"}};
    for (const auto& c : cases) {
        if (!c.opens)
            world.opener.unopenable = {path};
        selectTarget(c.row);
        startAndFire();
        EXPECT_EQ(journalHas("log OpenFile:" + path), c.row == 2) << c.notice;
        EXPECT_EQ(journalHas("desktop.open " + path), c.row == 2) << c.notice;
        EXPECT_EQ(journalHas("beep"), !c.opens) << c.notice;
        const long notice = journalIndex("desktop.attention " + c.notice);
        EXPECT_GE(notice, 0) << c.notice;
        EXPECT_LT(notice, journalIndex("targetSelecter.enable")) << c.notice;
        EXPECT_EQ(window().timerButton.titleText, "START") << c.notice;
        EXPECT_EQ(master->status(), TimerStatusNotSet) << c.notice;
        EXPECT_EQ(master->countDownTimer(), nullptr) << c.notice;
        EXPECT_EQ(world.attention.lastStop, nullptr) << c.notice;
    }
}

// The fake panel, like the real one, runs what falls due while it is open.
TEST_F(FiringTest, AlertBeepsFirstAndEverythingElseWaitsForItsDismissal) {
    selectTarget(3);
    window().targetAlertMessage.text = " "; // a blank is a message
    bool lockedWhileShown = false;
    std::vector<TimerProgress> progressWhileShown;
    world.panels.whileAlertShows = [&] {
        lockedWhileShown = !window().targetSelecter.enabled;
        progressWhileShown = world.progress.shown;
    };
    world.panels.alertOpenFor = 10.0; // the user reads it for ten seconds, ticks due meanwhile
    press();
    world.runLoop.advanceBy(29.0);
    const std::string lastState = window().statTimer.text, lastSeconds = window().statSeconds.text;
    ASSERT_EQ(lastSeconds, "( 1 seconds after )");
    journal().clear();
    world.runLoop.advanceBy(1.0);
    EXPECT_TRUE(lockedWhileShown);
    // A single-shot target shows no progress from the moment it fires.
    ASSERT_FALSE(progressWhileShown.empty());
    EXPECT_EQ(progressWhileShown.back(), TimerProgress{});
    EXPECT_EQ(world.progress.shown.back(), TimerProgress{});
    // The window comes forward first: the panel belongs to it. Nothing ticks
    // while it shows.
    EXPECT_EQ(journal(),
              (fake::Journal{"desktop.bringWindowForward", "desktop.letSleep", "beep",
                             "desktop.alert  |Time has come.\n|OK", "desktop.alert dismissed",
                             "desktop.attention [Alert]  ", "targetFileSelect.enable",
                             "targetMusicSelect.enable", "targetAlertMessage.enable", "targetSelecter.enable",
                             "targetSoundPopup.enable", "timerButton.title START"}));
    EXPECT_EQ(master->status(), TimerStatusNotSet);
    // The status area keeps its last tick, and the notice stays, until the
    // next START withdraws it first.
    journal().clear();
    world.runLoop.advanceBy(60.0);
    EXPECT_EQ(window().statTimer.text, lastState);
    EXPECT_EQ(window().statSeconds.text, lastSeconds);
    press();
    EXPECT_EQ(journal().front(), "desktop.withdrawAttention");
}

} // namespace
} // namespace eggtimer::test
