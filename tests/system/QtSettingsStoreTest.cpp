#include "platform/system/QtSettingsStore.h"

#include "platform/system/Utf8.h"
#include "support/Wait.h"
#include "tests/support/CapturedStderr.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>

namespace eggtimer::test {
namespace {

using namespace std::chrono_literals;

namespace fs = std::filesystem;

// The value another process reads from the file: what really reached the disk.
std::optional<std::string> readElsewhere(const std::string& file, const std::string& key) {
    QProcess helper;
    helper.start(QStringLiteral(SETTINGS_READER), {fromUtf8(file), fromUtf8(key)});
    EXPECT_TRUE(helper.waitForFinished(60000));
    if (helper.exitCode() == 3)
        return std::nullopt;
    EXPECT_EQ(helper.exitCode(), 0) << helper.readAllStandardError().toStdString();
    const QByteArray out = helper.readAllStandardOutput();
    return std::string(out.constData(), size_t(out.size()));
}

// Runs first, before anything in this process has asked QSettings for the
// standard places. The file is the one users edit by hand: plain lines, and
// a system-wide value must not show through.
TEST(SettingsLocation, IsAReadableFileInTheXdgConfigFolder) {
    const std::string systemDir = std::string(std::getenv("EGGTIMER_SESSION_DIR")) + "/xdg-system";
    fs::create_directories(systemDir + "/eggtimer");
    writeFile(systemDir + "/eggtimer/eggtimer.conf", "[General]\ntargetSound=Glass\n");
    ::setenv("XDG_CONFIG_DIRS", systemDir.c_str(), 1);

    const std::string expected = std::string(std::getenv("XDG_CONFIG_HOME")) + "/eggtimer/eggtimer.conf";
    QtSettingsStore store;
    EXPECT_EQ(store.stringForKey("targetSound"), std::nullopt);
    store.setInteger("mode", 1);
    store.setString("targetMessage", "Tea is ready");
    ASSERT_TRUE(store.save());
    EXPECT_EQ(readFile(expected), "[General]\nmode=1\ntargetMessage=Tea is ready\n");
}

class SettingsStore : public ::testing::Test {
protected:
    test::ScratchFolder scratch;
    std::string file = scratch / "eggtimer.conf";
};

// The controller writes its thirteen keys in a burst: one save once the event
// loop runs, the rest when the store goes. Texts that our conversions could
// change come back byte for byte.
TEST_F(SettingsStore, ABurstIsSavedOnceTheLoopRunsAndTheRestWhenTheStoreGoes) {
    const std::vector<std::pair<std::string, std::string>> texts = {{"utf8", "caf\xc3\xa9 \xe2\x8f\xb0"},
                                                                    {"notUtf8", "\xff\xfe\x80 caf\xe9"},
                                                                    {"byteOrderMark", "\xef\xbb\xbfmark"}};
    {
        QtSettingsStore store(fromUtf8(file));
        for (const auto& [key, value] : texts)
            store.setString(key, value);
        store.setString("gone", "soon");
        EXPECT_FALSE(fs::exists(file)) << "saved before the burst was over";
        EXPECT_TRUE(test::waitUntil([&] { return fs::exists(file); }, 10s));
        store.setString("gone", std::nullopt); // nothing removes the key
        EXPECT_EQ(store.stringForKey("gone"), std::nullopt);
    }
    EXPECT_EQ(readElsewhere(file, "gone"), std::nullopt);
    for (const auto& [key, value] : texts)
        EXPECT_EQ(readElsewhere(file, key), value) << key;
}

// The controller writes every key at each start: values unchanged since the
// store last read or wrote the file cost no save, not even a stored message
// of a megabyte. Once the file has changed under it, every value is written
// again, as before.
TEST_F(SettingsStore, ValuesWrittenAgainUnchangedAreNotSavedAgainAndHandEditsAreKept) {
    const auto identity = [&] {
        struct stat info {};
        ::stat(file.c_str(), &info);
        return std::pair(info.st_ino, info.st_ctim.tv_sec * 1000000000LL + info.st_ctim.tv_nsec);
    };
    const std::string megabyte(1 << 20, 'm');
    QtSettingsStore store(fromUtf8(file));
    store.setString("targetMessage", megabyte);
    store.setInteger("mode", 1);
    store.setString("targetFilePath", std::nullopt);
    ASSERT_TRUE(store.save());
    const auto saved = identity();

    store.setString("targetMessage", megabyte);
    store.setInteger("mode", 1);
    store.setString("targetFilePath", std::nullopt);
    test::serveEventsFor(200ms);
    EXPECT_EQ(identity(), saved) << "saved again";

    // Edited by hand meanwhile, damaged too: the keys that can be read are read
    // (an unquoted comma makes a list, read as typed), and saving keeps them.
    writeFile(file, "[General]\nmode=2\ntargetSound=Glass, Bell\n=orphan\n\x01\xff[Gen\nx=\"open");
    store.setInteger("mode", 1);
    store.setString("targetMessage", megabyte);
    EXPECT_TRUE(store.save());
    EXPECT_EQ(store.stringForKey("targetSound"), "Glass, Bell");
    EXPECT_EQ(readElsewhere(file, "mode"), "1");
    EXPECT_EQ(readElsewhere(file, "targetSound"), "Glass, Bell") << "a readable key was lost on saving";
    EXPECT_TRUE(readElsewhere(file, "targetMessage") == megabyte) << "the message was not saved again";
}

// A full disk, played by a limit on the size of files this process writes
// (EFBIG past it, the signal being ignored).
struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, saved.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &saved); }
    rlimit saved{};
};

// A failed save keeps the old file whole, says so in one line and keeps the
// values for the next save.
TEST_F(SettingsStore, AFullDiskKeepsTheOldFileAndIsLoggedOnce) {
    QtSettingsStore store(fromUtf8(file));
    store.setString("targetMessage", "old");
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
        EXPECT_NE(captured.text().find(file), std::string::npos) << captured.text();
    }
    // Room again: what was waiting is saved, and a new failure would be told.
    EXPECT_TRUE(store.save());
    EXPECT_EQ(readElsewhere(file, "targetMessage"), megabyte);
    {
        FileSizeLimit full(64 * 1024); // enough for the captured log
        store.setInteger("mode", 3);
        EXPECT_FALSE(store.save());
    }
    EXPECT_EQ(captured.lines(), 2) << captured.text();
    EXPECT_EQ(std::distance(fs::directory_iterator(scratch.path()), fs::directory_iterator()), 1)
        << "temporary files were left behind";
}

} // namespace
} // namespace eggtimer::test
