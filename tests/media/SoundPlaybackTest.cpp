// How a sound reports the end of its playing: once per play, on the event
// loop, never from inside play() or stop().

#include "platform/qt/GstMedia.h"
#include "tests/media/MediaFixtures.h"

#include <gtest/gtest.h>

namespace eggtimer::testing {
namespace {

using namespace std::chrono_literals;

class SoundPlaybackTest : public ::testing::Test, protected SoundFolder {
protected:
    void SetUp() override {
        makeToneFile(folder.file("Tone.aiff"));
        sound = find("Tone");
        ASSERT_NE(sound, nullptr);
    }
    bool waitForCalls(std::size_t count) {
        return waitUntil([&] { return delegate.ends.size() >= count; }, 10s);
    }

    Sound* sound = nullptr;
};

TEST_F(SoundPlaybackTest, ReportsOncePerPlayAfterPlayOrStopHasReturned) {
    sound->stop(); // not playing: nothing to report
    sound->play();
    EXPECT_TRUE(delegate.ends.empty()) << "reported from inside play()";
    serveEventsFor(500ms);
    sound->play(); // playing: neither a restart nor a second report
    ASSERT_TRUE(waitForCalls(1));
    sound->stop(); // at its end: nothing more to report
    serveEventsFor(800ms);
    EXPECT_EQ(delegate.ends, std::vector<bool>{true});

    sound->play();
    serveEventsFor(300ms);
    ASSERT_TRUE(sound->isPlaying());
    sound->stop();
    EXPECT_FALSE(sound->isPlaying());
    EXPECT_EQ(delegate.ends.size(), 1u) << "reported from inside stop()";
    ASSERT_TRUE(waitForCalls(2));
    serveEventsFor(1500ms); // past where the tone would have ended
    EXPECT_EQ(delegate.ends, (std::vector<bool>{true, false}));
}

TEST_F(SoundPlaybackTest, PlaysAgainFromItsEndReportFromTheBeginningEachTime) {
    // What the firing loop does: play again when told of the end.
    struct Replayer final : SoundDelegate {
        int ends = 0;
        void soundDidFinishPlaying(Sound& s, bool) override {
            if (++ends < 3)
                s.play();
        }
    } replayer;
    sound->setDelegate(&replayer);
    const auto started = std::chrono::steady_clock::now();
    sound->play();
    ASSERT_TRUE(waitUntil([&] { return replayer.ends == 3; }, 15s));
    // The whole one-second tone each time, not what was left of it.
    EXPECT_GT(std::chrono::steady_clock::now() - started, 2400ms);
    EXPECT_FALSE(sound->isPlaying());
}

} // namespace
} // namespace eggtimer::testing
