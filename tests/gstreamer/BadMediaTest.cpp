// Anything that is not a readable media file gives no movie, quickly, and
// nothing ever blocks on it.

#include "platform/gstreamer/GstMedia.h"
#include "tests/gstreamer/MediaFixtures.h"

#include <gtest/gtest.h>

#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace eggtimer::test {
namespace {

TEST(BadMediaTest, GivesNoMovieAndReturnsPromptly) {
    ScratchFolder f;
    writeFile(f / "empty.mp3", "");
    // Cut short: an MP4 without its index (ffmpeg writes it at the end).
    makeToneFile(f / "good.mp4");
    ASSERT_TRUE(run("head -c 4000 " + f / "good.mp4" + " > " + f / "cut.mp4"));
    std::mt19937 generator(20240229);
    std::string noise(64 * 1024, '\0');
    std::generate(noise.begin(), noise.end(), [&] { return static_cast<char>(generator()); });
    writeFile(f / "noise.mp3", noise);
    ASSERT_EQ(::mkdir((f / "album.mp3").c_str(), 0755), 0);
    ASSERT_EQ(::symlink((f / "nowhere.mp3").c_str(), (f / "link.mp3").c_str()), 0);
    ASSERT_EQ(::mkfifo((f / "pipe.mp3").c_str(), 0644), 0);
    ASSERT_EQ(::chmod((f / "good.mp4").c_str(), 0), 0);

    std::vector<std::string> paths{f / "empty.mp3", f / "cut.mp4",  f / "noise.mp3", f / "album.mp3",
                                   f / "link.mp3",  f / "pipe.mp3", "/dev/zero",     ""};
    if (::geteuid() != 0) // root reads a file whatever its mode
        paths.push_back(f / "good.mp4");
    for (const std::string& path : paths) {
        const auto before = std::chrono::steady_clock::now();
        EXPECT_EQ(GstMediaLibrary().movieWithPath(path), nullptr) << path;
        // Generous: the discoverer's own limit is two seconds.
        EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(5)) << path;
    }
}

} // namespace
} // namespace eggtimer::test
