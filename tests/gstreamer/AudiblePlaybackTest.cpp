// Every kind of file the program plays is heard through the sound server for
// about its length, and its end is noticed; a movie tells its delegate when
// its sound is really heard, once per play. AIFF and AIFF-C files of the
// common sample formats are heard to their end, as sounds and as movies, in
// the second, third... pipelines of one process too; compressed AIFF-C is not
// read, and says so. The test session's null sink is recorded and the
// recording measured.

#include "platform/gstreamer/GstMedia.h"
#include "tests/gstreamer/MediaFixtures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

namespace eggtimer::test {
namespace {

class MoviePlaybackTest : public ::testing::TestWithParam<std::string> {};

TEST_P(MoviePlaybackTest, IsMeasuredThenHeardForItsLengthItsStartToldOncePerPlay) {
    ScratchFolder folder;
    const std::string path = folder / ("tone." + GetParam());
    makeToneFile(path);
    SinkRecorder recorder;
    ASSERT_TRUE(recorder.start());
    std::unique_ptr<Movie> movie = GstMediaLibrary().movieWithPath(path);
    ASSERT_NE(movie, nullptr);
    // A looping movie restarts one second after its length: a length longer
    // than the second of tone (an MP3's encoder padding counted) lengthens the
    // pause, a shorter one (an MPEG program stream's estimate) shortens it.
    EXPECT_NEAR(movie->duration() / double(movie->timeScale()), 1.0, 0.03);
    RecordingMovieDelegate starts;
    movie->setDelegate(&starts);

    // The first play builds the pipeline and is heard a while after play():
    // the first report must follow the sound, not play().
    for (std::size_t play = 1; play <= 2; ++play) {
        SCOPED_TRACE("play " + std::to_string(play));
        const Heard heard = playToTheEnd(*movie, recorder);
        EXPECT_GT(heard.rms, kAudible) << "nothing was heard";
        EXPECT_GT(heard.seconds, 0.6);
        EXPECT_LT(heard.seconds, 1.6);
        ASSERT_EQ(starts.began.size(), play);
        EXPECT_NEAR(std::chrono::duration<double>(starts.began.back() - heard.began).count(), 0.0, 0.15);
        movie->gotoBeginning();
    }
    movie->play();
    movie->stop(); // before the main loop could hear of any beginning
    const auto stopped = SinkRecorder::Clock::now();
    serveEventsFor(1s);
    EXPECT_EQ(starts.began.size(), 2u) << "told inside play(), or of a play stopped before it began";
    // Allow for what the sound server had already been given (up to a
    // fifth of a second by default); a play that went on would still be
    // heard for most of its second.
    EXPECT_LT(measure(recorder, stopped + 500ms).rms, kAudible) << "still heard after stop";
}

INSTANTIATE_TEST_SUITE_P(Kinds, MoviePlaybackTest, ::testing::ValuesIn(kMusicExtensions),
                         [](const auto& info) { return info.param; });

// A movie played seconds after it was made is heard from its play, not as
// late as it waited (libpulse lets a stream that never played run its time).
TEST(MovieMadeEarlyTest, IsHeardFromItsPlayWhenPlayedSecondsLater) {
    ScratchFolder folder;
    makeToneFile(folder / "tone.aiff");
    SinkRecorder recorder;
    ASSERT_TRUE(recorder.start());
    std::unique_ptr<Movie> movie = GstMediaLibrary().movieWithPath(folder / "tone.aiff");
    ASSERT_NE(movie, nullptr);
    RecordingMovieDelegate starts;
    movie->setDelegate(&starts);
    serveEventsFor(3s);
    const auto played = SinkRecorder::Clock::now();
    const Heard heard = playToTheEnd(*movie, recorder);
    EXPECT_GT(heard.rms, kAudible) << "nothing was heard";
    EXPECT_NEAR(heard.seconds, 1.0, 0.2);
    EXPECT_LT(heard.began - played, 1s) << "heard as late as it waited";
    ASSERT_EQ(starts.began.size(), 1u);
    EXPECT_NEAR(std::chrono::duration<double>(starts.began.back() - heard.began).count(), 0.0, 0.15);
}

// The sounds shipped for the user to pick, the beep before an alert, and the
// default sound that rings when the one chosen cannot.
TEST(ShippedSoundsTest, FourToEightTheBeepAndTheDefaultEachShortAndHeardToItsEnd) {
    PosixFileSystem files{EGGTIMER_SOURCE_SOUND_DIR, "/nonexistent"};
    GstSoundRegistry registry{files};
    std::vector<Sound*> sounds;
    for (const auto& entry : std::filesystem::directory_iterator(EGGTIMER_SOURCE_SOUND_DIR))
        if (entry.path().extension() == ".aiff")
            sounds.push_back(registry.soundNamed(entry.path().stem()));
    EXPECT_GE(sounds.size(), 4u);
    EXPECT_LE(sounds.size(), 8u);
    std::unique_ptr<Sound> beep = makeSoundFromFile(EGGTIMER_SOURCE_BEEP, "beep");
    sounds.push_back(beep.get());
    sounds.push_back(&registry.defaultSound());
    EXPECT_EQ(sounds.back()->name(), "GentleAlarm");
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

// Each file is half a second of 440 Hz, written by sox with these options,
// or by ffmpeg with this codec (sox cannot write it).
struct AiffFormat {
    const char* name;
    std::string soxOptions, codec;
    friend void PrintTo(const AiffFormat& format, std::ostream* out) { *out << format.name; }
};

void makeAiff(const std::string& path, const AiffFormat& format) {
    ASSERT_TRUE(run(format.codec.empty()
                        ? "sox -q -n " + format.soxOptions + " " + shellQuoted(path) +
                              " synth 0.5 sine 440 vol 0.316 2>/dev/null"
                        : "ffmpeg -nostdin -loglevel error -f lavfi -i sine=440:d=0.5 -c:a " + format.codec +
                              " -f aiff " + shellQuoted(path)));
}

const AiffFormat kFormats[] = {
    {"Int8", "-r 44100 -c 1 -b 8 -t aiff", ""},
    {"Int24Stereo48kHz", "-r 48000 -c 2 -b 24 -t aiff", ""},
    {"AifcFloat64", "-r 44100 -c 1 -e floating-point -b 64 -t aifc", ""},
    {"AifcLittleEndian16", "", "pcm_s16le"},
    // What sox writes when asked for nothing in particular: 32 bits.
    {"SoxDefault48kHz", "-r 48000 -c 1", ""},
};

// Every format, one after another in one process, each a pipeline of its
// own: as a sound, played twice, and as a movie, named .aiff and .aif in
// turn.
TEST(AiffFormatsTest, AllAreHeardAsSoundsAndMoviesOneAfterAnother) {
    ScratchFolder folder;
    SinkRecorder recorder;
    ASSERT_TRUE(recorder.start());
    for (std::size_t i = 0; i < std::size(kFormats); ++i) {
        const std::string path = folder / (std::string(kFormats[i].name) + (i % 2 ? ".aif" : ".aiff"));
        makeAiff(path, kFormats[i]);
        std::unique_ptr<Sound> sound = makeSoundFromFile(path, kFormats[i].name);
        std::unique_ptr<Movie> movie = GstMediaLibrary().movieWithPath(path);
        ASSERT_NE(movie, nullptr) << kFormats[i].name << " not read as a movie";
        EXPECT_NEAR(movie->duration(), 500, 5) << kFormats[i].name;
        for (const std::string play : {"first sound", "second sound", "movie"}) {
            SCOPED_TRACE(kFormats[i].name + (" " + play));
            const Heard heard =
                play == "movie" ? playToTheEnd(*movie, recorder) : playToTheEnd(*sound, recorder);
            EXPECT_GT(heard.rms, kAudible) << "nothing was heard";
            EXPECT_NEAR(heard.seconds, 0.5, 0.2);
        }
    }
}

// No movie, without a hang, and a reason; a sound of it tells once that it
// could not play, with the reason of its line in the log (once a process for
// each kind of failure: a process for each row).
class CompressedAiffTest : public ::testing::TestWithParam<AiffFormat> {};

TEST_P(CompressedAiffTest, GivesAClearOutcome) {
    SoundFolder sounds;
    makeAiff(sounds.folder / "Tone.aiff", GetParam());
    const auto asked = std::chrono::steady_clock::now();
    ::testing::internal::CaptureStderr();
    std::string whyNot;
    EXPECT_EQ(GstMediaLibrary().movieWithPath(sounds.folder / "Tone.aiff", &whyNot), nullptr);
    EXPECT_LT(std::chrono::steady_clock::now() - asked, 15s) << "past the read limit";
    EXPECT_FALSE(whyNot.empty());

    Sound* sound = sounds.find("Tone");
    ASSERT_NE(sound, nullptr);
    sound->play();
    EXPECT_TRUE(waitUntil([&] { return !sounds.delegate.failures.empty(); }, 10s));
    serveEventsFor(300ms);
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(sounds.delegate.ends.empty()) << "its failure also told as an end";
    ASSERT_EQ(sounds.delegate.failures.size(), 1u);
    EXPECT_FALSE(sound->isPlaying());
    EXPECT_TRUE(std::regex_match(errors, std::regex("(.*\\]: cannot play Tone\\.aiff: .*\n)+"))) << errors;
    EXPECT_NE(errors.find("cannot play Tone.aiff: " + sounds.delegate.failures[0] + "\n"), std::string::npos)
        << sounds.delegate.failures[0];
}

INSTANTIATE_TEST_SUITE_P(Compressed, CompressedAiffTest,
                         ::testing::Values(AiffFormat{"Ima4", "", "adpcm_ima_qt"},
                                           AiffFormat{"MuLaw", "", "pcm_mulaw"}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace eggtimer::test
