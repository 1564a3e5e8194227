// How a play ends and tells it: a sound reports its end once per play, on the
// event loop, never from inside play() or stop(), and stop() silences it at
// once; a play the sound server stalls for good (its sink suspended) still
// ends, a little after the rest of its length, and the next is heard again;
// a movie made early is heard from its play and keeps one stream between
// plays until a play's clock fails;
// without any sound server (gstreamer_silent_tests alone) each play of a
// sound or a movie tells at once that it could not play, with one line in
// the log at most, and a movie never begins.

#include "platform/gstreamer/GstMedia.h"
#include "tests/gstreamer/MediaFixtures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <unistd.h>

namespace eggtimer::test {
namespace {

TEST(SoundPlaybackTest, ReportsOncePerPlayAfterPlayOrStopHasReturnedAndStopSilencesIt) {
    SoundFolder sounds;
    makeToneFile(sounds.folder / "Tone.aiff");
    SinkRecorder recorder;
    ASSERT_TRUE(recorder.start());
    Sound* sound = sounds.find("Tone");
    ASSERT_NE(sound, nullptr);
    const std::vector<bool>& ends = sounds.delegate.ends;
    sound->stop(); // not playing: nothing to report
    sound->play();
    EXPECT_TRUE(ends.empty()) << "reported from inside play()";
    serveEventsFor(500ms);
    sound->play(); // playing: neither a restart nor a second report
    ASSERT_TRUE(waitUntil([&] { return ends.size() == 1; }, 10s));
    sound->stop(); // at its end: nothing more to report
    serveEventsFor(800ms);
    EXPECT_EQ(ends, std::vector<bool>{true});

    sound->play();
    serveEventsFor(300ms);
    ASSERT_TRUE(sound->isPlaying());
    sound->stop();
    const auto stopped = SinkRecorder::Clock::now();
    EXPECT_FALSE(sound->isPlaying());
    EXPECT_EQ(ends.size(), 1u) << "reported from inside stop()";
    ASSERT_TRUE(waitUntil([&] { return ends.size() == 2; }, 10s));
    serveEventsFor(1500ms); // past where the tone would have ended
    EXPECT_EQ(ends, (std::vector<bool>{true, false}));
    // Allowing for what the server had been given.
    EXPECT_LT(measure(recorder, stopped + 500ms).rms, kAudible) << "still heard after stop";
}

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

// The sound server's streams that this process plays, by number.
std::vector<std::string> ourStreams() {
    const std::string list = "pactl list sink-inputs | awk '/^Sink Input #/ { stream = $3 } "
                             "/application.process.id = \"" +
                             std::to_string(::getpid()) + "\"/ { print stream }'";
    std::vector<std::string> streams;
    FILE* pactl = ::popen(list.c_str(), "r");
    char line[64];
    while (pactl && std::fgets(line, sizeof line, pactl))
        streams.emplace_back(line);
    if (pactl)
        ::pclose(pactl);
    return streams;
}

// A movie played seconds after it was made is heard from its play, not as
// late as it waited (libpulse lets a stream that never played run its time),
// and keeps one stream on the sound server from play to play, however long
// it rests between them. A play the server holds up past the start watch's
// limit (its clock failed) is told as begun and still ends; the rewind at
// its end lets the stream go, and the next play makes a new one.
TEST(StalledServerTest, AMovieKeepsItsStreamUntilItsClockFails) {
    ScratchFolder folder;
    makeToneFile(folder / "tone.mp3");
    std::unique_ptr<Movie> movie = GstMediaLibrary().movieWithPath(folder / "tone.mp3");
    ASSERT_NE(movie, nullptr);
    RecordingMovieDelegate starts;
    movie->setDelegate(&starts);
    SinkRecorder recorder;
    ASSERT_TRUE(recorder.start());
    serveEventsFor(3s);
    const auto built = std::chrono::steady_clock::now();
    const Heard heard = playToTheEnd(*movie, recorder);
    EXPECT_GT(heard.rms, kAudible) << "nothing was heard";
    EXPECT_NEAR(heard.seconds, 1.0, 0.2);
    EXPECT_LT(heard.began - built, 1s) << "heard as late as it waited";
    ASSERT_EQ(starts.began.size(), 1u);
    EXPECT_NEAR(std::chrono::duration<double>(starts.began.back() - heard.began).count(), 0.0, 0.15);
    const std::vector<std::string> kept = ourStreams();
    ASSERT_EQ(kept.size(), 1u);
    movie->gotoBeginning();
    // Longer than a pipeline may take to preroll.
    serveEventsFor(built + 6s - std::chrono::steady_clock::now());
    EXPECT_EQ(ourStreams(), kept) << "not kept while resting";

    ::testing::internal::CaptureStderr();
    ASSERT_TRUE(run("pactl suspend-sink eggtimer_test 1"));
    movie->play();
    const bool told = waitUntil([&] { return starts.began.size() == 2; }, 5s);
    run("pactl suspend-sink eggtimer_test 0");
    EXPECT_TRUE(told) << "a play held up was never told as begun";
    EXPECT_TRUE(waitUntil([&] { return !movie->isPlaying(); }, 10s)) << "the end was never noticed";
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("clock failed"), std::string::npos) << errors;
    EXPECT_TRUE(ourStreams().empty()) << "kept after its clock failed";

