// The sound server may stop playing a stream for good in the middle (its
// device suspended or gone, its time stuck): the play then never reaches its
// end by itself. It must end all the same, a little after the rest of its
// length, so that a loop goes on; and the next play must be heard again.
// Suspending the test session's sink stops it in just this way.

#include "platform/qt/GstMedia.h"
#include "support/SinkRecorder.h"
#include "tests/media/MediaFixtures.h"

#include <gtest/gtest.h>

namespace eggtimer::testing {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Suspended from construction until destruction, whatever the test does.
class SuspendedSink {
public:
    SuspendedSink() { suspended = run("pactl suspend-sink eggtimer_test 1"); }
    ~SuspendedSink() { resume(); }
    SuspendedSink(const SuspendedSink&) = delete;
    SuspendedSink& operator=(const SuspendedSink&) = delete;
    bool ok() const { return suspended; }
    void resume() {
        if (suspended)
            run("pactl suspend-sink eggtimer_test 0");
        suspended = false;
    }

private:
    bool suspended = false;
};

double secondsSince(Clock::time_point then) {
    return std::chrono::duration<double>(Clock::now() - then).count();
}

bool heardSince(const SinkRecorder& recorder, SinkRecorder::Clock::time_point since) {
    return SinkRecorder::firstAbove(recorder.samplesSince(since), 0.02f).has_value();
}

// The one-second tone is suspended 0.3 s in: its end is due about 0.7 s later.
constexpr double kEarliestEnd = 0.5;
constexpr double kLatestEnd = 4.0;

class StalledMovieTest : public ::testing::TestWithParam<std::string> {};

TEST_P(StalledMovieTest, EndsAndIsHeardAgainAfterARewind) {
    ScratchFolder folder;
    makeToneFile(folder.file("tone." + GetParam()));
    GstMediaLibrary library;
    std::unique_ptr<Movie> movie = library.movieWithPath(folder.file("tone." + GetParam()));
    ASSERT_NE(movie, nullptr);

    movie->play();
    serveEventsFor(300ms);
    {
        SuspendedSink sink;
        ASSERT_TRUE(sink.ok());
        const Clock::time_point suspended = Clock::now();
        ASSERT_TRUE(waitUntil([&] { return !movie->isPlaying(); }, 10s)) << "the end was never reported";
        EXPECT_GT(secondsSince(suspended), kEarliestEnd) << "ended before its length was up";
        EXPECT_LT(secondsSince(suspended), kLatestEnd);
    }

    SinkRecorder recorder;
    ASSERT_TRUE(recorder.start());
    const auto again = SinkRecorder::Clock::now();
    movie->gotoBeginning();
    movie->play();
    ASSERT_TRUE(waitUntil([&] { return !movie->isPlaying(); }, 10s));
    serveEventsFor(300ms);
    EXPECT_TRUE(heardSince(recorder, again)) << "the next play was not heard";
}

// Our own AIFF pipeline, and playbin.
INSTANTIATE_TEST_SUITE_P(Kinds, StalledMovieTest, ::testing::Values("aiff", "mp3"),
                         [](const auto& info) { return info.param; });

TEST(StalledSoundTest, ReportsItsEndAndIsHeardAgain) {
    SoundFolder sounds;
    makeToneFile(sounds.folder.file("Tone.aiff"));
    Sound* sound = sounds.find("Tone");
    ASSERT_NE(sound, nullptr);
    const RecordingDelegate& delegate = sounds.delegate;

    sound->play();
    serveEventsFor(300ms);
    {
        SuspendedSink sink;
        ASSERT_TRUE(sink.ok());
        const Clock::time_point suspended = Clock::now();
        ASSERT_TRUE(waitUntil([&] { return !delegate.calls.empty(); }, 10s)) << "the end was never reported";
        EXPECT_GT(secondsSince(suspended), kEarliestEnd);
        EXPECT_LT(secondsSince(suspended), kLatestEnd);
    }
    ASSERT_EQ(delegate.calls.size(), 1u);
    EXPECT_TRUE(delegate.calls[0].finished);
    EXPECT_FALSE(sound->isPlaying());

    SinkRecorder recorder;
    ASSERT_TRUE(recorder.start());
    const auto again = SinkRecorder::Clock::now();
    sound->play();
    ASSERT_TRUE(waitUntil([&] { return delegate.calls.size() == 2; }, 10s));
    serveEventsFor(300ms);
    EXPECT_TRUE(delegate.calls[1].finished);
    EXPECT_TRUE(heardSince(recorder, again)) << "the next play was not heard";
}

} // namespace
} // namespace eggtimer::testing
