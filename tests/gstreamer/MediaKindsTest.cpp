// Every kind of file the program plays is heard through the sound server for
// about its length, and its end is noticed; a movie tells its delegate when
// its sound is really heard, once per play. AIFF and AIFF-C files of the
// common sample formats are measured and heard to their end, in the second,
// third... pipelines of one process too. The test session's null sink is
// recorded and the recording measured.
//
// Media the program cannot play gives a clear outcome, never a hang:
// compressed AIFF-C is not read, and says so; anything that is not a readable
// media file gives no movie, quickly; a file whose decoder is not installed
// (hidden here by lowering its rank) says so once in the log.

#include "platform/gstreamer/GstMedia.h"
#include "platform/mediafiles/GstSupport.h"
#include "tests/gstreamer/MediaFixtures.h"

#include <gst/gst.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>
#include <regex>
#include <sys/stat.h>
#include <unistd.h>

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
// own, named .aiff and .aif in turn: measured as a movie, and heard as a
// sound, played twice. (A movie of an AIFF file plays through the same
// pipeline as a sound.)
TEST(AiffFormatsTest, AllAreMeasuredAndHeardOneAfterAnother) {
    ScratchFolder folder;
    SinkRecorder recorder;
    ASSERT_TRUE(recorder.start());
    for (std::size_t i = 0; i < std::size(kFormats); ++i) {
        SCOPED_TRACE(kFormats[i].name);
        const std::string path = folder / (std::string(kFormats[i].name) + (i % 2 ? ".aif" : ".aiff"));
        makeAiff(path, kFormats[i]);
        std::unique_ptr<Movie> movie = GstMediaLibrary().movieWithPath(path);
        ASSERT_NE(movie, nullptr) << "not read as a movie";
        EXPECT_NEAR(movie->duration(), 500, 5);
        std::unique_ptr<Sound> sound = makeSoundFromFile(path, kFormats[i].name);
        for (int play = 1; play <= 2; ++play) {
            const Heard heard = playToTheEnd(*sound, recorder);
            EXPECT_GT(heard.rms, kAudible) << "nothing was heard in play " << play;
            EXPECT_NEAR(heard.seconds, 0.5, 0.2) << "play " << play;
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

TEST(BadMediaTest, GivesNoMovieAndReturnsPromptly) {
    ScratchFolder f;
    // Cut short: an MP4 without its index (ffmpeg writes it at the end).
    makeToneFile(f / "good.mp4");
    ASSERT_TRUE(run("head -c 4000 " + f / "good.mp4" + " > " + f / "cut.mp4"));
    std::mt19937 generator(20240229);
    std::string noise(64 * 1024, '\0');
    std::generate(noise.begin(), noise.end(), [&] { return static_cast<char>(generator()); });
    writeFile(f / "noise.mp3", noise);
    ASSERT_EQ(::mkfifo((f / "pipe.mp3").c_str(), 0644), 0);
    ASSERT_EQ(::chmod((f / "good.mp4").c_str(), 0), 0);
    // What is not a readable regular file (the kinds of it are the sound
    // registry's table) is never opened by the discoverer: a pipe would hold
    // it up. Root reads a file whatever its mode.
    std::map<std::string, bool> readable{
        {f / "cut.mp4", true}, {f / "noise.mp3", true}, {f / "pipe.mp3", false}};
    if (::geteuid() != 0)
        readable[f / "good.mp4"] = false;
    for (const auto& [path, isFile] : readable) {
        const auto before = std::chrono::steady_clock::now();
        std::string why;
        EXPECT_EQ(GstMediaLibrary().movieWithPath(path, &why), nullptr) << path;
        // No hang: the discoverer's own limit is five seconds (ten for an
        // MPEG program stream).
        EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(15)) << path;
        // What the discoverer found, for a file it could read.
        EXPECT_EQ(why == "it is gone or cannot be read", !isFile) << path << ": " << why;
        EXPECT_FALSE(why.empty()) << path;
    }
}

// Hides one element from autoplugging for the life of the object, GStreamer
// started as the program starts it, so that its own ranks are set first.
struct HiddenElement {
    explicit HiddenElement(const char* name)
        : feature(gst::start() ? gst_registry_lookup_feature(gst_registry_get(), name) : nullptr)
        , rank(feature ? gst_plugin_feature_get_rank(feature) : 0) {
        if (feature)
            gst_plugin_feature_set_rank(feature, GST_RANK_NONE);
    }
    ~HiddenElement() {
        if (feature) {
            gst_plugin_feature_set_rank(feature, rank);
            gst_object_unref(feature);
        }
    }
    GstPluginFeature* const feature;
    const guint rank;
};

TEST(MissingPluginTest, AMovieThatCannotBeMeasuredIsNoneAndSaysWhyOnce) {
    ScratchFolder folder;
    makeToneFile(folder / "song.mid");
    HiddenElement synthesizer("fluiddec");
    ASSERT_TRUE(synthesizer.feature);
    ::testing::internal::CaptureStderr();
    std::string why;
    EXPECT_EQ(GstMediaLibrary().movieWithPath(folder / "song.mid"), nullptr);
    EXPECT_EQ(GstMediaLibrary().movieWithPath(folder / "song.mid", &why), nullptr);
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(std::regex_match(errors, std::regex(".*\\]: cannot play song\\.mid: .*plug-in.*\n")))
        << errors;
    EXPECT_NE(errors.find(": " + why + "\n"), std::string::npos) << why;
}

TEST(MissingPluginTest, AMovieWhoseVideoCannotBeDecodedIsStillHeard) {
    ScratchFolder folder;
    makeToneFile(folder / "clip.mp4");
    HiddenElement videoDecoder("avdec_mpeg4");
    ASSERT_TRUE(videoDecoder.feature);
    SinkRecorder recorder;
    ASSERT_TRUE(recorder.start());
    ::testing::internal::CaptureStderr();
    std::unique_ptr<Movie> movie = GstMediaLibrary().movieWithPath(folder / "clip.mp4");
    const Heard heard = movie ? playToTheEnd(*movie, recorder) : Heard{};
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    ASSERT_NE(movie, nullptr);
    EXPECT_GT(heard.rms, kAudible);
}

} // namespace
} // namespace eggtimer::test
