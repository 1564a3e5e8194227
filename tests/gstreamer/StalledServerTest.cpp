// A sound server that stops playing a stream for good in the middle (its
// device suspended or gone, as when the test session's sink is suspended):
// the play ends all the same, a little after the rest of its length, so that
// a loop goes on; and the next play is heard again.

#include "platform/gstreamer/GstMedia.h"
#include "tests/gstreamer/MediaFixtures.h"

#include <gtest/gtest.h>

namespace eggtimer::test {
namespace {

// Plays for 0.3 s, then suspends the sink until `ended` says the play ended.
// The one-second tone is due to end about 0.7 s after that: it must end
// after half a second and well before four.
void expectEndWhileSuspended(const std::function<void()>& play, const std::function<bool()>& ended) {
    play();
    serveEventsFor(300ms);
    ASSERT_TRUE(run("pactl suspend-sink eggtimer_test 1"));
    const auto suspended = std::chrono::steady_clock::now();
    const bool endReported = waitUntil(ended, 10s);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - suspended;
    run("pactl suspend-sink eggtimer_test 0");
    ASSERT_TRUE(endReported) << "the end was never reported";
    EXPECT_GT(took.count(), 0.5) << "ended before its length was up";
    EXPECT_LT(took.count(), 4.0);
}

// Our own AIFF pipeline for the sound, playbin for the movie, stalled one
// after the other in one process: a player made again while the server was
// stuck must not stay silent after a later stall.
TEST(StalledServerTest, ASoundAndAMovieReportTheirEndsAndAreHeardAgain) {
    SoundFolder sounds;
    makeToneFile(sounds.folder / "Tone.aiff");
    makeToneFile(sounds.folder / "tone.mp3");
    Sound* sound = sounds.find("Tone");
    std::unique_ptr<Movie> movie = GstMediaLibrary().movieWithPath(sounds.folder / "tone.mp3");
    ASSERT_TRUE(sound && movie);
    expectEndWhileSuspended([&] { sound->play(); }, [&] { return !sounds.delegate.ends.empty(); });
    EXPECT_EQ(sounds.delegate.ends, std::vector<bool>{true});
    expectEndWhileSuspended([&] { movie->play(); }, [&] { return !movie->isPlaying(); });

    SinkRecorder recorder;
    ASSERT_TRUE(recorder.start());
    EXPECT_GT(playToTheEnd(*sound, recorder).rms, kAudible) << "the sound was not heard again";
    movie->gotoBeginning();
    EXPECT_GT(playToTheEnd(*movie, recorder).rms, kAudible) << "the movie was not heard again";
}

} // namespace
} // namespace eggtimer::test
