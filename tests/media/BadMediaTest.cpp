// Anything that is not a readable media file gives no movie, quickly, and
// nothing ever blocks on it.

#include "platform/qt/GstMedia.h"
#include "tests/media/MediaFixtures.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace eggtimer::testing {
namespace {

struct BadMediaRow {
    const char* label;
    // Makes the bad file in the folder and gives its path.
    std::string (*make)(const ScratchFolder& folder);
};

std::string truncatedCopy(const ScratchFolder& folder, const char* extension, std::size_t keep) {
    const std::string good = folder.file(std::string("good.") + extension);
    makeToneFile(good);
    const std::string bad = folder.file(std::string("truncated.") + extension);
    EXPECT_TRUE(run("head -c " + std::to_string(keep) + " '" + good + "' > '" + bad + "'"));
    return bad;
}

const BadMediaRow kBadMedia[] = {
    {"Empty",
     [](const ScratchFolder& f) {
         writeFile(f.file("empty.mp3"), "");
         return f.file("empty.mp3");
     }},
    {"TruncatedAiffHeader", [](const ScratchFolder& f) { return truncatedCopy(f, "aiff", 20); }},
    // ffmpeg writes the index of an MP4 at its end: the first half has none.
    {"Mp4WithoutItsIndex", [](const ScratchFolder& f) { return truncatedCopy(f, "mp4", 4000); }},
    {"RandomBytes",
     [](const ScratchFolder& f) {
         std::mt19937 generator(20240229);
         std::string bytes(64 * 1024, '\0');
         for (char& byte : bytes)
             byte = static_cast<char>(generator() & 0xff);
         writeFile(f.file("noise.mp3"), bytes);
         return f.file("noise.mp3");
     }},
    {"TextNamedLikeMusic",
     [](const ScratchFolder& f) {
         std::string text;
         for (int line = 0; line < 200; ++line)
             text += "This is a shopping list, not a song. Eggs, flour, milk.\n";
         writeFile(f.file("list.m4a"), text);
         return f.file("list.m4a");
     }},
    {"Deleted",
     [](const ScratchFolder& f) {
         makeToneFile(f.file("gone.mp3"));
         ::unlink(f.file("gone.mp3").c_str());
         return f.file("gone.mp3");
     }},
    {"Directory",
     [](const ScratchFolder& f) {
         ::mkdir(f.file("album.mp3").c_str(), 0755);
         return f.file("album.mp3");
     }},
    {"DanglingLink",
     [](const ScratchFolder& f) {
         EXPECT_EQ(::symlink(f.file("nowhere.mp3").c_str(), f.file("link.mp3").c_str()), 0);
         return f.file("link.mp3");
     }},
    {"NamedPipe",
     [](const ScratchFolder& f) {
         EXPECT_EQ(::mkfifo(f.file("pipe.mp3").c_str(), 0644), 0);
         return f.file("pipe.mp3");
     }},
    {"DeviceNode", [](const ScratchFolder&) { return std::string("/dev/zero"); }},
    {"EmptyPath", [](const ScratchFolder&) { return std::string(); }},
};

class BadMediaTest : public ::testing::TestWithParam<BadMediaRow> {};

TEST_P(BadMediaTest, GivesNoMovieAndReturnsPromptly) {
    ScratchFolder folder;
    const std::string path = GetParam().make(folder);
    GstMediaLibrary library;
    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(library.movieWithPath(path), nullptr) << path;
    // Generous: the discoverer's own limit is two seconds.
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(5));
}

INSTANTIATE_TEST_SUITE_P(Kinds, BadMediaTest, ::testing::ValuesIn(kBadMedia),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(UnreadableMediaTest, GivesNoMovie) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads a file whatever its mode";
    ScratchFolder folder;
    const std::string path = folder.file("locked.mp3");
    makeToneFile(path);
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    GstMediaLibrary library;
    EXPECT_EQ(library.movieWithPath(path), nullptr);
}

} // namespace
} // namespace eggtimer::testing
