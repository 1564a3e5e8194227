// Media the program cannot play gives a clear outcome, never a hang: anything
// that is not a readable media file gives no movie, quickly; a file whose
// decoder is not installed (hidden here by lowering its rank) says so once in
// the log.

#include "platform/gstreamer/GstMedia.h"
#include "platform/mediafiles/GstSupport.h"
#include "tests/gstreamer/MediaFixtures.h"

#include <gst/gst.h>
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <regex>
#include <sys/stat.h>
#include <unistd.h>

namespace eggtimer::test {
namespace {

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
