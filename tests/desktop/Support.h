#pragma once
// What the desktop tests share: scratch folders, captured standard error,
// waiting on the event loop.

#include <QString>

#include <functional>
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

// Everything written to file descriptor 2 while it lives.
class CapturedStderr {
public:
    CapturedStderr();
    ~CapturedStderr();
    CapturedStderr(const CapturedStderr&) = delete;
    CapturedStderr& operator=(const CapturedStderr&) = delete;
    // What was written so far (capture goes on).
    std::string text() const;

private:
    int saved = -1;
    std::string file;
};

// Runs the event loop until `done` holds or `seconds` have passed.
bool waitFor(const std::function<bool()>& done, double seconds = 10.0);

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& contents);

inline QString q(const std::string& text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace eggtimer::test
