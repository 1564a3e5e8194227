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
        return waitUntil([&] { return delegate.calls.size() >= count; }, 10s);
    }

    Sound* sound = nullptr;
};

TEST_F(SoundPlaybackTest, StopReportsNotFinishedOnceAfterItHasReturned) {
    sound->play();
    serveEventsFor(300ms);
    ASSERT_TRUE(sound->isPlaying());
    sound->stop();
    EXPECT_FALSE(sound->isPlaying());
    EXPECT_TRUE(delegate.calls.empty()) << "reported from inside stop()";
    ASSERT_TRUE(waitForCalls(1));
    serveEventsFor(1500ms); // past where the tone would have ended
    ASSERT_EQ(delegate.calls.size(), 1u);
    EXPECT_FALSE(delegate.calls[0].finished);
}

TEST_F(SoundPlaybackTest, StoppingASoundThatIsNotPlayingReportsNothing) {
    sound->stop();
    sound->play();
    ASSERT_TRUE(waitForCalls(1));
    sound->stop();
    serveEventsFor(300ms);
    ASSERT_EQ(delegate.calls.size(), 1u);
    EXPECT_TRUE(delegate.calls[0].finished);
}

TEST_F(SoundPlaybackTest, PlayingWhilePlayingNeitherRestartsNorReportsTwice) {
    sound->play();
    EXPECT_TRUE(delegate.calls.empty()) << "reported from inside play()";
    serveEventsFor(500ms);
    sound->play();
    ASSERT_TRUE(waitForCalls(1));
    // Had the second play restarted the tone, its end would come ~0.5 s late.
    serveEventsFor(800ms);
    ASSERT_EQ(delegate.calls.size(), 1u);
    EXPECT_TRUE(delegate.calls[0].finished);
}

TEST_F(SoundPlaybackTest, PlaysAgainAndAgainFromTheBeginning) {
    for (int round = 1; round <= 3; ++round) {
        const auto started = std::chrono::steady_clock::now();
        sound->play();
        ASSERT_TRUE(waitForCalls(static_cast<std::size_t>(round))) << "round " << round;
        EXPECT_TRUE(delegate.calls.back().finished);
        // The whole one-second tone each time, not what was left of it.
        EXPECT_GT(std::chrono::steady_clock::now() - started, 800ms) << "round " << round;
    }
}

TEST_F(SoundPlaybackTest, PlayingAgainFromTheEndReportIsAllowed) {
    // What the firing loop does: play again when told of the end.
    struct Replayer final : SoundDelegate {
        int ends = 0;
        void soundDidFinishPlaying(Sound& s, bool) override {
            if (++ends < 3)
                s.play();
        }
    } replayer;
    sound->setDelegate(&replayer);
    sound->play();
    ASSERT_TRUE(waitUntil([&] { return replayer.ends == 3; }, 15s));
    EXPECT_FALSE(sound->isPlaying());
}

} // namespace
} // namespace eggtimer::testing
