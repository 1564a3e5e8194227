// Opening a file with its default application through GIO. The default
// application is a recorder set up in this session's XDG folders: it writes
// down the arguments it was started with.

#include "platform/desktop/QtDesktop.h"

#include "support/Wait.h"
#include "tests/support/CapturedStderr.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>

namespace eggtimer::test {
namespace {

using namespace std::chrono_literals;

namespace fs = std::filesystem;

// Nothing in the name has a meaning: no shell, no URI, no field codes, and
// bytes that are not UTF-8 stay as they are. Paths that name no file open
// nothing.
TEST(OpenFile, OpensExactlyThatFileWithNoShell) {
    const std::string data = std::getenv("XDG_DATA_HOME"), calls = data + "/recorder.calls";
    writeFile(data + "/recorder", "#!/bin/sh\nprintf '%s\\0' \"$@\" >>\"$0.calls\"\n");
    fs::permissions(data + "/recorder", fs::perms::owner_all);
    fs::create_directories(data + "/applications");
    writeFile(data + "/applications/eggtimer-test-recorder.desktop",
              "[Desktop Entry]\nType=Application\nName=Recorder\nNoDisplay=true\nExec=" + data +
                  "/recorder %f\nMimeType=text/plain;\n");
    writeFile(std::string(std::getenv("XDG_CONFIG_HOME")) + "/mimeapps.list",
              "[Default Applications]\ntext/plain=eggtimer-test-recorder.desktop\n");
    test::ScratchFolder scratch;
    const std::string path = scratch / "-$(touch pwned) 'q\"`touch pwned`;%f 100%20% #?\n\xff\xfe.txt";
    writeFile(path, "some text\n");
    QtDesktop desktop{[] { return nullptr; }, [] {}};
    EXPECT_FALSE(desktop.openFile(""));
    EXPECT_FALSE(desktop.openFile(path + std::string("\0.gone", 6)));
    EXPECT_FALSE(desktop.openFile(scratch / "missing.txt"));
    // Whatever a shell would run lands in the current folder.
    const fs::path previous = fs::current_path();
    fs::current_path(scratch.path());

    EXPECT_TRUE(desktop.openFile(path));
    // The arguments the recorder was started with, NUL after each.
    std::string recorded;
    test::waitUntil([&] { return !(recorded = readFile(calls)).empty(); }, 20s);
    EXPECT_EQ(recorded, path + '\0') << "the default application was not started with just that file";
    fs::current_path(previous);
    EXPECT_FALSE(fs::exists(scratch / "pwned")) << "a shell ran part of the name";
    // The application is nobody's child here: no zombie is left behind.
    siginfo_t child{};
    EXPECT_EQ(::waitid(P_ALL, 0, &child, WEXITED | WNOHANG | WNOWAIT), -1);
    EXPECT_EQ(errno, ECHILD);
}

} // namespace
} // namespace eggtimer::test
