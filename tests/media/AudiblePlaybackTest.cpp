// Every kind of file the program plays is heard through the sound server for
// about its length, and its end is noticed. The test session's null sink is
// recorded and the recording measured.

#include "platform/qt/GstMedia.h"
#include "support/SinkRecorder.h"
#include "tests/media/MediaFixtures.h"

#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>

namespace eggtimer::testing {
namespace {

using namespace std::chrono_literals;

// -34 dBFS: well above the silence of a null sink, well below every fixture
// (-13 dBFS RMS for the tones, about -26 for the MIDI note).
constexpr float kAudible = 0.02f;

struct Heard {
    double seconds = 0.0; // from the first to the last audible sample
    double rms = 0.0;     // over that stretch
};

// What the recording holds from `since` on.
Heard measure(const SinkRecorder& recorder, SinkRecorder::Clock::time_point since) {
    const std::vector<float> samples = recorder.samplesSince(since);
    const auto first = SinkRecorder::firstAbove(samples, kAudible);
    const auto last = SinkRecorder::lastAbove(samples, kAudible);
    if (!first || !last)
        return {};
    return {double(*last - *first) / SinkRecorder::kRate, SinkRecorder::rms(samples, *first, *last)};
}

class MoviePlaybackTest : public ::testing::TestWithParam<std::string> {};

TEST_P(MoviePlaybackTest, IsMeasuredThenHeardForItsLengthAndAgainAfterARewind) {
    ScratchFolder folder;
    const std::string path = folder.file("tone." + GetParam());
    makeToneFile(path);
    SinkRecorder recorder;
    ASSERT_TRUE(recorder.start());

    GstMediaLibrary library;
    std::unique_ptr<Movie> movie = library.movieWithPath(path);
    ASSERT_NE(movie, nullptr);
    EXPECT_EQ(movie->timeScale(), 1000);
    EXPECT_NEAR(movie->duration(), 1000, 150);
    EXPECT_FALSE(movie->isPlaying());

    const auto started = SinkRecorder::Clock::now();
    movie->play();
    EXPECT_TRUE(movie->isPlaying());
    ASSERT_TRUE(waitUntil([&] { return !movie->isPlaying(); }, 10s)) << "the end was never noticed";
    serveEventsFor(300ms);

    const Heard heard = measure(recorder, started);
    EXPECT_GT(heard.rms, kAudible) << "nothing was heard";
    EXPECT_GT(heard.seconds, 0.6);
    EXPECT_LT(heard.seconds, 1.6);
    // A looping movie restarts one second after its length: a length longer
    // than what is heard (an MP3's encoder padding counted) lengthens the pause.
    EXPECT_NEAR(heard.seconds * 1000.0, movie->duration(), 30.0) << "the length is not what is heard";

    movie->play(); // at the end: nothing left to play
    EXPECT_FALSE(movie->isPlaying());
    movie->gotoBeginning();
    const auto again = SinkRecorder::Clock::now();
    movie->play();
    EXPECT_TRUE(movie->isPlaying());
    ASSERT_TRUE(waitUntil([&] { return !movie->isPlaying(); }, 10s));
    serveEventsFor(300ms);
    const Heard heardAgain = measure(recorder, again);
    EXPECT_GT(heardAgain.rms, kAudible);
    EXPECT_GT(heardAgain.seconds, 0.6) << "the second play did not start at the beginning";
}

INSTANTIATE_TEST_SUITE_P(Kinds, MoviePlaybackTest, ::testing::ValuesIn(kMusicExtensions),
                         [](const auto& info) { return info.param; });

TEST(MovieStopTest, StopsAtOnceAndPlayGoesOnFromThere) {
    ScratchFolder folder;
    const std::string path = folder.file("tone.mp3");
    makeToneFile(path);
    SinkRecorder recorder;
    ASSERT_TRUE(recorder.start());
    GstMediaLibrary library;
    std::unique_ptr<Movie> movie = library.movieWithPath(path);
    ASSERT_NE(movie, nullptr);

    movie->play();
    serveEventsFor(300ms);
    movie->stop();
    EXPECT_FALSE(movie->isPlaying());
    const auto stopped = SinkRecorder::Clock::now();
    serveEventsFor(600ms);
    // Allow for what the sound server had already been given.
    EXPECT_LT(measure(recorder, stopped + 250ms).rms, kAudible) << "still heard after stop";

    const auto resumed = SinkRecorder::Clock::now();
    movie->play();
    ASSERT_TRUE(waitUntil([&] { return !movie->isPlaying(); }, 10s));
    serveEventsFor(300ms);
    const Heard rest = measure(recorder, resumed);
    EXPECT_GT(rest.rms, kAudible);
    EXPECT_LT(rest.seconds, 0.95) << "played from the beginning instead of going on";
}

// A sound is heard once to its end, which is reported as finished.
void expectHeardToTheEnd(Sound& sound, double minimumSeconds, double maximumSeconds) {
    SinkRecorder recorder;
    ASSERT_TRUE(recorder.start());
    RecordingDelegate delegate;
    sound.setDelegate(&delegate);

    const auto started = SinkRecorder::Clock::now();
    sound.play();
    EXPECT_TRUE(sound.isPlaying());
    ASSERT_TRUE(waitUntil([&] { return !delegate.calls.empty(); }, 10s)) << "the end was never reported";
    serveEventsFor(300ms);

    ASSERT_EQ(delegate.calls.size(), 1u);
    EXPECT_EQ(delegate.calls[0].sound, &sound);
    EXPECT_TRUE(delegate.calls[0].finished);
    EXPECT_FALSE(sound.isPlaying());
    const Heard heard = measure(recorder, started);
    EXPECT_GT(heard.rms, kAudible) << "nothing was heard";
    EXPECT_GT(heard.seconds, minimumSeconds);
    EXPECT_LT(heard.seconds, maximumSeconds);
}

class SoundFileTest : public ::testing::TestWithParam<std::string> {};

TEST_P(SoundFileTest, IsHeardAndItsEndReported) {
    SoundFolder sounds;
    makeToneFile(sounds.folder.file("Tone." + GetParam()));
    Sound* sound = sounds.find("Tone");
    ASSERT_NE(sound, nullptr);
    expectHeardToTheEnd(*sound, 0.6, 1.6);
}

INSTANTIATE_TEST_SUITE_P(Kinds, SoundFileTest, ::testing::Values("aiff", "aif"),
                         [](const auto& info) { return info.param; });

std::vector<std::string> shippedSoundNames() {
    std::vector<std::string> names;
    if (DIR* folder = ::opendir(EGGTIMER_SOURCE_SOUND_DIR)) {
        while (const dirent* entry = ::readdir(folder)) {
            const std::string name = entry->d_name;
            if (name.size() > 5 && name.ends_with(".aiff"))
                names.push_back(name.substr(0, name.size() - 5));
        }
        ::closedir(folder);
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(ShippedSoundsTest, FourToEightEachShortAndHeardToItsEnd) {
    const std::vector<std::string> names = shippedSoundNames();
    EXPECT_GE(names.size(), 4u);
    EXPECT_LE(names.size(), 8u);
    FolderFileSystem files{EGGTIMER_SOURCE_SOUND_DIR, "/nonexistent"};
    GstSoundRegistry registry{files};
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        Sound* sound = registry.soundNamed(name);
        ASSERT_NE(sound, nullptr);
        // Short sounds, 0.3 to 2 seconds; quiet tails may fall under the threshold.
        expectHeardToTheEnd(*sound, 0.2, 2.1);
    }
}

TEST(BeepTest, IsHeardBriefly) {
    std::unique_ptr<Sound> beep = makeSoundFromFile(EGGTIMER_SOURCE_BEEP, "beep");
    EXPECT_EQ(beep->name(), "beep");
    expectHeardToTheEnd(*beep, 0.1, 0.5);
}

} // namespace
} // namespace eggtimer::testing
