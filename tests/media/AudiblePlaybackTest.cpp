// Every kind of file the program plays is heard through the sound server for
// about its length, and its end is noticed. The test session's null sink is
// recorded and the recording measured.

#include "platform/qt/GstMedia.h"
#include "tests/media/MediaFixtures.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace eggtimer::testing {
namespace {

class MoviePlaybackTest : public ::testing::TestWithParam<std::string> {};

TEST_P(MoviePlaybackTest, IsMeasuredThenHeardForItsLengthAndAgainAfterARewind) {
    ScratchFolder folder;
    const std::string path = folder.file("tone." + GetParam());
    makeToneFile(path);
    SinkRecorder recorder;
    ASSERT_TRUE(recorder.start());

    std::unique_ptr<Movie> movie = GstMediaLibrary().movieWithPath(path);
    ASSERT_NE(movie, nullptr);
    EXPECT_EQ(movie->timeScale(), 1000);
    // A looping movie restarts one second after its length: a length longer
    // than the second of tone (an MP3's encoder padding counted) lengthens the
    // pause, a shorter one (an MPEG program stream's estimate) shortens it.
    EXPECT_NEAR(movie->duration(), 1000, 30);
    EXPECT_FALSE(movie->isPlaying());

    const Heard heard = playToTheEnd(*movie, recorder);
    EXPECT_GT(heard.rms, kAudible) << "nothing was heard";
    EXPECT_GT(heard.seconds, 0.6);
    EXPECT_LT(heard.seconds, 1.6);

    movie->play(); // at the end: nothing left to play
    EXPECT_FALSE(movie->isPlaying());
    movie->gotoBeginning();
    const Heard again = playToTheEnd(*movie, recorder);
    EXPECT_GT(again.rms, kAudible);
    EXPECT_GT(again.seconds, 0.6) << "the second play did not start at the beginning";
}

INSTANTIATE_TEST_SUITE_P(Kinds, MoviePlaybackTest, ::testing::ValuesIn(kMusicExtensions),
                         [](const auto& info) { return info.param; });

// The sounds shipped for the user to pick, and the beep before an alert.
TEST(ShippedSoundsTest, FourToEightAndTheBeepEachShortAndHeardToItsEnd) {
    FolderFileSystem files{EGGTIMER_SOURCE_SOUND_DIR, "/nonexistent"};
    GstSoundRegistry registry{files};
    std::vector<Sound*> sounds;
    for (const auto& entry : std::filesystem::directory_iterator(EGGTIMER_SOURCE_SOUND_DIR))
        if (entry.path().extension() == ".aiff")
            sounds.push_back(registry.soundNamed(entry.path().stem()));
    EXPECT_GE(sounds.size(), 4u);
    EXPECT_LE(sounds.size(), 8u);
    std::unique_ptr<Sound> beep = makeSoundFromFile(EGGTIMER_SOURCE_BEEP, "beep");
    sounds.push_back(beep.get());
    SinkRecorder recorder;
    ASSERT_TRUE(recorder.start());
    for (Sound* sound : sounds) {
        ASSERT_NE(sound, nullptr);
        SCOPED_TRACE(sound->name());
        const Heard heard = playToTheEnd(*sound, recorder);
        EXPECT_GT(heard.rms, kAudible) << "nothing was heard";
        // Short sounds, 0.2 to 2 seconds; quiet tails may fall under the threshold.
        EXPECT_GT(heard.seconds, 0.1);
        EXPECT_LT(heard.seconds, 2.1);
    }
}

} // namespace
} // namespace eggtimer::testing
