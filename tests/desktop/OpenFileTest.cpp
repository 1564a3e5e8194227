// Opening files with their default application. The default application is
// a recorder set up in this session's XDG folders: it writes down the
// arguments it was started with.

#include "platform/qt/QtDesktop.h"

#include "tests/desktop/Support.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace eggtimer {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::ScratchFolder;
using test::waitFor;
using test::writeFile;

std::vector<std::string> splitNul(const std::string& bytes) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t end; (end = bytes.find('\0', start)) != std::string::npos; start = end + 1)
        parts.push_back(bytes.substr(start, end - start));
    return parts;
}

class OpenFile : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const std::string data = std::getenv("XDG_DATA_HOME");
        const std::string config = std::getenv("XDG_CONFIG_HOME");
        tools = new ScratchFolder;
        const std::string recorder = *tools / "recorder";
        writeFile(recorder, "#!/bin/sh\n"
                            "call=$(mktemp \"$EGGTIMER_RECORD_DIR/.call.XXXXXX\")\n"
                            "printf '%s\\0' \"$@\" >\"$call\"\n"
                            "mv \"$call\" \"$EGGTIMER_RECORD_DIR/call${call##*/.call}\"\n");
        fs::permissions(recorder, fs::perms::owner_all);
        fs::create_directories(data + "/applications");
        writeFile(data + "/applications/eggtimer-test-recorder.desktop",
                  "[Desktop Entry]\nType=Application\nName=Recorder\nNoDisplay=true\n"
                  "Exec=" +
                      recorder +
                      " %f\n"
                      "MimeType=text/plain;application/octet-stream;application/x-zerosize;\n");
        writeFile(config + "/mimeapps.list", "[Default Applications]\n"
                                             "text/plain=eggtimer-test-recorder.desktop\n"
                                             "application/octet-stream=eggtimer-test-recorder.desktop\n"
                                             "application/x-zerosize=eggtimer-test-recorder.desktop\n");
    }
    static void TearDownTestSuite() { delete tools; }

    void SetUp() override {
        fs::create_directory(records);
        ::setenv("EGGTIMER_RECORD_DIR", records.c_str(), 1);
        // Whatever a shell would run lands in the current folder.
        previous = fs::current_path();
        fs::current_path(scratch.path());
    }
    void TearDown() override { fs::current_path(previous); }

    std::vector<std::string> calls() const {
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(records))
            if (entry.path().filename().string().rfind("call", 0) == 0)
                found.push_back(entry.path());
        return found;
    }

    // The arguments of the one start of the recorder, once it has happened.
    std::optional<std::vector<std::string>> recordedCall() {
        if (!waitFor([&] { return !calls().empty(); }, 20))
            return std::nullopt;
        const auto found = calls();
        EXPECT_EQ(found.size(), 1u);
        return splitNul(readFile(found.front()));
    }

    inline static ScratchFolder* tools = nullptr;
    ScratchFolder scratch;
    std::string records = scratch / "records";
    fs::path previous;
    QtDesktop desktop{[] { return nullptr; }, [] {}};
};

class OpenAwkwardName : public OpenFile, public ::testing::WithParamInterface<const char*> {};

TEST_P(OpenAwkwardName, OpensExactlyThatFileWithNoShell) {
    fs::create_directory(scratch / "a folder");
    const std::string path = scratch / "a folder" + "/" + GetParam();
    writeFile(path, "some text\n");

    EXPECT_TRUE(desktop.openFile(path));
    const auto arguments = recordedCall();
    ASSERT_TRUE(arguments) << "the default application was not started";
    EXPECT_EQ(*arguments, std::vector<std::string>{path});

    // The application is nobody's child here: no zombie is left behind.
    siginfo_t child{};
    EXPECT_EQ(::waitid(P_ALL, 0, &child, WEXITED | WNOHANG | WNOWAIT), -1);
    EXPECT_EQ(errno, ECHILD);

    EXPECT_FALSE(fs::exists(scratch / "pwned")) << "a shell ran part of the name";
    EXPECT_FALSE(fs::exists(scratch / "a folder/pwned"));
}

INSTANTIATE_TEST_SUITE_P(Names, OpenAwkwardName,
                         ::testing::Values("plain.txt", "with  spaces .txt", "quote'\"s.txt",
                                           "$(touch pwned).txt", "`touch pwned`.txt", "a;touch pwned;b.txt",
                                           "-leading-dash.txt", "--help", "caf\xc3\xa9 \xe2\x8f\xb0.txt",
                                           "new\nline.txt", "100%20%.txt", "hash#and?query.txt",
                                           "\xff\xfe not utf-8.txt", "back\\slash.txt", "%f %u %F.txt",
                                           "file:x.txt", "~tilde"));

TEST_F(OpenFile, ADeletedFileOpensNothing) {
    const std::string gone = scratch / "gone.txt";
    writeFile(gone, "text\n");
    fs::remove(gone);
    EXPECT_FALSE(desktop.openFile(gone));

    // Something opened after it is the only call.
    const std::string sentinel = scratch / "sentinel.txt";
    writeFile(sentinel, "text\n");
    EXPECT_TRUE(desktop.openFile(sentinel));
    const auto arguments = recordedCall();
    ASSERT_TRUE(arguments);
    EXPECT_EQ(*arguments, std::vector<std::string>{sentinel});
}

TEST_F(OpenFile, PathsThatNameNoFileOpenNothing) {
    writeFile(scratch / "real.txt", "text\n");
    EXPECT_FALSE(desktop.openFile(""));
    EXPECT_FALSE(desktop.openFile(scratch / "real.txt" + std::string("\0.gone", 6)));
    EXPECT_FALSE(desktop.openFile(scratch / "missing/real.txt"));
    const std::string sentinel = scratch / "sentinel.txt";
    writeFile(sentinel, "text\n");
    EXPECT_TRUE(desktop.openFile(sentinel));
    const auto arguments = recordedCall();
    ASSERT_TRUE(arguments);
    EXPECT_EQ(*arguments, std::vector<std::string>{sentinel});
}

} // namespace
} // namespace eggtimer
