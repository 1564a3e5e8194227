// AIFF and AIFF-C files of every common sample format are heard to their end,
// as sounds and as movies, in the second, third... pipelines of one process
// too (where a parser once raced its decodebin and waited forever).

#include "platform/qt/GstMedia.h"
#include "support/SinkRecorder.h"
#include "tests/media/MediaFixtures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

namespace eggtimer::testing {
namespace {

using namespace std::chrono_literals;

constexpr float kAudible = 0.02f;
// Every fixture is half a second of 440 Hz at -10 dBFS.
constexpr double kSeconds = 0.5;
const std::string kTone = " synth 0.5 sine 440 vol 0.316";

struct AiffFormat {
    const char* name;
    // Options to sox for the output file; empty: see the row's `fromSixteenBit`.
    std::string soxOptions;
    // ffmpeg codec turning a 16-bit AIFF into this one (sox cannot write it).
    std::string fromSixteenBit;
    // What the COMM chunk must then say, so that the row tests what it names.
    int bits;
    std::string compression; // "" for plain AIFF
};

const AiffFormat kFormats[] = {
    {"Int8", "-r 44100 -c 1 -b 8 -t aiff", "", 8, ""},
    {"Int16", "-r 44100 -c 1 -b 16 -t aiff", "", 16, ""},
    {"Int24", "-r 44100 -c 1 -b 24 -t aiff", "", 24, ""},
    {"Int32", "-r 44100 -c 1 -b 32 -t aiff", "", 32, ""},
    {"Int24Stereo48kHz", "-r 48000 -c 2 -b 24 -t aiff", "", 24, ""},
    {"AifcInt24", "-r 44100 -c 1 -b 24 -t aifc", "", 24, "NONE"},
    {"AifcFloat32", "-r 44100 -c 1 -e floating-point -b 32 -t aifc", "", 32, "fl32"},
    {"AifcFloat64", "-r 44100 -c 1 -e floating-point -b 64 -t aifc", "", 64, "fl64"},
    {"AifcLittleEndian16", "", "pcm_s16le", 16, "sowt"},
    // What sox writes when asked for nothing in particular.
    {"SoxDefault48kHz", "-r 48000 -c 1", "", 32, ""},
};

void PrintTo(const AiffFormat& format, std::ostream* out) {
    *out << format.name;
}

std::string quoted(const std::string& text) {
    std::string result = "'";
    for (char c : text)
        result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return result + "'";
}

struct Comm {
    int bits = 0;
    std::string compression;
};

// Sample size and compression type from the COMM chunk.
Comm readComm(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto at = bytes.find("COMM");
    Comm comm;
    if (at == std::string::npos || bytes.size() < at + 8 + 18)
        return comm;
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[at + 8 + i]); };
    comm.bits = byte(6) << 8 | byte(7);
    if (bytes.compare(8, 4, "AIFC") == 0 && bytes.size() >= at + 8 + 22)
        comm.compression = bytes.substr(at + 8 + 18, 4);
    return comm;
}

void makeAiff(const std::string& path, const AiffFormat& format) {
    if (format.soxOptions.empty()) {
        const std::string sixteen = path + ".16.aiff";
        ASSERT_TRUE(run("sox -q -n -r 44100 -c 1 -b 16 -t aiff " + quoted(sixteen) + kTone));
        ASSERT_TRUE(run("ffmpeg -nostdin -loglevel error -y -i " + quoted(sixteen) + " -c:a " +
                        format.fromSixteenBit + " -f aiff " + quoted(path)));
        std::remove(sixteen.c_str());
    } else {
        ASSERT_TRUE(run("sox -q -n " + format.soxOptions + " " + quoted(path) + kTone + " 2>/dev/null"));
    }
    const Comm comm = readComm(path);
    ASSERT_EQ(comm.bits, format.bits) << "the tools did not write " << format.name;
    ASSERT_EQ(comm.compression, format.compression) << "the tools did not write " << format.name;
}

struct Heard {
    double seconds = 0.0;
    double rms = 0.0;
};

Heard measure(const SinkRecorder& recorder, SinkRecorder::Clock::time_point since) {
    const std::vector<float> samples = recorder.samplesSince(since);
    const auto first = SinkRecorder::firstAbove(samples, kAudible);
    const auto last = SinkRecorder::lastAbove(samples, kAudible);
    if (!first || !last)
        return {};
    return {double(*last - *first) / SinkRecorder::kRate, SinkRecorder::rms(samples, *first, *last)};
}

