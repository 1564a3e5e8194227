// A movie tells its delegate when its sound is really heard: once per play,
// at its first sample also when the sound server begins it late, and never
// for a play stopped before it began. The test session's null sink is
// recorded and the recording compared with what the movie said.

#include "platform/qt/GstMedia.h"
#include "support/SinkRecorder.h"
#include "tests/media/MediaFixtures.h"

#include <gtest/gtest.h>

#include <QThread>

#include <optional>

namespace eggtimer::testing {
namespace {

using namespace std::chrono_literals;
using Clock = SinkRecorder::Clock;

constexpr float kAudible = 0.02f;

// When the first audible sample from `since` on was played into the sink.
std::optional<Clock::time_point> firstHeard(const SinkRecorder& recorder, Clock::time_point since) {
    const std::size_t from = recorder.sampleAt(since);
    const auto first = SinkRecorder::firstAbove(recorder.samplesFrom(from), kAudible);
    if (!first)
        return std::nullopt;
    return recorder.timeOfSample(from + *first);
}

double millisecondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

class MovieStartTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        makeToneFile(folder.file("tone." + GetParam()));
        ASSERT_TRUE(recorder.start());
        movie = library.movieWithPath(folder.file("tone." + GetParam()));
        ASSERT_NE(movie, nullptr);
        movie->setDelegate(&starts);
    }

    ScratchFolder folder;
    SinkRecorder recorder;
    GstMediaLibrary library;
    std::unique_ptr<Movie> movie;
    RecordingMovieDelegate starts;
};

TEST_P(MovieStartTest, IsReportedOncePerPlayWhenItsSoundBegins) {
    // A stream left waiting, ready, is begun that much later by the sound
    // server: the first report must follow the sound, not play().
    QThread::msleep(300);
    for (std::size_t play = 1; play <= 2; ++play) {
        const Clock::time_point asked = Clock::now();
        movie->play();
        EXPECT_EQ(starts.began.size(), play - 1) << "reported inside play()";
        ASSERT_TRUE(waitUntil([&] { return !movie->isPlaying(); }, 10s));
        serveEventsFor(200ms);
        ASSERT_EQ(starts.began.size(), play);
        const std::optional<Clock::time_point> heard = firstHeard(recorder, asked);
        ASSERT_TRUE(heard.has_value()) << "play " << play << " was not heard";
        // An MP3's first 25 ms are its encoder's silence; the rest is margin.
        EXPECT_NEAR(millisecondsBetween(starts.began.back(), *heard), 0.0, 60.0)
            << "play " << play << ": the sound began " << millisecondsBetween(asked, *heard)
            << " ms after play()";
        movie->gotoBeginning();
    }
}

TEST_P(MovieStartTest, APlayStoppedBeforeItBeganIsNeverReported) {
    movie->play();
    movie->stop(); // before the main loop could hear of any beginning
    serveEventsFor(1s);
    EXPECT_TRUE(starts.began.empty());

    movie->play();
    ASSERT_TRUE(waitUntil([&] { return !starts.began.empty(); }, 10s));
    ASSERT_TRUE(waitUntil([&] { return !movie->isPlaying(); }, 10s));
    serveEventsFor(200ms);
    EXPECT_EQ(starts.began.size(), 1u);
}

// An AIFF file plays through our own pipeline, the others through playbin;
// an MP4 carries video as well.
INSTANTIATE_TEST_SUITE_P(Kinds, MovieStartTest, ::testing::Values("aiff", "mp3", "mp4"),
                         [](const auto& info) { return info.param; });

} // namespace
} // namespace eggtimer::testing
