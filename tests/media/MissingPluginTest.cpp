// A file whose decoder is not installed: one line in the log, and the playing
// ends cleanly instead of hanging. The decoder is hidden by lowering its rank.

#include "platform/qt/GstMedia.h"
#include "platform/qt/GstSupport.h"
#include "support/SinkRecorder.h"
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
    bool hidden() const { return feature != nullptr; }

private:
    GstPluginFeature* feature = nullptr;
    guint rank = 0;
};

TEST(MissingPluginTest, AMovieThatCannotBeMeasuredIsNoneAndSaysWhy) {
    ScratchFolder folder;
    makeToneFile(folder.file("song.mid"));
    HiddenElement synthesizer("fluiddec");
    ASSERT_TRUE(synthesizer.hidden());
    GstMediaLibrary library;

    ::testing::internal::CaptureStderr();
    EXPECT_EQ(library.movieWithPath(folder.file("song.mid")), nullptr);
    EXPECT_EQ(library.movieWithPath(folder.file("song.mid")), nullptr);
    const std::vector<std::string> messages = loggedMessages(::testing::internal::GetCapturedStderr());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("cannot play song.mid: ", 0), 0u) << messages[0];
    EXPECT_NE(messages[0].find("plug-in"), std::string::npos) << messages[0];
}

TEST(MissingPluginTest, AMovieWhoseVideoCannotBeDecodedIsStillHeard) {
    ScratchFolder folder;
    makeToneFile(folder.file("clip.mp4"));
    HiddenElement videoDecoder("avdec_mpeg4");
    ASSERT_TRUE(videoDecoder.hidden());
    SinkRecorder recorder;
    ASSERT_TRUE(recorder.start());
    GstMediaLibrary library;

    ::testing::internal::CaptureStderr();
    std::unique_ptr<Movie> movie = library.movieWithPath(folder.file("clip.mp4"));
    ASSERT_NE(movie, nullptr);
    const auto started = SinkRecorder::Clock::now();
    movie->play();
    EXPECT_TRUE(waitUntil([&] { return !movie->isPlaying(); }, 10s));
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(errors, "");
    const std::vector<float> samples = recorder.samplesSince(started);
    EXPECT_GT(SinkRecorder::rms(samples, 0, samples.size()), 0.02);
}

TEST(MissingPluginTest, ASoundReportsItsEndOnce) {
    SoundFolder sounds;
    makeToneFile(sounds.folder.file("Tone.aiff"));
    HiddenElement parser("aiffparse"), libavParser("avdemux_aiff");
    ASSERT_TRUE(parser.hidden());
    Sound* sound = sounds.find("Tone");
    ASSERT_NE(sound, nullptr);
    const RecordingDelegate& delegate = sounds.delegate;

    ::testing::internal::CaptureStderr();
    sound->play();
    EXPECT_TRUE(waitUntil([&] { return !delegate.calls.empty(); }, 10s));
    serveEventsFor(500ms);
    const std::vector<std::string> messages = loggedMessages(::testing::internal::GetCapturedStderr());
    ASSERT_EQ(delegate.calls.size(), 1u);
    EXPECT_FALSE(delegate.calls[0].finished);
    EXPECT_FALSE(sound->isPlaying());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("cannot play Tone.aiff: ", 0), 0u) << messages[0];
}

} // namespace
} // namespace eggtimer::testing