// One play of `sound`, heard for about its length, its end reported once as
// finished.
void expectSoundHeard(Sound& sound, const SinkRecorder& recorder, const std::string& what) {
    SCOPED_TRACE(what);
    RecordingDelegate delegate;
    sound.setDelegate(&delegate);
    const auto started = SinkRecorder::Clock::now();
    sound.play();
    ASSERT_TRUE(waitUntil([&] { return !delegate.calls.empty(); }, 10s)) << "the end was never reported";
    serveEventsFor(250ms);
    sound.setDelegate(nullptr);
    ASSERT_EQ(delegate.calls.size(), 1u);
    EXPECT_TRUE(delegate.calls[0].finished) << "ended without playing";
    const Heard heard = measure(recorder, started);
    EXPECT_GT(heard.rms, kAudible) << "nothing was heard";
    EXPECT_NEAR(heard.seconds, kSeconds, 0.15);
}

// A movie made from `path`, measured, then heard for its length to its end.
void expectMovieHeard(const std::string& path, const SinkRecorder& recorder, const std::string& what) {
    SCOPED_TRACE(what);
    GstMediaLibrary library;
    std::unique_ptr<Movie> movie = library.movieWithPath(path);
    ASSERT_NE(movie, nullptr) << "not read as a movie";
    EXPECT_NEAR(movie->duration(), kSeconds * 1000, 5);
    const auto started = SinkRecorder::Clock::now();
    movie->play();
    ASSERT_TRUE(movie->isPlaying());
    ASSERT_TRUE(waitUntil([&] { return !movie->isPlaying(); }, 10s)) << "the end was never noticed";
    serveEventsFor(250ms);
    const Heard heard = measure(recorder, started);
    EXPECT_GT(heard.rms, kAudible) << "nothing was heard";
    EXPECT_NEAR(heard.seconds * 1000.0, movie->duration(), 30.0) << "the length is not what is heard";
}

// Compressed AIFF-C is not read: it gives no movie, at once, and a sound of
// it ends once, unfinished, with a line in the log.
class CompressedAiffTest : public ::testing::TestWithParam<AiffFormat> {};

TEST_P(CompressedAiffTest, GivesAClearOutcome) {
    SoundFolder sounds;
    makeAiff(sounds.folder.file("Tone.aiff"), GetParam());
    GstMediaLibrary library;
    const auto asked = std::chrono::steady_clock::now();
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(library.movieWithPath(sounds.folder.file("Tone.aiff")), nullptr);
    EXPECT_LT(std::chrono::steady_clock::now() - asked, 3s);

    Sound* sound = sounds.find("Tone");
    ASSERT_NE(sound, nullptr);
    const RecordingDelegate& delegate = sounds.delegate;
    sound->play();
    EXPECT_TRUE(waitUntil([&] { return !delegate.calls.empty(); }, 10s));
    serveEventsFor(300ms);
    const std::string errors = ::testing::internal::GetCapturedStderr();
    ASSERT_EQ(delegate.calls.size(), 1u);
    EXPECT_FALSE(delegate.calls[0].finished);
    EXPECT_FALSE(sound->isPlaying());
    const std::vector<std::string> messages = loggedMessages(errors);
    EXPECT_FALSE(messages.empty());
    for (const std::string& message : messages)
        EXPECT_EQ(message.rfind("cannot play Tone.aiff: ", 0), 0u) << message;
}

const AiffFormat kCompressedFormats[] = {
    {"Ima4", "", "adpcm_ima_qt", 4, "ima4"},
    {"MuLaw", "", "pcm_mulaw", 8, "ulaw"},
};

INSTANTIATE_TEST_SUITE_P(Compressed, CompressedAiffTest, ::testing::ValuesIn(kCompressedFormats),
                         [](const auto& info) { return std::string(info.param.name); });

// Every format, one after another in one process, each a pipeline of its
// own: as a sound, played twice, and as a movie, named .aiff and .aif in
// turn.
TEST(AiffFormatsTest, AllAreHeardAsSoundsAndMoviesOneAfterAnother) {
    ScratchFolder folder;
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < std::size(kFormats); ++i) {
        paths.push_back(folder.file(std::string(kFormats[i].name) + (i % 2 ? ".aif" : ".aiff")));
        makeAiff(paths.back(), kFormats[i]);
    }
    SinkRecorder recorder;
    ASSERT_TRUE(recorder.start());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        std::unique_ptr<Sound> sound = makeSoundFromFile(paths[i], kFormats[i].name);
        for (const char* play : {" first play", " second play"})
            expectSoundHeard(*sound, recorder, std::string("sound ") + kFormats[i].name + play);
        expectMovieHeard(paths[i], recorder, std::string("movie ") + kFormats[i].name);
    }
}

} // namespace
} // namespace eggtimer::testing
