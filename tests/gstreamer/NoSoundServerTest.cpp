// No sound server at all: silence, no hang, no crash, one line in the log at
// most. A sound still reports its end (not finished) once per play, so a
// firing loop goes on quietly until the user stops it; a movie is measured
// and stops playing by itself, never having begun.

#include "platform/gstreamer/GstMedia.h"
#include "tests/gstreamer/MediaFixtures.h"

#include <gtest/gtest.h>

#include <regex>

namespace eggtimer::test {
namespace {

TEST(NoSoundServerTest, SoundsEndAtOnceWithOneLineInTheLogAndAMovieNeverBegins) {
    SoundFolder sounds;
    makeToneFile(sounds.folder / "One.aiff");
    makeToneFile(sounds.folder / "Two.aif");
    makeToneFile(sounds.folder / "song.mp3");

    ::testing::internal::CaptureStderr();
    for (const char* name : {"One", "Two", "One"}) {
        Sound* sound = sounds.find(name);
        ASSERT_NE(sound, nullptr) << name;
        const std::size_t before = sounds.delegate.ends.size();
        sound->play();
        EXPECT_TRUE(waitUntil([&] { return sounds.delegate.ends.size() > before; }, 5s)) << name;
        EXPECT_FALSE(sound->isPlaying()) << name;
    }
    serveEventsFor(300ms);
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(sounds.delegate.ends, std::vector<bool>(3, false));
    EXPECT_TRUE(std::regex_match(errors, std::regex("(.*\\]: cannot play .*\n)?"))) << errors;

    std::unique_ptr<Movie> movie = GstMediaLibrary().movieWithPath(sounds.folder / "song.mp3");
    ASSERT_NE(movie, nullptr);
    RecordingMovieDelegate starts;
    movie->setDelegate(&starts);
    EXPECT_NEAR(movie->duration(), 1000, 150);
    movie->play();
    EXPECT_TRUE(waitUntil([&] { return !movie->isPlaying(); }, 5s));
    serveEventsFor(300ms);
    EXPECT_TRUE(starts.began.empty());
    movie->stop();
    movie->gotoBeginning();
}

} // namespace
} // namespace eggtimer::test
