#include "platform/qt/QtSettingsStore.h"

#include "tests/desktop/Support.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <random>
#include <sys/resource.h>
#include <unistd.h>

namespace eggtimer {
namespace {

namespace fs = std::filesystem;
using test::CapturedStderr;
using test::q;
using test::readFile;
using test::ScratchFolder;
using test::waitFor;
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

template <size_t N> std::string bytes(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}

int countLines(const std::string& text) {
    return int(std::count(text.begin(), text.end(), '\n'));
}

// Runs first, before anything in this process has asked QSettings for the
// standard places.
TEST(SettingsLocation, IsTheProgramsFileInTheXdgConfigFolder) {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    ASSERT_NE(config, nullptr) << "run through with-session.sh";
    // A system-wide value must not show through.
    const std::string systemDir = std::string(std::getenv("EGGTIMER_SESSION_DIR")) + "/xdg-system";
    fs::create_directories(systemDir + "/eggtimer");
    writeFile(systemDir + "/eggtimer/eggtimer.conf", "[General]\nmode=2\ntargetSound=Glass\n");
    writeFile(systemDir + "/eggtimer.conf", "[General]\nmode=2\ntargetSound=Glass\n");
    ::setenv("XDG_CONFIG_DIRS", systemDir.c_str(), 1);

    const std::string expected = std::string(config) + "/eggtimer/eggtimer.conf";
    {
        QtSettingsStore store;
        EXPECT_EQ(store.fileName(), q(expected));
        EXPECT_EQ(store.stringForKey("targetSound"), std::nullopt);
        store.setInteger("mode", 1);
        EXPECT_TRUE(store.save());
    }
    EXPECT_EQ(readElsewhere(expected, "mode"), "1");
    EXPECT_EQ(readElsewhere(expected, "targetSound"), std::nullopt);
}

class SettingsStore : public ::testing::Test {
protected:
    ScratchFolder scratch;
    std::string file = scratch / "eggtimer.conf";
};

struct TextCase {
    const char* name;
    std::string value;
};

class SettingsText : public SettingsStore, public ::testing::WithParamInterface<TextCase> {};

TEST_P(SettingsText, RoundTripsExactly) {
    const std::string& value = GetParam().value;
    {
        QtSettingsStore store(q(file));
        store.setString("targetMessage", value);
        store.setString("modeDhmDay", "after");
        EXPECT_EQ(store.stringForKey("targetMessage"), value);
        ASSERT_TRUE(store.save());
    }
    EXPECT_EQ(readElsewhere(file, "targetMessage"), value);
    EXPECT_EQ(readElsewhere(file, "modeDhmDay"), "after") << "the value spilled into the next key";
}

std::string megabyteOfText() {
    std::string text;
    const std::string piece = "Tea is ready = 100% [ok]; #1 \"q\" \\ \xc3\xa9\n";
    while (text.size() < 1024 * 1024)
        text += piece;
    return text;
}

INSTANTIATE_TEST_SUITE_P(
    Values, SettingsText,
    ::testing::Values(
        TextCase{"Empty", ""}, TextCase{"Plain", "Tea is ready"},
        TextCase{"Newlines", "line 1\nline 2\r\nline 3\n"}, TextCase{"Percent", "100% %@ %n %s %d"},
        TextCase{"IniSyntax", "a=b;c#d[e]f"}, TextCase{"SectionInjection", "x\n[General]\nmode=7\n"},
        TextCase{"Quotes", "\"double\" 'single' \""}, TextCase{"Backslashes", "C:\\new\\\\ \\n \\x41"},
        TextCase{"OuterSpaces", "  spaced  "}, TextCase{"Commas", "a, b,c"},
        TextCase{"QtMarkers", "@Variant(\\0\\0\\0\\x7f) @ByteArray(x) @Invalid()"},
        TextCase{"LeadingAt", "@"}, TextCase{"LooksLikeOtherTypes", "true"},
        TextCase{"NonAscii", "caf\xc3\xa9 \xe2\x8f\xb0 \xe6\x97\xa5\xe6\x9c\xac \xf0\x9f\xa5\x9a"},
        TextCase{"ByteOrderMark", "\xef\xbb\xbfmark"}, TextCase{"InnerByteOrderMark", "in\xef\xbb\xbfside"},
        TextCase{"Controls", bytes("tab\there \x01\x1f\x7f nul\0end")},
        TextCase{"InvalidUtf8", "\xff\xfe\x80 latin1 caf\xe9"}, TextCase{"Megabyte", megabyteOfText()}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsStore, IntegersComeBackAsDecimalText) {
    const std::vector<std::pair<int, std::string>> cases = {
        {0, "0"}, {2, "2"}, {-1, "-1"}, {INT_MAX, "2147483647"}, {INT_MIN, "-2147483648"}};
    {
        QtSettingsStore store(q(file));
        for (const auto& [value, text] : cases) {
            store.setInteger("key" + text, value);
            EXPECT_EQ(store.stringForKey("key" + text), text);
        }
        ASSERT_TRUE(store.save());
    }
    for (const auto& [value, text] : cases)
        EXPECT_EQ(readElsewhere(file, "key" + text), text);
}

TEST_F(SettingsStore, NothingRemovesTheKey) {
    {
        QtSettingsStore store(q(file));
        store.setString("targetFilePath", "/home/me/a.txt");
        store.setInteger("mode", 1);
        ASSERT_TRUE(store.save());
        store.setString("targetFilePath", std::nullopt);
        store.setString("targetMusicPath", std::nullopt); // never set: no harm
        EXPECT_EQ(store.stringForKey("targetFilePath"), std::nullopt);
        ASSERT_TRUE(store.save());
    }
    EXPECT_EQ(readElsewhere(file, "targetFilePath"), std::nullopt);
    EXPECT_EQ(readElsewhere(file, "mode"), "1");
}

TEST_F(SettingsStore, ALaterWriteReplacesTheKindToo) {
    QtSettingsStore store(q(file));
    store.setInteger("mode", 2);
    store.setString("mode", "two");
    EXPECT_EQ(store.stringForKey("mode"), "two");
    store.setInteger("mode", 3);
    EXPECT_EQ(store.stringForKey("mode"), "3");
}

TEST_F(SettingsStore, WritesReachTheFileOnceTheEventLoopRuns) {
    QtSettingsStore store(q(file));
    for (int i = 0; i < 13; ++i)
        store.setString("key" + std::to_string(i), std::to_string(i));
    EXPECT_FALSE(fs::exists(file)) << "saved before the burst was over";
    EXPECT_TRUE(waitFor([&] { return fs::exists(file); }));
    EXPECT_EQ(readElsewhere(file, "key12"), "12");
}

TEST_F(SettingsStore, UnsavedWritesAreSavedWhenTheStoreGoes) {
    {
        QtSettingsStore store(q(file));
        store.setString("targetMessage", "bye");
    }
    EXPECT_EQ(readElsewhere(file, "targetMessage"), "bye");
}

// Save failures: the old file stays whole and one line says so.

TEST_F(SettingsStore, AFolderThatCannotBeMadeFailsOnceOnTheLog) {
    writeFile(scratch / "blocker", "a file where the folder should be");
    CapturedStderr captured;
    QtSettingsStore store(q(scratch / "blocker/eggtimer.conf"));
    store.setInteger("mode", 1);
    EXPECT_TRUE(waitFor([&] { return !captured.text().empty(); })) << "the scheduled save reported nothing";
    EXPECT_FALSE(store.save());
    store.setInteger("mode", 2);
    EXPECT_FALSE(store.save());
    const std::string log = captured.text();
    EXPECT_EQ(countLines(log), 1) << log;
    EXPECT_NE(log.find("blocker/eggtimer.conf"), std::string::npos) << log;
    EXPECT_EQ(store.stringForKey("mode"), "2") << "the values stay in memory";
}

TEST_F(SettingsStore, AReadOnlyFolderKeepsTheOldFile) {
    fs::create_directory(scratch / "config");
    const std::string conf = scratch / "config/eggtimer.conf";
    {
        QtSettingsStore store(q(conf));
        store.setString("targetMessage", "old");
        ASSERT_TRUE(store.save());
    }
    const std::string before = readFile(conf);
    fs::permissions(scratch / "config", fs::perms::owner_read | fs::perms::owner_exec);
    if (::access((scratch / "config").c_str(), W_OK) == 0)
        GTEST_SKIP() << "permissions do not apply to this user (root)";
    CapturedStderr captured;
    QtSettingsStore store(q(conf));
    store.setString("targetMessage", "new");
    EXPECT_FALSE(store.save());
    EXPECT_EQ(readFile(conf), before);
    EXPECT_EQ(countLines(captured.text()), 1);
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

    CapturedStderr captured;
    {
        FileSizeLimit full(before.size() + 1000);
        store.setString("targetMessage", megabyteOfText());
        EXPECT_FALSE(store.save());
        store.setInteger("mode", 2);
        EXPECT_FALSE(store.save());
        EXPECT_EQ(readFile(file), before) << "the old file was damaged";
        EXPECT_EQ(countLines(captured.text()), 1) << captured.text();
    }
    // Room again: what was waiting is saved, and a new failure would be told.
    EXPECT_TRUE(store.save());
    EXPECT_EQ(readElsewhere(file, "mode"), "2");
    EXPECT_EQ(readElsewhere(file, "targetMessage"), megabyteOfText());
    {
        FileSizeLimit full(64 * 1024); // enough for the captured log
        store.setInteger("mode", 3);
        EXPECT_FALSE(store.save());
    }
    EXPECT_EQ(countLines(captured.text()), 2) << captured.text();
    for (const char* name : {"eggtimer.conf"})
        EXPECT_TRUE(fs::exists(scratch / name));
    size_t leftovers = 0;
    for (const auto& entry : fs::directory_iterator(scratch.path()))
        leftovers += entry.path().filename() != "eggtimer.conf";
    EXPECT_EQ(leftovers, 0u) << "temporary or lock files were left behind";
}

// Damaged or odd settings files: every key that can be read is read, and
// nothing crashes.

struct DamagedCase {
    const char* name;
    std::string contents;
    std::optional<std::string> mode; // what "mode" reads as
};

// Random bytes; without quotes when `quotes` is false, since in this format
// an open quote runs on to the next quote, across lines.
std::string garbage(size_t size, unsigned seed, bool quotes = true) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes) {
        do
            byte = char(random() & 0xff);
        while (!quotes && byte == '"');
    }
    return bytes;
}

class DamagedSettings : public SettingsStore, public ::testing::WithParamInterface<DamagedCase> {};

TEST_P(DamagedSettings, KeysThatCanBeReadAreRead) {
    writeFile(file, GetParam().contents);
    QtSettingsStore store(q(file));
    EXPECT_EQ(store.stringForKey("mode"), GetParam().mode);
    store.stringForKey("targetMessage"); // whatever it reads, it must not crash
    store.setString("targetSound", "Glass");
    EXPECT_TRUE(store.save());
    EXPECT_EQ(readElsewhere(file, "targetSound"), "Glass");
    EXPECT_EQ(readElsewhere(file, "mode"), GetParam().mode) << "a readable key was lost on saving";
}

INSTANTIATE_TEST_SUITE_P(
    Files, DamagedSettings,
    ::testing::Values(
        DamagedCase{"Empty", "", std::nullopt}, DamagedCase{"NoSection", "mode=1\n", "1"},
        DamagedCase{"NoFinalNewline", "[General]\nmode=1", "1"},
        DamagedCase{"TruncatedInAValue", "[General]\nmode=1\ntargetMessage=\"unterminated", "1"},
        DamagedCase{"TruncatedInASection", "[General]\nmode=1\n[Gen", "1"},
        DamagedCase{"GarbageAfter", "[General]\nmode=1\n" + garbage(4096, 1), "1"},
        DamagedCase{"GarbageBefore", garbage(4096, 2, false) + "\n[General]\nmode=1\n", "1"},
        DamagedCase{"OnlyGarbage", garbage(65536, 3), std::nullopt},
        DamagedCase{"NulBytes", bytes("[General]\nmode=1\nx=\0\0\0\n"), "1"},
        DamagedCase{"BrokenEscapes", "[General]\nmode=1\ntargetMessage=\\x\\u12\\\n", "1"},
        DamagedCase{"BrokenVariant", "[General]\nmode=1\ntargetMessage=@Variant(\\0\\0)\n", "1"},
        DamagedCase{"CommaList", "[General]\nmode=1, 2\n", "1, 2"},
        DamagedCase{"CrLf", "[General]\r\nmode=1\r\n", "1"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsStore, AFiftyMegabyteFileIsRead) {
    std::string contents = "[General]\nmode=1\ntargetMessage=";
    contents.append(50u << 20, 'x');
    contents += "\nmodeDhmDay=3\n";
    writeFile(file, contents);
    const auto start = std::chrono::steady_clock::now();
    QtSettingsStore store(q(file));
    EXPECT_EQ(store.stringForKey("mode"), "1");
    EXPECT_EQ(store.stringForKey("modeDhmDay"), "3");
    EXPECT_EQ(store.stringForKey("targetMessage").value_or("").size(), 50u << 20);
    const auto elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start);
    std::cout << "[ measure  ] reading a 50 MB settings file took " << elapsed.count() << " s\n";
}

TEST_F(SettingsStore, ADirectoryInPlaceOfTheFileReadsAsEmptyAndFailsToSave) {
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
    EXPECT_EQ(countLines(captured.text()), 1) << captured.text();
}

TEST_F(SettingsStore, AnUnreadableFileIsNeitherReadNorOverwritten) {
    writeFile(file, "[General]\nmode=1\n");
    fs::permissions(file, fs::perms::none);
    if (::access(file.c_str(), R_OK) == 0)
        GTEST_SKIP() << "permissions do not apply to this user (root)";
    CapturedStderr captured;
    QtSettingsStore store(q(file));
    EXPECT_EQ(store.stringForKey("mode"), std::nullopt);
    store.setInteger("mode", 2);
    EXPECT_FALSE(store.save());
    fs::permissions(file, fs::perms::owner_read);
    EXPECT_EQ(readFile(file), "[General]\nmode=1\n");
}

TEST_F(SettingsStore, TwoProgramsWritingAtOnceLoseNothing) {
    constexpr int kWrites = 60;
    QProcess first, second;
    for (auto [process, prefix] : {std::pair{&first, "first"}, std::pair{&second, "second"}})
        process->start(QStringLiteral(DESKTOP_HELPER),
                       {QStringLiteral("write-settings"), q(file), QString::fromLatin1(prefix),
                        QString::number(kWrites)});
    ASSERT_TRUE(first.waitForFinished(120000));
    ASSERT_TRUE(second.waitForFinished(120000));
    EXPECT_EQ(first.exitCode(), 0) << first.readAllStandardError().toStdString();
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();

    QtSettingsStore store(q(file));
    for (const std::string prefix : {"first", "second"})
        for (int i = 0; i < kWrites; ++i)
            EXPECT_EQ(store.stringForKey(prefix + std::to_string(i)), prefix + " value " + std::to_string(i));
    const auto shared = store.stringForKey("shared");
    EXPECT_TRUE(shared == "first" + std::to_string(kWrites - 1) ||
                shared == "second" + std::to_string(kWrites - 1))
        << shared.value_or("(none)");
    EXPECT_FALSE(fs::exists(file + ".lock"));
}

} // namespace
} // namespace eggtimer
