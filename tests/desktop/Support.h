#pragma once
// What the desktop tests share: scratch folders, captured standard error,
// waiting on the event loop.

#include "platform/qt/Utf8.h"
#include "support/Wait.h"
#include "tests/support/ScratchFolder.h"

#include <QString>

#include <algorithm>
#include <optional>
#include <string>

namespace eggtimer::test {

using testing::readFile;
using testing::ScratchFolder;
using testing::writeFile;

// Everything written to file descriptor 2 while it lives.
class CapturedStderr {
public:
    CapturedStderr();
    ~CapturedStderr();
    CapturedStderr(const CapturedStderr&) = delete;
    CapturedStderr& operator=(const CapturedStderr&) = delete;
    // What was written so far (capture goes on).
    std::string text() const { return readFile("/proc/self/fd/" + std::to_string(file)); }
    int lines() const { return int(std::ranges::count(text(), '\n')); }

private:
    int file;
    int saved;
};

} // namespace eggtimer::test
