// A file whose decoder is not installed: one line in the log, and the playing
// ends cleanly instead of hanging. The decoder is hidden by lowering its rank.

#include "platform/gstreamer/GstMedia.h"
#include "platform/gstreamer/GstSupport.h"
#include "tests/gstreamer/MediaFixtures.h"

#include <gst/gst.h>
#include <gtest/gtest.h>

#include <regex>

namespace eggtimer::test {
namespace {

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
    EXPECT_EQ(GstMediaLibrary().movieWithPath(folder / "song.mid"), nullptr);
    EXPECT_EQ(GstMediaLibrary().movieWithPath(folder / "song.mid"), nullptr);
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(std::regex_match(errors, std::regex(".*\\]: cannot play song\\.mid: .*plug-in.*\n")))
        << errors;
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
