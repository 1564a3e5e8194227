// A file whose decoder is not installed: one line in the log, and the playing
// ends cleanly instead of hanging. The decoder is hidden by lowering its rank.

#include "platform/qt/GstMedia.h"
#include "platform/qt/GstSupport.h"
#include "tests/media/MediaFixtures.h"

#include <gst/gst.h>
#include <gtest/gtest.h>

namespace eggtimer::testing {
namespace {

using namespace std::chrono_literals;

// Hides one element from autoplugging for the life of the object.
class HiddenElement {
public:
    explicit HiddenElement(const char* name) {
        // GStreamer as the program starts it, so that its own ranks are set first.
        eggtimer::gst::start();
        feature = gst_registry_lookup_feature(gst_registry_get(), name);
        if (feature) {
            rank = gst_plugin_feature_get_rank(feature);
            gst_plugin_feature_set_rank(feature, GST_RANK_NONE);
        }
    }
    ~HiddenElement() {
        if (feature) {
            gst_plugin_feature_set_rank(feature, rank);
            gst_object_unref(feature);
        }
    }
    GstPluginFeature* feature = nullptr;
    guint rank = 0;
};

TEST(MissingPluginTest, AMovieThatCannotBeMeasuredIsNoneAndSaysWhyOnce) {
    ScratchFolder folder;
    makeToneFile(folder.file("song.mid"));
    HiddenElement synthesizer("fluiddec");
    ASSERT_TRUE(synthesizer.feature);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(GstMediaLibrary().movieWithPath(folder.file("song.mid")), nullptr);
    EXPECT_EQ(GstMediaLibrary().movieWithPath(folder.file("song.mid")), nullptr);
    const std::vector<std::string> messages = loggedMessages(::testing::internal::GetCapturedStderr());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("cannot play song.mid: ", 0), 0u) << messages[0];
    EXPECT_NE(messages[0].find("plug-in"), std::string::npos) << messages[0];
}

TEST(MissingPluginTest, AMovieWhoseVideoCannotBeDecodedIsStillHeard) {
    ScratchFolder folder;
    makeToneFile(folder.file("clip.mp4"));
    HiddenElement videoDecoder("avdec_mpeg4");
    ASSERT_TRUE(videoDecoder.feature);
    SinkRecorder recorder;
    ASSERT_TRUE(recorder.start());
    ::testing::internal::CaptureStderr();
    std::unique_ptr<Movie> movie = GstMediaLibrary().movieWithPath(folder.file("clip.mp4"));
    const Heard heard = movie ? playToTheEnd(*movie, recorder) : Heard{};
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    ASSERT_NE(movie, nullptr);
    EXPECT_GT(heard.rms, kAudible);
}

} // namespace
} // namespace eggtimer::testing
