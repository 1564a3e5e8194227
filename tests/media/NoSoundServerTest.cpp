// No sound server at all: silence, no hang, no crash, one line in the log at
// most. A sound still reports its end (not finished) once per play, so a
// firing loop goes on quietly until the user stops it.

#include "platform/qt/GstMedia.h"
#include "tests/media/MediaFixtures.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace eggtimer::testing {
namespace {

using namespace std::chrono_literals;

class NoSoundServerTest : public ::testing::Test, protected SoundFolder {
protected:
    void SetUp() override {
        const char* server = std::getenv("PULSE_SERVER");
        ASSERT_TRUE(server && std::string(server).find("no-pulse") != std::string::npos)
            << "run me through with-session.sh without --pulse";
        makeToneFile(folder.file("One.aiff"));
        makeToneFile(folder.file("Two.aif"));
        makeToneFile(folder.file("song.mp3"));
    }
};

TEST_F(NoSoundServerTest, SoundsEndAtOnceWithOneLineInTheLog) {
    ::testing::internal::CaptureStderr();
    for (const char* name : {"One", "Two", "One"}) {
        Sound* sound = find(name);
        ASSERT_NE(sound, nullptr) << name;
        const std::size_t before = delegate.calls.size();
        sound->play();
        EXPECT_TRUE(waitUntil([&] { return delegate.calls.size() > before; }, 5s)) << name;
        EXPECT_FALSE(sound->isPlaying()) << name;
    }
    serveEventsFor(300ms);
    const std::vector<std::string> messages = loggedMessages(::testing::internal::GetCapturedStderr());
    ASSERT_EQ(delegate.calls.size(), 3u);
    for (const auto& call : delegate.calls)
        EXPECT_FALSE(call.finished);
    EXPECT_LE(messages.size(), 1u);
    for (const std::string& message : messages)
        EXPECT_EQ(message.rfind("cannot play ", 0), 0u) << message;
}

TEST_F(NoSoundServerTest, AMovieIsMeasuredAndStopsPlayingByItselfNeverHavingBegun) {
    GstMediaLibrary library;
    std::unique_ptr<Movie> movie = library.movieWithPath(folder.file("song.mp3"));
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
} // namespace eggtimer::testing
