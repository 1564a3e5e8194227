// A movie tells its delegate when its sound is really heard: once per play,
// at its first sample also when the sound server begins it late, and never
// for a play stopped before it began. The test session's null sink is
// recorded and the recording compared with what the movie said.

#include "platform/qt/GstMedia.h"
#include "tests/media/MediaFixtures.h"

#include <gtest/gtest.h>

#include <QThread>

namespace eggtimer::testing {
namespace {

using namespace std::chrono_literals;
using Clock = SinkRecorder::Clock;

class MovieStartTest : public ::testing::TestWithParam<std::string> {};

TEST_P(MovieStartTest, IsReportedOncePerPlayWhenItsSoundBegins) {
    ScratchFolder folder;
    makeToneFile(folder.file("tone." + GetParam()));
    SinkRecorder recorder;
    ASSERT_TRUE(recorder.start());
    std::unique_ptr<Movie> movie = GstMediaLibrary().movieWithPath(folder.file("tone." + GetParam()));
    ASSERT_NE(movie, nullptr);
    RecordingMovieDelegate starts;
    movie->setDelegate(&starts);

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
        const std::size_t from = recorder.sampleAt(asked);
        const auto first = SinkRecorder::firstAbove(recorder.samplesFrom(from), kAudible);
        ASSERT_TRUE(first.has_value()) << "play " << play << " was not heard";
        const std::chrono::duration<double, std::milli> off =
            starts.began.back() - recorder.timeOfSample(from + *first);
        EXPECT_NEAR(off.count(), 0.0, 60.0) << "play " << play;
        movie->gotoBeginning();
    }

    movie->play();
    movie->stop(); // before the main loop could hear of any beginning
    serveEventsFor(1s);
    EXPECT_EQ(starts.began.size(), 2u) << "a play stopped before it began was reported";
    movie->play();
    ASSERT_TRUE(waitUntil([&] { return !movie->isPlaying(); }, 10s));
    serveEventsFor(200ms);
    EXPECT_EQ(starts.began.size(), 3u);
}

// An AIFF file plays through our own pipeline, the others through playbin;
// an MP4 carries video as well.
INSTANTIATE_TEST_SUITE_P(Kinds, MovieStartTest, ::testing::Values("aiff", "mp4"),
                         [](const auto& info) { return info.param; });

} // namespace
} // namespace eggtimer::testing
