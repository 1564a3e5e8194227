#pragma once
// What the desktop tests share: scratch folders, captured standard error,
// waiting on the event loop.

#include "support/Wait.h"

#include <QString>

#include <algorithm>
#include <optional>
#include <string>

namespace eggtimer::test {

// A fresh folder below the session's scratch folder, removed at the end.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return root; }
    std::string operator/(const std::string& name) const { return root + '/' + name; }

private:
    std::string root;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& contents);

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

inline QString q(const std::string& text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace eggtimer::test
