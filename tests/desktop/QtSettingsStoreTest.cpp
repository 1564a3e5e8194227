#include "platform/qt/QtSettingsStore.h"

#include "tests/desktop/Support.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <filesystem>
#include <sys/resource.h>

namespace eggtimer {
namespace {

using namespace std::chrono_literals;

namespace fs = std::filesystem;
using test::CapturedStderr;
using test::q;
using test::readFile;
using test::ScratchFolder;
using test::writeFile;

// The value another process reads from the file: what really reached the disk.
std::optional<std::string> readElsewhere(const std::string& file, const std::string& key) {
    QProcess helper;
    helper.start(QStringLiteral(DESKTOP_HELPER), {QStringLiteral("read-setting"), q(file), q(key)});
    EXPECT_TRUE(helper.waitForFinished(60000));
    if (helper.exitCode() == 3)
        return std::nullopt;
    EXPECT_EQ(helper.exitCode(), 0) << helper.readAllStandardError().toStdString();
    const QByteArray out = helper.readAllStandardOutput();
    return std::string(out.constData(), size_t(out.size()));
}

// Runs first, before anything in this process has asked QSettings for the
// standard places. The file is the one users edit by hand: plain lines.
TEST(SettingsLocation, IsAReadableFileInTheXdgConfigFolder) {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    ASSERT_NE(config, nullptr) << "run through with-session.sh";
    // A system-wide value must not show through.
    const std::string systemDir = std::string(std::getenv("EGGTIMER_SESSION_DIR")) + "/xdg-system";
    fs::create_directories(systemDir + "/eggtimer");
    writeFile(systemDir + "/eggtimer/eggtimer.conf", "[General]\ntargetSound=Glass\n");
    test::ScopedEnv systemConfig("XDG_CONFIG_DIRS", systemDir.c_str());

    const std::string expected = std::string(config) + "/eggtimer/eggtimer.conf";
    QtSettingsStore store;
    EXPECT_EQ(store.fileName(), q(expected));
    EXPECT_EQ(store.stringForKey("targetSound"), std::nullopt);
    store.setInteger("mode", 1);
    store.setString("targetMessage", "Tea is ready");
    ASSERT_TRUE(store.save());
    EXPECT_EQ(readFile(expected), "[General]\nmode=1\ntargetMessage=Tea is ready\n");
}

class SettingsStore : public ::testing::Test {
protected:
    ScratchFolder scratch;
    std::string file = scratch / "eggtimer.conf";
};

// Texts our conversions could change and integers: every value comes back
// byte for byte, integers as their decimal text.
TEST_F(SettingsStore, ValuesRoundTripExactly) {
    using namespace std::string_literals;
    const std::vector<std::pair<std::string, std::string>> texts = {
        {"empty", ""},
        {"utf8", "caf\xc3\xa9 \xe2\x8f\xb0 nul\0end"s},
        {"notUtf8", "\xff\xfe\x80 latin1 caf\xe9"},
        {"byteOrderMark", "\xef\xbb\xbfmark"},
    };
    const std::vector<std::pair<int, std::string>> integers = {
        {0, "0"}, {-1, "-1"}, {INT_MAX, "2147483647"}, {INT_MIN, "-2147483648"}};
    {
        QtSettingsStore store(q(file));
        for (const auto& [key, value] : texts)
            store.setString(key, value);
        for (const auto& [value, text] : integers) {
            store.setString("int" + text, "text");
            store.setInteger("int" + text, value); // replaces the text
        }
        ASSERT_TRUE(store.save());
    }
    for (const auto& [key, value] : texts)
        EXPECT_EQ(readElsewhere(file, key), value) << key;
    for (const auto& [value, text] : integers)
        EXPECT_EQ(readElsewhere(file, "int" + text), text);
}

// The controller writes its thirteen keys in a burst.
TEST_F(SettingsStore, ABurstIsSavedOnceTheEventLoopRunsAndTheRestWhenTheStoreGoes) {
    {
        QtSettingsStore store(q(file));
        for (int i = 0; i < 13; ++i)
            store.setString("key" + std::to_string(i), std::to_string(i));
        EXPECT_FALSE(fs::exists(file)) << "saved before the burst was over";
        EXPECT_TRUE(testing::waitUntil([&] { return fs::exists(file); }, 10s));
        EXPECT_EQ(readElsewhere(file, "key12"), "12");
        store.setString("key12", std::nullopt); // nothing removes the key
        EXPECT_EQ(store.stringForKey("key12"), std::nullopt);
    }
    EXPECT_EQ(readElsewhere(file, "key12"), std::nullopt);
    EXPECT_EQ(readElsewhere(file, "key11"), "11");
}

// Save failures: the old file stays whole and one line says so.

TEST_F(SettingsStore, AFolderThatCannotBeMadeFailsOnceOnTheLog) {
    writeFile(scratch / "blocker", "a file where the folder should be");
    CapturedStderr captured;
    QtSettingsStore store(q(scratch / "blocker/eggtimer.conf"));
    store.setInteger("mode", 1);
    EXPECT_TRUE(testing::waitUntil([&] { return !captured.text().empty(); }, 10s))
        << "the scheduled save reported nothing";
    EXPECT_FALSE(store.save());
    store.setInteger("mode", 2);
    EXPECT_FALSE(store.save());
    EXPECT_EQ(captured.lines(), 1) << captured.text();
    EXPECT_NE(captured.text().find("blocker/eggtimer.conf"), std::string::npos) << captured.text();
    EXPECT_EQ(store.stringForKey("mode"), "2") << "the values stay in memory";
}

// A full disk, played by a limit on the size of files this process writes.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved);
        oldHandler = std::signal(SIGXFSZ, SIG_IGN); // EFBIG instead of a signal
        rlimit limit = saved;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
    }

private:
    rlimit saved{};
    void (*oldHandler)(int) = nullptr;
};