    movie->gotoBeginning();
    SinkRecorder afterwards; // a recording does not outlive a suspended sink
    ASSERT_TRUE(afterwards.start());
    EXPECT_GT(playToTheEnd(*movie, afterwards).rms, kAudible) << "not heard after its clock failed";
    const std::vector<std::string> rebuilt = ourStreams();
    ASSERT_EQ(rebuilt.size(), 1u);
    EXPECT_NE(rebuilt, kept);
}

TEST(NoSoundServerTest, EachPlayTellsAtOnceThatItCouldNotWithOneLineInTheLog) {
    SoundFolder sounds;
    makeToneFile(sounds.folder / "One.aiff");
    makeToneFile(sounds.folder / "Two.aif");
    makeToneFile(sounds.folder / "song.mp3");

    ::testing::internal::CaptureStderr();
    for (const char* name : {"One", "Two", "One"}) {
        Sound* sound = sounds.find(name);
        ASSERT_NE(sound, nullptr) << name;
        const std::size_t before = sounds.delegate.failures.size();
        sound->play();
        EXPECT_TRUE(waitUntil([&] { return sounds.delegate.failures.size() > before; }, 5s)) << name;
        EXPECT_FALSE(sound->isPlaying()) << name;
    }
    serveEventsFor(300ms);
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(sounds.delegate.ends.empty());
    ASSERT_EQ(sounds.delegate.failures.size(), 3u);
    EXPECT_TRUE(std::regex_match(errors, std::regex("(.*\\]: cannot play .*\n)?"))) << errors;
    EXPECT_NE(errors.find(sounds.delegate.failures[0]), std::string::npos) << sounds.delegate.failures[0];

    std::unique_ptr<Movie> movie = GstMediaLibrary().movieWithPath(sounds.folder / "song.mp3");
    ASSERT_NE(movie, nullptr);
    RecordingMovieDelegate starts;
    movie->setDelegate(&starts);
    for (int play = 1; play <= 2; ++play) {
        movie->play();
        EXPECT_TRUE(starts.failures.empty()) << "told inside play()";
        EXPECT_TRUE(waitUntil([&] { return !movie->isPlaying(); }, 5s));
        serveEventsFor(300ms);
        EXPECT_EQ(starts.failures.size(), 1u);
        EXPECT_EQ(starts.failures[0], sounds.delegate.failures[0]) << "not the sound server's failure";
        starts.failures.clear();
        movie->stop();
        movie->gotoBeginning();
    }
    EXPECT_TRUE(starts.began.empty());
}

} // namespace
} // namespace eggtimer::test
