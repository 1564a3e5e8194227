// How a sound reports the end of its playing: once per play, on the event
// loop, never from inside play() or stop(); and stop() silences it at once.

#include "platform/gstreamer/GstMedia.h"
#include "tests/gstreamer/MediaFixtures.h"

#include <gtest/gtest.h>

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
    // Allowing for what the server had been given and a late recording.
    EXPECT_LT(measure(recorder, stopped + 500ms).rms, kAudible) << "still heard after stop";
}

} // namespace
} // namespace eggtimer::test
