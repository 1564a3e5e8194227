#include "tests/gstreamer/MediaFixtures.h"

#include <gtest/gtest.h>

namespace eggtimer::test {

namespace {

using namespace std::chrono_literals;

} // namespace

Heard measure(const SinkRecorder& recorder, SinkRecorder::Clock::time_point since) {
    const std::size_t from = recorder.sampleAt(since);
    const std::vector<float> samples = recorder.samplesFrom(from);
    const auto first = SinkRecorder::firstAbove(samples, kAudible);
    const auto last = SinkRecorder::lastAbove(samples, kAudible);
    if (!first || !last)
        return {};
    return {double(*last - *first) / SinkRecorder::kRate, SinkRecorder::rms(samples, *first, *last),
            recorder.timeOfSample(from + *first)};
}

Heard playToTheEnd(Sound& sound, const SinkRecorder& recorder) {
    RecordingDelegate delegate;
    sound.setDelegate(&delegate);
    const auto started = SinkRecorder::Clock::now();
    sound.play();
    EXPECT_TRUE(sound.isPlaying());
    EXPECT_TRUE(waitUntil([&] { return !delegate.ends.empty(); }, 10s)) << "the end was never reported";
    serveEventsFor(300ms);
    sound.setDelegate(nullptr);
    EXPECT_EQ(delegate.ends, std::vector<bool>{true}) << "not once, or ended without playing";
    EXPECT_FALSE(sound.isPlaying());
    return measure(recorder, started);
}

Heard playToTheEnd(Movie& movie, const SinkRecorder& recorder) {
    const auto started = SinkRecorder::Clock::now();
    movie.play();
    EXPECT_TRUE(movie.isPlaying());
    EXPECT_TRUE(waitUntil([&] { return !movie.isPlaying(); }, 10s)) << "the end was never noticed";
    serveEventsFor(300ms);
    return measure(recorder, started);
}

} // namespace eggtimer::test
