// AIFF and AIFF-C files of the common sample formats are heard to their end,
// as sounds and as movies, in the second, third... pipelines of one process
// too. Compressed AIFF-C is not read, and says so.

#include "platform/gstreamer/GstMedia.h"
#include "tests/gstreamer/MediaFixtures.h"

#include <gtest/gtest.h>

#include <regex>

namespace eggtimer::test {
namespace {

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

// No movie, at once; a sound of it ends once, unfinished, with a line in the
// log (once a process for each kind of failure: a process for each row).
class CompressedAiffTest : public ::testing::TestWithParam<AiffFormat> {};

TEST_P(CompressedAiffTest, GivesAClearOutcome) {
    SoundFolder sounds;
    makeAiff(sounds.folder / "Tone.aiff", GetParam());
    const auto asked = std::chrono::steady_clock::now();
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(GstMediaLibrary().movieWithPath(sounds.folder / "Tone.aiff"), nullptr);
    EXPECT_LT(std::chrono::steady_clock::now() - asked, 3s);

    Sound* sound = sounds.find("Tone");
    ASSERT_NE(sound, nullptr);
    sound->play();
    EXPECT_TRUE(waitUntil([&] { return !sounds.delegate.ends.empty(); }, 10s));
    serveEventsFor(300ms);
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(sounds.delegate.ends, std::vector<bool>{false});
    EXPECT_FALSE(sound->isPlaying());
    EXPECT_TRUE(std::regex_match(errors, std::regex("(.*\\]: cannot play Tone\\.aiff: .*\n)+"))) << errors;
}

INSTANTIATE_TEST_SUITE_P(Compressed, CompressedAiffTest,
                         ::testing::Values(AiffFormat{"Ima4", "", "adpcm_ima_qt"},
                                           AiffFormat{"MuLaw", "", "pcm_mulaw"}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace eggtimer::test
