// Opening a file with its default application through GIO. The default
// application is a recorder set up in this session's XDG folders: it writes
// down the arguments it was started with.

#include "platform/qt/QtDesktop.h"

#include "tests/desktop/Support.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>

namespace eggtimer {
namespace {

using namespace std::chrono_literals;

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

class OpenFile : public ::testing::Test {
protected:
    // Once: GIO keeps what it read of the applications for the process.
    static void SetUpTestSuite() {
        const std::string data = std::getenv("XDG_DATA_HOME");
        writeFile(data + "/recorder", "#!/bin/sh\nprintf '%s\\0' \"$@\" >>\"$0.calls\"\n");
        fs::permissions(data + "/recorder", fs::perms::owner_all);
        fs::create_directories(data + "/applications");
        writeFile(data + "/applications/eggtimer-test-recorder.desktop",
                  "[Desktop Entry]\nType=Application\nName=Recorder\nNoDisplay=true\nExec=" + data +
                      "/recorder %f\nMimeType=text/plain;\n");
        writeFile(std::string(std::getenv("XDG_CONFIG_HOME")) + "/mimeapps.list",
                  "[Default Applications]\ntext/plain=eggtimer-test-recorder.desktop\n");
    }
    void SetUp() override { fs::remove(calls); }
    // The arguments the recorder was started with, NUL after each.
    std::string recorded() const {
        std::string text;
        testing::waitUntil([&] { return !(text = readFile(calls)).empty(); }, 20s);
        return text;
    }

    test::ScratchFolder scratch;
    std::string calls = std::string(std::getenv("XDG_DATA_HOME")) + "/recorder.calls";
    QtDesktop desktop{[] { return nullptr; }, [] {}};
};

// Nothing in the name has a meaning: no shell, no URI, no field codes, and
// bytes that are not UTF-8 stay as they are.
TEST_F(OpenFile, OpensExactlyThatFileWithNoShell) {
    const std::string name = "-$(touch pwned) 'q\"`touch pwned`;%f 100%20% #?\n\xff\xfe.txt";
    const std::string path = scratch / name;
    writeFile(path, "some text\n");
    // Whatever a shell would run lands in the current folder.
    const fs::path previous = fs::current_path();
    fs::current_path(scratch.path());

    EXPECT_TRUE(desktop.openFile(path));
    EXPECT_EQ(recorded(), path + '\0') << "the default application was not started with just that file";
    fs::current_path(previous);
    EXPECT_FALSE(fs::exists(scratch / "pwned")) << "a shell ran part of the name";
    // The application is nobody's child here: no zombie is left behind.
    siginfo_t child{};
    EXPECT_EQ(::waitid(P_ALL, 0, &child, WEXITED | WNOHANG | WNOWAIT), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST_F(OpenFile, PathsThatNameNoFileOpenNothing) {
    writeFile(scratch / "real.txt", "text\n");
    EXPECT_FALSE(desktop.openFile(""));
    EXPECT_FALSE(desktop.openFile(scratch / "real.txt" + std::string("\0.gone", 6)));
    EXPECT_FALSE(desktop.openFile(scratch / "missing.txt"));
    // Something opened after them is the only call.
    EXPECT_TRUE(desktop.openFile(scratch / "real.txt"));
    EXPECT_EQ(recorded(), scratch / "real.txt" + '\0');
}

} // namespace
} // namespace eggtimer