TEST_F(SettingsStore, AFullDiskKeepsTheOldFileAndIsLoggedOnce) {
    QtSettingsStore store(q(file));
    store.setString("targetMessage", "old");
    store.setInteger("mode", 1);
    ASSERT_TRUE(store.save());
    const std::string before = readFile(file);
    const std::string megabyte(1 << 20, 'm');

    CapturedStderr captured;
    {
        FileSizeLimit full(before.size() + 1000);
        store.setString("targetMessage", megabyte);
        EXPECT_FALSE(store.save());
        store.setInteger("mode", 2);
        EXPECT_FALSE(store.save());
        EXPECT_EQ(readFile(file), before) << "the old file was damaged";
        EXPECT_EQ(captured.lines(), 1) << captured.text();
    }
    // Room again: what was waiting is saved, and a new failure would be told.
    EXPECT_TRUE(store.save());
    EXPECT_EQ(readElsewhere(file, "mode"), "2");
    EXPECT_EQ(readElsewhere(file, "targetMessage"), megabyte);
    {
        FileSizeLimit full(64 * 1024); // enough for the captured log
        store.setInteger("mode", 3);
        EXPECT_FALSE(store.save());
    }
    EXPECT_EQ(captured.lines(), 2) << captured.text();
    std::vector<fs::path> left;
    for (const auto& entry : fs::directory_iterator(scratch.path()))
        left.push_back(entry.path().filename());
    EXPECT_EQ(left, std::vector<fs::path>{"eggtimer.conf"}) << "temporary or lock files were left behind";
}

// A damaged file: the keys that can be read are read, and saving keeps them.
struct DamagedCase {
    const char* name;
    std::string contents;
    std::string mode; // what "mode" reads as
};

class DamagedSettings : public SettingsStore, public ::testing::WithParamInterface<DamagedCase> {};

TEST_P(DamagedSettings, KeysThatCanBeReadAreReadAndKept) {
    writeFile(file, GetParam().contents);
    QtSettingsStore store(q(file));
    EXPECT_EQ(store.stringForKey("mode"), GetParam().mode);
    store.setString("targetSound", "Glass");
    EXPECT_TRUE(store.save());
    EXPECT_EQ(readElsewhere(file, "targetSound"), "Glass");
    EXPECT_EQ(readElsewhere(file, "mode"), GetParam().mode) << "a readable key was lost on saving";
}

INSTANTIATE_TEST_SUITE_P(
    Files, DamagedSettings,
    ::testing::Values(DamagedCase{"Garbage", "[General]\nmode=1\n=orphan\n\x01\xff[Gen\ntargetMessage=\"open",
                                  "1"},
                      // An unquoted comma, as typed by hand.
                      DamagedCase{"CommaList", "[General]\nmode=1, 2\n", "1, 2"}),
    [](const auto& info) { return std::string(info.param.name); });

// Neither read nor replaced, and the failure is told.
TEST_F(SettingsStore, AFolderInPlaceOfTheFileIsKept) {
    fs::create_directory(file);
    writeFile(scratch / "eggtimer.conf/inside", "keep");
    CapturedStderr captured;
    {
        QtSettingsStore store(q(file));
        EXPECT_EQ(store.stringForKey("mode"), std::nullopt);
        store.setInteger("mode", 1);
        EXPECT_FALSE(store.save());
    }
    EXPECT_EQ(readFile(scratch / "eggtimer.conf/inside"), "keep");
    EXPECT_EQ(captured.lines(), 1) << captured.text();
}

} // namespace
} // namespace eggtimer
